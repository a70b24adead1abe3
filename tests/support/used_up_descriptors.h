#pragma once
// Every file descriptor the process may still open, taken under a lowered
// limit, so that the next open or accept fails for want of one. Release()
// (or the destructor) gives them all back and restores the limit.

#include <vector>

namespace testing_support {

class UsedUpDescriptors {
public:
    explicit UsedUpDescriptors(unsigned limit);
    ~UsedUpDescriptors();
    UsedUpDescriptors(const UsedUpDescriptors&) = delete;
    UsedUpDescriptors& operator=(const UsedUpDescriptors&) = delete;

    // The limit was lowered and at least one descriptor taken.
    bool Taken() const { return fLowered && !fHeld.empty(); }
    // Leaves exactly one descriptor for the next open.
    void SpareOne();
    void Release();

private:
    bool fLowered = false;
    unsigned long long fSavedLimit = 0;
    std::vector<int> fHeld;
};

} // namespace testing_support
