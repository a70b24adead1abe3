#pragma once
// The far end of the cable: the master side of a pty pair, driven with plain
// blocking calls so it adds the same small cost to every candidate.

#include <cstddef>
#include <string>

namespace bench {

class FarEnd {
public:
    FarEnd();
    ~FarEnd();
    const std::string& SlavePath() const { return fSlave; }
    void Write(const void* data, std::size_t n);
    // Blocks until n bytes came; false after timeoutMs.
    bool ReadExactly(std::size_t n, int timeoutMs);
    void Drain();

private:
    int fMaster = -1;
    std::string fSlave;
};

} // namespace bench
