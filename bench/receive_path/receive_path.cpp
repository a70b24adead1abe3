// Receive path of the serial component against a plain blocking read() loop
// (the limit), Qt's QSerialPort and Asio's serial_port, over one pty pair:
// the far end writes, the receiver takes the bytes (the component in
// OnAfterReceive on the GUI thread). Prints round-trip latency for 1-byte
// requests, stream throughput, their ratios to the plain loop, and the CPU
// time an idle open component costs.
//
//   bench_receive_path [round-trips] [stream-megabytes] [idle-seconds]

#include "far_end.h"
#include "peers.h"

#include "runtime/application.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    std::string name;
    double medianUs = 0;
    double p99Us = 0;
    double bytesPerSecond = 0;
    bool ok = false;
};

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Runs work on a driver thread while the GUI thread runs its event loop.
void WhileGuiRuns(const std::function<void()>& work)
{
    QEventLoop loop;
    std::thread driver([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    driver.join();
}

void MeasureLatency(bench::FarEnd& far, bench::Receiver& r, int rounds, Figures& f)
{
    std::vector<double> samples;
    r.echo = true;
    const char byte = 'x';
    for (int i = 0; i < rounds + 100; ++i) {
        const auto start = Clock::now();
        far.Write(&byte, 1);
        if (!far.ReadExactly(1, 2000)) {
            std::fprintf(stderr, "%s: round trip %d lost\n", r.Name().c_str(), i);
            return;
        }
        if (i >= 100)  // the first ones warm up caches and threads
            samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(samples.begin(), samples.end());
    f.medianUs = samples[samples.size() / 2];
    f.p99Us = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
    f.ok = true;
}

void MeasureThroughput(bench::FarEnd& far, bench::Receiver& r, std::size_t total, Figures& f)
{
    r.echo = false;
    far.Drain();
    const std::uint64_t base = r.received.load();
    const std::string block(4096, 's');
    const auto start = Clock::now();
    for (std::size_t sent = 0; sent < total; sent += block.size())
        far.Write(block.data(), std::min(block.size(), total - sent));
    const auto deadline = start + std::chrono::seconds(60);
    while (r.received.load() - base < total && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    f.bytesPerSecond = static_cast<double>(r.received.load() - base) / seconds;
}

Figures Run(bench::Receiver& r, int rounds, std::size_t streamBytes)
{
    Figures f;
    f.name = r.Name();
    bench::FarEnd far;
    if (!r.Open(far.SlavePath())) {
        std::fprintf(stderr, "%s: cannot open %s\n", f.name.c_str(), far.SlavePath().c_str());
        return f;
    }
    WhileGuiRuns([&] {
        MeasureLatency(far, r, rounds, f);
        if (f.ok)
            MeasureThroughput(far, r, streamBytes, f);
    });
    r.Close();
    return f;
}

double IdleCpuPercent(int seconds)
{
    bench::FarEnd far;
    auto component = bench::MakeComponent();
    if (!component->Open(far.SlavePath()))
        return -1;
    const double cpu0 = CpuSeconds();
    const auto t0 = Clock::now();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = CpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    component->Close();
    return 100.0 * cpu / wall;
}

const char* Verdict(bool ok)
{
    return ok ? "met" : "MISSED";
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5000;
    const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 32;
    const int idleSeconds = argc > 3 ? std::atoi(argv[3]) : 5;
    int qtArgc = 1;
    runtime::Application app(qtArgc, argv);

    std::vector<Figures> all;
    for (auto make : {bench::MakePlainLoop, bench::MakeComponent, bench::MakeQSerialPort, bench::MakeAsio}) {
        auto receiver = make();
        all.push_back(Run(*receiver, rounds, megabytes << 20));
    }

    const Figures& plain = all[0];
    std::printf("%d round trips of 1 byte, %zu MB stream\n\n", rounds, megabytes);
    std::printf("%-26s %10s %10s %12s %12s %12s\n", "receiver", "median us", "p99 us", "MB/s", "lat x plain",
                "thr x plain");
    for (const auto& f : all) {
        if (!f.ok) {
            std::printf("%-26s %10s\n", f.name.c_str(), "failed");
            continue;
        }
        std::printf("%-26s %10.1f %10.1f %12.1f %12.2f %12.2f\n", f.name.c_str(), f.medianUs, f.p99Us,
                    f.bytesPerSecond / 1e6, f.medianUs / plain.medianUs, f.bytesPerSecond / plain.bytesPerSecond);
    }
    const Figures& ours = all[1];
    bool peersBeaten = true;
    for (std::size_t i = 2; i < all.size(); ++i)
        if (all[i].ok)
            peersBeaten = peersBeaten && ours.medianUs <= all[i].medianUs &&
                          ours.bytesPerSecond >= all[i].bytesPerSecond;
    std::printf("\ntargets: latency median <= 1.5x plain: %s; throughput >= 0.8x plain: %s; "
                "no worse than either peer: %s\n",
                Verdict(ours.ok && ours.medianUs <= 1.5 * plain.medianUs),
                Verdict(ours.ok && ours.bytesPerSecond >= 0.8 * plain.bytesPerSecond), Verdict(ours.ok && peersBeaten));
    const double idle = IdleCpuPercent(idleSeconds);
    std::printf("idle open TcmComm over %d s: %.3f %% of one core (target < 1 %%: %s)\n", idleSeconds, idle,
                Verdict(idle >= 0 && idle < 1.0));
    return 0;
}
