#pragma once
// A pseudo-terminal pair for tests and the sensor simulator: the slave side
// stands in for a serial port (open it by SlavePath(), or register it as a
// COM name), the master side is the far end of the cable.
//
// The object keeps only the master open. Linux reports EIO on the master
// while nobody holds the slave open; Read() then simply waits (in 10 ms
// steps) until its timeout passes, so a simulator loop never spins.
// CloseMaster() is a pulled cable: the slave side is hung up for good.
// All members may be called from any thread; CloseMaster() wakes readers
// and writers blocked in another thread.

#include <cstddef>
#include <cstdint>
#include <shared_mutex>
#include <string>
#include <string_view>

namespace platform {

// The slave side's line settings as the terminal holds them.
struct TerminalSettings {
    std::uint32_t baudRate = 0;
    unsigned byteSize = 8;   // 5..8
    char parity = 'N';       // N, O, E, M, S
    unsigned stopBits = 1;   // 1 or 2
    bool rtsCts = false;     // hardware flow control
    bool xonXoffOutput = false;
    bool xonXoffInput = false;
    char xonChar = 0x11;
    char xoffChar = 0x13;
    bool raw = false;        // no line editing, no echo, no output processing
};

class PseudoTerminal {
public:
    // Throws std::system_error when no pseudo-terminal can be created.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return fSlavePath; }

    // Writes all bytes to the line (waits while the slave's input is full);
    // false when the master is closed or the bytes could not go within 5 s.
    bool Write(std::string_view bytes);
    // What arrives: waits up to timeoutMs for the first byte, then returns
    // everything already there. Empty on timeout or after CloseMaster().
    std::string Read(std::uint32_t timeoutMs);
    // Collects until n bytes came or timeoutMs passed; returns what came.
    std::string ReadExactly(std::size_t n, std::uint32_t timeoutMs);

    // The far end hangs up; the slave side sees a lost device.
    void CloseMaster();
    bool IsMasterOpen() const;

    // The slave's current line settings, read through the master.
    TerminalSettings Settings() const;

private:
    enum class WaitResult { Ready, Timeout, Closed };
    WaitResult WaitFor(short events, int timeoutMs) const;

    int fMaster = -1;
    int fStop = -1;  // eventfd, set by CloseMaster()
    std::string fSlavePath;
    mutable std::shared_mutex fMutex;  // shared for I/O, exclusive to close the master
};

} // namespace platform
