#pragma once
// The receivers compared: each opens the pty's slave side, counts what it
// receives and, in echo mode, sends every chunk straight back.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace bench {

class Receiver {
public:
    virtual ~Receiver() = default;
    virtual std::string Name() const = 0;
    // Runs on the GUI thread.
    virtual bool Open(const std::string& slavePath) = 0;
    virtual void Close() = 0;

    std::atomic<bool> echo{false};
    std::atomic<std::uint64_t> received{0};
};

std::unique_ptr<Receiver> MakePlainLoop();
std::unique_ptr<Receiver> MakeComponent();
std::unique_ptr<Receiver> MakeQSerialPort();
std::unique_ptr<Receiver> MakeAsio();

} // namespace bench
