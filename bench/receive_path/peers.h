#pragma once
// The receivers compared: each opens the pty's slave side, counts what it
// receives and, in echo mode, sends every chunk straight back.

#include "thread_clock.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bench {

class Receiver {
public:
    virtual ~Receiver() = default;
    virtual std::string Name() const = 0;
    // True when it delivers on the GUI thread, whose CPU time it is then charged.
    virtual bool OnGuiThread() const = 0;
    // Runs on the GUI thread.
    virtual bool Open(const std::string& slavePath) = 0;
    virtual void Close() = 0;

    std::atomic<bool> echo{false};
    std::atomic<std::uint64_t> received{0};
    std::atomic<std::uint64_t> deliveries{0};  // chunks handed to the receiving code
    std::vector<Tid> threads;  // the threads it runs on (filled by the bench)
    std::vector<std::string> roles;  // what each of them is, where known
};

std::unique_ptr<Receiver> MakePlainLoop();
// Our component on port number `portNo` of the process's port-name directory.
std::unique_ptr<Receiver> MakeComponent(bool useMainThread, unsigned portNo);
std::unique_ptr<Receiver> MakeQSerialPort();
std::unique_ptr<Receiver> MakeAsio();

} // namespace bench
