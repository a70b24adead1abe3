#pragma once
// Numbers on the command lines of the tools.

#include <charconv>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tools_common {

// The whole of text as a T; std::invalid_argument "bad <what>: <text>" otherwise.
template <typename T>
T NumberArgument(std::string_view text, std::string_view what)
{
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        throw std::invalid_argument("bad " + std::string(what) + ": " + std::string(text));
    return value;
}

} // namespace tools_common
