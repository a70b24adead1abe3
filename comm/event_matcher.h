#pragma once
// Recognises a fixed byte string in a stream fed one byte at a time. A string
// position holding the wildcard byte accepts any input byte (wildcard 0: none).
// After a mismatch the match restarts at position 1 or 2 only, never further
// back, so "aab" is not found in "aaab".

#include <cstdint>
#include <string>

namespace comm {

class TCommEventNew {
public:
    explicit TCommEventNew(const std::string& sEvent = {}) { SetEvent(sEvent); }

    const std::string& Event() const { return fStr; }
    void SetEvent(const std::string& value);
    void Reset() { Reserved = 1; }
    // True when ch completes the string.
    bool IsEvent(std::uint8_t ch, std::uint8_t chWild);
    bool IsPossible() const { return Reserved > 1; }
    std::int32_t Position() const { return Reserved; }

    std::int32_t Tag = 0;
    std::int32_t iOrder = 0;
    std::uint32_t Data = 0;

private:
    std::int32_t Reserved = 1;  // 1-based index of the next expected byte
    std::int32_t fLen = 0;
    std::string fStr;
};

} // namespace comm
