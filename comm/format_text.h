#pragma once
// Formatting of log lines: printf-like directives over a list of typed
// arguments, so a format and its arguments can be passed on as values.
// Directives: %[index:][-][width][.precision]type with type d, u, x, s, f,
// e, g, n or p (any case; hex digits are upper case), and %% for a percent
// sign. Negative integers print as 32-bit values under u and x. A directive
// without a matching argument raises ConvertError.

#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace comm {

class FormatArg {
public:
    template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
    FormatArg(T v)
    {
        if constexpr (std::is_signed_v<T>)
            fValue = static_cast<std::int64_t>(v);
        else
            fValue = static_cast<std::uint64_t>(v);
    }
    FormatArg(bool v) : fValue(static_cast<std::int64_t>(v)) {}
    FormatArg(double v) : fValue(v) {}
    FormatArg(long double v) : fValue(static_cast<double>(v)) {}
    FormatArg(const char* v) : fValue(std::string(v ? v : "")) {}
    FormatArg(std::string v) : fValue(std::move(v)) {}
    FormatArg(const void* v) : fValue(reinterpret_cast<std::uintptr_t>(v)) {}

    const std::variant<std::int64_t, std::uint64_t, double, std::string>& Value() const { return fValue; }

private:
    std::variant<std::int64_t, std::uint64_t, double, std::string> fValue;
};

using FormatArgs = std::vector<FormatArg>;

std::string FormatText(const std::string& format, const FormatArgs& args);

} // namespace comm
