// Round-trip latency and throughput of the serial layer's receive path
// (WaitCommEvent, ClearCommError, ReadWait: what the comm component's event
// thread does) against a plain blocking read() loop on the same kind of pty,
// and the CPU an idle open port costs.
//
//   bench_serial_plain [round-trips] [stream-bytes]

#include "platform/port_names.h"
#include "platform/pty/pseudo_terminal.h"
#include "platform/serial.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// Echoes every byte it gets back to the far end, until the count is reached.
using Receiver = std::function<void(std::size_t bytes, bool echo)>;

struct Figures {
    double medianUs = 0, p99Us = 0, bytesPerSecond = 0;
};

Figures Measure(platform::PseudoTerminal& far, const Receiver& receive, int rounds, std::size_t streamBytes)
{
    Figures f;
    std::vector<double> samples;
    std::thread echo([&] { receive(static_cast<std::size_t>(rounds), true); });
    for (int i = 0; i < rounds; ++i) {
        auto start = Clock::now();
        far.Write("x");
        if (far.ReadExactly(1, 5000).size() != 1) {
            std::fprintf(stderr, "round trip %d lost\n", i);
            break;
        }
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    echo.join();
    std::sort(samples.begin(), samples.end());
    if (!samples.empty()) {
        f.medianUs = samples[samples.size() / 2];
        f.p99Us = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
    }
    std::string block(4096, 's');
    auto start = Clock::now();
    std::thread sink([&] { receive(streamBytes, false); });
    for (std::size_t sent = 0; sent < streamBytes; sent += block.size())
        far.Write(std::string_view(block).substr(0, std::min(block.size(), streamBytes - sent)));
    sink.join();
    f.bytesPerSecond = streamBytes / std::chrono::duration<double>(Clock::now() - start).count();
    return f;
}

Receiver PlainLoop(int fd)
{
    return [fd](std::size_t bytes, bool echo) {
        int flags = fcntl(fd, F_GETFL);
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        char buffer[8192];
        for (std::size_t got = 0; got < bytes;) {
            ssize_t n = ::read(fd, buffer, echo ? 1 : sizeof buffer);
            if (n <= 0)
                return;
            got += static_cast<std::size_t>(n);
            if (echo)
                (void)!::write(fd, buffer, static_cast<std::size_t>(n));
        }
    };
}

Receiver SerialLayer(platform::Handle h)
{
    return [h](std::size_t bytes, bool echo) {
        char buffer[8192];
        for (std::size_t got = 0; got < bytes;) {
            std::uint32_t mask = 0;
            if (!platform::WaitCommEvent(h, mask, nullptr))
                return;
            platform::ComStat stat;
            while (platform::ClearCommError(h, nullptr, &stat) && stat.cbInQue > 0) {
                std::uint32_t n = 0;
                std::uint32_t ask = std::min<std::uint32_t>(stat.cbInQue, sizeof buffer);
                if (!platform::ReadWait(h, buffer, ask, &n))
                    return;
                got += n;
                std::uint32_t written = 0;
                if (echo)
                    platform::WriteWait(h, buffer, n, &written);
            }
        }
    };
}

void Print(const char* name, const Figures& f)
{
    std::printf("%-22s latency median %8.1f us  p99 %8.1f us  throughput %10.0f B/s\n", name, f.medianUs,
                f.p99Us, f.bytesPerSecond);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    const std::size_t streamBytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 8u << 20;
    auto dir = std::filesystem::temp_directory_path() / ("fluxmira-bench-" + std::to_string(getpid()));
    setenv("FLUXMIRA_PORTS", dir.c_str(), 1);

    platform::PseudoTerminal plainPty;
    int fd = ::open(plainPty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    Figures plain = Measure(plainPty, PlainLoop(fd), rounds, streamBytes);
    ::close(fd);

    platform::PseudoTerminal layerPty;
    platform::RegisterPort(1, layerPty.SlavePath());
    platform::Handle h = platform::OpenPort("COM1");
    if (h == platform::kInvalidHandle) {
        std::fprintf(stderr, "open: %s\n", platform::SystemErrorText(platform::GetLastError()).c_str());
        return 1;
    }
    platform::SetCommMask(h, platform::EV_RXCHAR);
    Figures layer = Measure(layerPty, SerialLayer(h), rounds, streamBytes);

    Print("plain read() loop", plain);
    Print("serial layer", layer);
    std::printf("ratios: latency median %.2fx, throughput %.2fx of the plain loop\n",
                layer.medianUs / plain.medianUs, layer.bytesPerSecond / plain.bytesPerSecond);

    // An open port with a thread waiting for its events, nothing arriving.
    std::thread idle([h] {
        std::uint32_t mask = 0;
        platform::WaitCommEvent(h, mask, nullptr);
    });
    double before = CpuMs();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    double used = CpuMs() - before;
    platform::CloseHandle(h);
    idle.join();
    std::printf("idle open port: %.2f ms CPU in 5 s (%.3f %% of one core)\n", used, used / 50.0);
    std::filesystem::remove_all(dir);
    return 0;
}
