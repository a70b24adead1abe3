// Receive path of the serial component against a plain blocking read() loop
// (the limit), Qt's QSerialPort and Asio's serial_port, each on its own pty
// pair and all open at once. Figures that a shared, noisy machine would
// spoil are taken in short interleaved blocks (ABCDE ABCDE ...), so that
// noise hits every receiver alike, and the whole measurement runs twice:
// a figure whose two passes differ by more than 10 % is marked unstable.
//
//  - 1-byte round trips: median and 99th percentile per receiver over all
//    blocks, and the median of the per-block ratios to the plain loop;
//  - paced streams (1 MB/s in 64-byte writes, 115200 baud in 1-16-byte
//    writes): CPU time per MB from the receiving threads' own CPU clocks,
//    each receiver streaming in its own window, and bytes lost;
//  - pty peak throughput, and the CPU each open receiver costs when idle.
//
// The far end stands for the hardware: its thread asks for real-time
// priority (SCHED_FIFO) so that its pace and its timing do not depend on the
// machine's load; the bench says so when it may not.
//
//   bench_receive_path [blocks-per-pass] [stream-seconds] [idle-seconds]
//   bench_receive_path stream plain|on|off|qt|asio fast|slow seconds
//       one receiver, one paced stream: a workload to profile

#include "far_end.h"
#include "pacer.h"
#include "peers.h"
#include "stats.h"
#include "thread_clock.h"

#include "runtime/application.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPasses = 2;
constexpr int kRoundTripsPerBlock = 25;

struct Candidate {
    std::unique_ptr<bench::Receiver> receiver;
    std::unique_ptr<bench::FarEnd> far;
    bool failed = false;
    // Round trips, per pass.
    std::vector<double> samples[kPasses];
    std::vector<double> ratios[kPasses];
};

struct StreamFigures {
    std::vector<double> perThread;  // CPU seconds of each charged thread, both passes
    std::vector<double> windows[kPasses];  // CPU ms per MB of each window
    double cpuSeconds[kPasses] = {};
    double megabytes[kPasses] = {};
    double paceSeconds = 0;
    std::uint64_t sent = 0, received = 0, deliveries = 0, lateWrites = 0, writes = 0;
    double MsPerMb(int pass) const { return megabytes[pass] > 0 ? 1000 * cpuSeconds[pass] / megabytes[pass] : 0; }
    double MsPerMb() const
    {
        const double mb = megabytes[0] + megabytes[1];
        return mb > 0 ? 1000 * (cpuSeconds[0] + cpuSeconds[1]) / mb : 0;
    }
    double CorePercent() const { return paceSeconds > 0 ? 100 * (cpuSeconds[0] + cpuSeconds[1]) / paceSeconds : 0; }
};

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// "12.3" or "12.3?" when the two passes disagree, then both passes.
std::string Figure(double all, double a, double b, const char* format = "%.1f")
{
    char text[128];
    char va[32], vb[32], vall[32];
    std::snprintf(vall, sizeof vall, format, all);
    std::snprintf(va, sizeof va, format, a);
    std::snprintf(vb, sizeof vb, format, b);
    std::snprintf(text, sizeof text, "%s%s [%s %s]", vall, bench::Repeats(a, b) ? " " : "?", va, vb);
    return text;
}

// Runs work on a driver thread while the GUI thread runs its event loop.
// The driver is the far end; true when it got real-time priority.
bool WhileGuiRuns(const std::function<void()>& work)
{
    QEventLoop loop;
    bool realTime = false;
    std::thread driver([&] {
        sched_param param{};
        param.sched_priority = 1;
        realTime = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    driver.join();
    return realTime;
}

bool RoundTrip(Candidate& c, double& us)
{
    const char byte = 'x';
    const auto start = Clock::now();
    c.far->Write(&byte, 1);
    if (!c.far->ReadExactly(1, 2000))
        return false;
    us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    return true;
}

void MeasureRoundTrips(std::vector<Candidate>& all, int blocks)
{
    for (auto& c : all)
        c.receiver->echo = true;
    for (auto& c : all)  // warm caches and threads up
        for (int i = 0; i < 50 && !c.failed; ++i) {
            double us = 0;
            c.failed = !RoundTrip(c, us);
        }
    for (int pass = 0; pass < kPasses; ++pass) {
        for (int block = 0; block < blocks; ++block) {
            std::vector<double> medians(all.size(), 0);
            for (std::size_t i = 0; i < all.size(); ++i) {
                Candidate& c = all[i];
                std::vector<double> run;
                for (int k = 0; k < kRoundTripsPerBlock && !c.failed; ++k) {
                    double us = 0;
                    if (!RoundTrip(c, us)) {
                        std::fprintf(stderr, "%s: a round trip was lost\n", c.receiver->Name().c_str());
                        c.failed = true;
                        break;
                    }
                    run.push_back(us);
                }
                c.samples[pass].insert(c.samples[pass].end(), run.begin(), run.end());
                medians[i] = bench::Median(run);
            }
            for (std::size_t i = 0; i < all.size(); ++i)
                if (medians[0] > 0 && medians[i] > 0)
                    all[i].ratios[pass].push_back(medians[i] / medians[0]);
        }
    }
    for (auto& c : all)
        c.receiver->echo = false;
}

// Waits until the receiver has taken `expected` bytes (or gives up after a while).
void Settle(bench::Receiver& r, std::uint64_t expected)
{
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    while (r.received.load() < expected && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Anything beyond the expected count would come now.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// Each pass streams to every receiver in turn, in `rounds` short windows
// (ABCDE ABCDE ...), so that a spell of load falls on all of them.
std::vector<StreamFigures> MeasureStream(std::vector<Candidate>& all, const bench::PaceProfile& profile,
                                         double seconds, int rounds)
{
    std::vector<StreamFigures> figures(all.size());
    std::mt19937 random(20);
    const double window = seconds / rounds;
    for (int pass = 0; pass < kPasses; ++pass) {
        for (int round = 0; round < rounds; ++round) {
            for (std::size_t i = 0; i < all.size(); ++i) {
                Candidate& c = all[i];
                if (c.failed)
                    continue;
                bench::Receiver& r = *c.receiver;
                const std::uint64_t base = r.received.load();
                const std::uint64_t baseDeliveries = r.deliveries.load();
                std::vector<double> cpu0;
                for (bench::Tid t : r.threads)
                    cpu0.push_back(bench::CpuSeconds({t}));
                const bench::PaceResult paced = bench::Pace(*c.far, profile, window, random);
                Settle(r, base + paced.sent);
                StreamFigures& f = figures[i];
                f.perThread.resize(r.threads.size());
                double cpu = 0;
                for (std::size_t t = 0; t < r.threads.size(); ++t) {
                    const double used = bench::CpuSeconds({r.threads[t]}) - cpu0[t];
                    f.perThread[t] += used;
                    cpu += used;
                }
                const std::uint64_t got = r.received.load() - base;
                f.cpuSeconds[pass] += cpu;
                f.megabytes[pass] += static_cast<double>(got) / 1e6;
                f.windows[pass].push_back(got > 0 ? 1000 * cpu / (static_cast<double>(got) / 1e6) : 0);
                f.paceSeconds += window;
                f.sent += paced.sent;
                f.received += got;
                f.deliveries += r.deliveries.load() - baseDeliveries;
                f.lateWrites += paced.lateWrites;
                f.writes += paced.writes;
            }
        }
    }
    return figures;
}

// MB/s per pass for a burst written as fast as the pty takes it.
std::vector<std::pair<double, double>> MeasurePeak(std::vector<Candidate>& all, std::size_t bytes)
{
    std::vector<std::pair<double, double>> rates(all.size());
    const std::string block(4096, 's');
    for (int pass = 0; pass < kPasses; ++pass)
        for (std::size_t i = 0; i < all.size(); ++i) {
            Candidate& c = all[i];
            if (c.failed)
                continue;
            const std::uint64_t base = c.receiver->received.load();
            const auto start = Clock::now();
            for (std::size_t sent = 0; sent < bytes; sent += block.size())
                c.far->Write(block.data(), std::min(block.size(), bytes - sent));
            const auto deadline = start + std::chrono::seconds(30);
            while (c.receiver->received.load() - base < bytes && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            const double rate = static_cast<double>(c.receiver->received.load() - base) / 1e6 /
                                Seconds(Clock::now() - start);
            (pass == 0 ? rates[i].first : rates[i].second) = rate;
        }
    return rates;
}

std::vector<double> MeasureIdle(std::vector<Candidate>& all, int seconds)
{
    std::vector<double> before;
    for (auto& c : all)
        before.push_back(bench::CpuSeconds(c.receiver->threads));
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double wall = Seconds(Clock::now() - start);
    std::vector<double> percent;
    for (std::size_t i = 0; i < all.size(); ++i)
        percent.push_back(100 * (bench::CpuSeconds(all[i].receiver->threads) - before[i]) / wall);
    return percent;
}

const char* Verdict(bool ok)
{
    return ok ? "met" : "MISSED";
}

void PrintRoundTrips(const std::vector<Candidate>& all, int blocks)
{
    std::printf("1-byte round trips: %d passes x %d blocks x %d per receiver, interleaved\n", kPasses, blocks,
                kRoundTripsPerBlock);
    std::printf("%-26s %-26s %-26s %-24s\n", "receiver", "median us [pass1 pass2]", "p99 us [pass1 pass2]",
                "x plain, median of blocks");
    for (const auto& c : all) {
        if (c.failed) {
            std::printf("%-26s failed\n", c.receiver->Name().c_str());
            continue;
        }
        std::vector<double> samples = c.samples[0], ratios = c.ratios[0];
        samples.insert(samples.end(), c.samples[1].begin(), c.samples[1].end());
        ratios.insert(ratios.end(), c.ratios[1].begin(), c.ratios[1].end());
        std::printf("%-26s %-26s %-26s %-24s\n", c.receiver->Name().c_str(),
                    Figure(bench::Median(samples), bench::Median(c.samples[0]), bench::Median(c.samples[1])).c_str(),
                    Figure(bench::Quantile(samples, 0.99), bench::Quantile(c.samples[0], 0.99),
                           bench::Quantile(c.samples[1], 0.99))
                        .c_str(),
                    Figure(bench::Median(ratios), bench::Median(c.ratios[0]), bench::Median(c.ratios[1]), "%.2f")
                        .c_str());
    }
}

// Per-window ratios of each receiver's CPU per MB to the reference's in the
// same round: the load of that moment cancels out.
std::vector<double> WindowRatios(const StreamFigures& f, const StreamFigures& reference, int pass)
{
    std::vector<double> ratios;
    for (std::size_t w = 0; w < f.windows[pass].size() && w < reference.windows[pass].size(); ++w)
        if (reference.windows[pass][w] > 0)
            ratios.push_back(f.windows[pass][w] / reference.windows[pass][w]);
    return ratios;
}

void PrintStream(const std::vector<Candidate>& all, const bench::PaceProfile& profile,
                 const std::vector<StreamFigures>& figures, double seconds, int reference = -1)
{
    std::printf("\npaced %s: %d passes x %.1f s per receiver, interleaved in short windows\n",
                profile.name.c_str(), kPasses, seconds);
    std::printf("%-26s %-28s %-24s %11s %14s %6s\n", "receiver", "CPU ms per MB [pass1 pass2]",
                reference >= 0 ? "x QSerialPort, windows" : "", "% of a core", "bytes/delivery", "lost");
    for (std::size_t i = 0; i < all.size(); ++i) {
        const StreamFigures& f = figures[i];
        if (all[i].failed)
            continue;
        std::string ratio;
        if (reference >= 0) {
            const auto& ref = figures[static_cast<std::size_t>(reference)];
            std::vector<double> r0 = WindowRatios(f, ref, 0), r1 = WindowRatios(f, ref, 1), both = r0;
            both.insert(both.end(), r1.begin(), r1.end());
            ratio = Figure(bench::Median(both), bench::Median(r0), bench::Median(r1), "%.2f");
        }
        std::printf("%-26s %-28s %-24s %11.2f %14.1f %6lld\n", all[i].receiver->Name().c_str(),
                    Figure(f.MsPerMb(), f.MsPerMb(0), f.MsPerMb(1)).c_str(), ratio.c_str(), f.CorePercent(),
                    f.deliveries ? static_cast<double>(f.received) / static_cast<double>(f.deliveries) : 0.0,
                    static_cast<long long>(f.sent) - static_cast<long long>(f.received));
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        const auto& roles = all[i].receiver->roles;
        if (roles.empty() || all[i].failed)
            continue;
        std::printf("  %s, CPU ms per MB by thread:", all[i].receiver->Name().c_str());
        const double mb = figures[i].megabytes[0] + figures[i].megabytes[1];
        for (std::size_t t = 0; t < roles.size(); ++t)
            std::printf(" %s %.1f", roles[t].c_str(), mb > 0 ? 1000 * figures[i].perThread[t] / mb : 0.0);
        std::printf("\n");
    }
    std::uint64_t writes = 0, late = 0;
    for (const auto& f : figures) {
        writes += f.writes;
        late += f.lateWrites;
    }
    std::printf("(pacer: %llu writes, %.1f %% of them late and written at once after the one before)\n",
                static_cast<unsigned long long>(writes), writes ? 100.0 * static_cast<double>(late) / writes : 0.0);
}

enum { kPlain, kOn, kOff, kQt, kAsio, kCount };

// Opens the chosen receivers (all when `only` is kCount) on the GUI thread and
// notes the threads each one started.
std::vector<Candidate> OpenReceivers(int only)
{
    std::vector<Candidate> all(kCount);
    all[kPlain].receiver = bench::MakePlainLoop();
    all[kOn].receiver = bench::MakeComponent(true, 3);
    all[kOff].receiver = bench::MakeComponent(false, 4);
    all[kQt].receiver = bench::MakeQSerialPort();
    all[kAsio].receiver = bench::MakeAsio();
    if (only != kCount) {
        Candidate one = std::move(all[static_cast<std::size_t>(only)]);
        all.clear();
        all.push_back(std::move(one));
    }
    const bench::Tid gui = bench::CurrentTid();
    for (auto& c : all) {
        c.far = std::make_unique<bench::FarEnd>();
        const auto before = bench::Tasks();
        if (!c.receiver->Open(c.far->SlavePath())) {
            std::fprintf(stderr, "%s: cannot open %s\n", c.receiver->Name().c_str(), c.far->SlavePath().c_str());
            c.failed = true;
        }
        c.receiver->threads = bench::NewTasks(before, bench::Tasks());
        // Thread ids grow in creation order: the component starts its message thread first.
        if (c.receiver->threads.size() == 2 && c.receiver->Name().rfind("TcmComm", 0) == 0)
            c.receiver->roles = {"message", "event"};
        if (c.receiver->OnGuiThread()) {
            c.receiver->threads.push_back(gui);
            if (!c.receiver->roles.empty())
                c.receiver->roles.push_back("GUI");
        }
    }
    return all;
}

void CloseReceivers(std::vector<Candidate>& all)
{
    for (auto& c : all)
        if (!c.failed)
            c.receiver->Close();
}

void PrintTargets(const std::vector<Candidate>& all, const std::vector<StreamFigures>& fast,
                  const std::vector<StreamFigures>& slow, const std::vector<double>& idle)
{
    auto median = [&](int i) {
        std::vector<double> s = all[i].samples[0];
        s.insert(s.end(), all[i].samples[1].begin(), all[i].samples[1].end());
        return bench::Median(s);
    };
    bool lost = false;
    for (std::size_t i = 0; i < all.size(); ++i)
        lost = lost || fast[i].sent != fast[i].received || slow[i].sent != slow[i].received;
    std::printf("\ntargets\n");
    std::printf("  round trip, UseMainThread on <= QSerialPort: %.1f vs %.1f us: %s\n", median(kOn), median(kQt),
                Verdict(median(kOn) <= median(kQt)));
    std::printf("  round trip, UseMainThread off <= 1.2x Asio: %.1f vs %.1f us: %s\n", median(kOff),
                1.2 * median(kAsio), Verdict(median(kOff) <= 1.2 * median(kAsio)));
    for (int i : {kOn, kOff}) {
        std::vector<double> ratios = WindowRatios(fast[i], fast[kQt], 0), more = WindowRatios(fast[i], fast[kQt], 1);
        ratios.insert(ratios.end(), more.begin(), more.end());
        const double ratio = bench::Median(ratios);
        std::printf("  1 MB/s CPU per MB, %s <= 1.5x QSerialPort: %.2fx (median of windows; totals %.1f vs %.1f ms): %s\n",
                    all[i].receiver->Name().c_str(), ratio, fast[i].MsPerMb(), fast[kQt].MsPerMb(),
                    Verdict(ratio <= 1.5));
    }
    for (int i : {kOn, kOff})
        std::printf("  115200 baud, %s < 1 %% of a core: %.2f %%: %s\n", all[i].receiver->Name().c_str(),
                    slow[i].CorePercent(), Verdict(slow[i].CorePercent() < 1.0));
    std::printf("  no byte lost in any stream: %s\n", Verdict(!lost));
    std::printf("  idle open TcmComm < 1 %% of a core: %.3f %% / %.3f %%: %s\n", idle[kOn], idle[kOff],
                Verdict(idle[kOn] < 1.0 && idle[kOff] < 1.0));
}

const bench::PaceProfile kFast{"1 MB/s in 64-byte writes", 1e6, 64, 64};
const bench::PaceProfile kSlow{"115200 baud (11.5 KB/s) in 1-16-byte writes", 11520, 1, 16};

int ProfileOne(const std::string& which, const std::string& pace, double seconds)
{
    const std::vector<std::string> names{"plain", "on", "off", "qt", "asio"};
    const auto found = std::find(names.begin(), names.end(), which);
    if (found == names.end() || (pace != "fast" && pace != "slow")) {
        std::fprintf(stderr, "usage: bench_receive_path stream plain|on|off|qt|asio fast|slow seconds\n");
        return 2;
    }
    std::vector<Candidate> one = OpenReceivers(static_cast<int>(found - names.begin()));
    const bench::PaceProfile& profile = pace == "fast" ? kFast : kSlow;
    std::vector<StreamFigures> figures;
    const bool realTime = WhileGuiRuns([&] { figures = MeasureStream(one, profile, seconds / kPasses, 1); });
    PrintStream(one, profile, figures, seconds / kPasses);
    if (!realTime)
        std::printf("(the far end ran without real-time priority)\n");
    CloseReceivers(one);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::filesystem::path portDir =
        std::filesystem::temp_directory_path() / ("fluxmira-bench-" + std::to_string(getpid()));
    setenv("FLUXMIRA_PORTS", portDir.c_str(), 1);
    int qtArgc = 1;
    runtime::Application app(qtArgc, argv);
    struct RemoveDir {
        std::filesystem::path dir;
        ~RemoveDir() { std::filesystem::remove_all(dir); }
    } removeDir{portDir};
    if (argc > 1 && std::string(argv[1]) == "stream")
        return ProfileOne(argc > 2 ? argv[2] : "", argc > 3 ? argv[3] : "", argc > 4 ? std::atof(argv[4]) : 4.0);

    const int blocks = argc > 1 ? std::atoi(argv[1]) : 40;
    const double streamSeconds = argc > 2 ? std::atof(argv[2]) : 2.0;
    const int idleSeconds = argc > 3 ? std::atoi(argv[3]) : 5;
    const std::string loadBefore = LoadAverage();
    std::vector<Candidate> all = OpenReceivers(kCount);

    std::vector<StreamFigures> fastFigures, slowFigures;
    std::vector<std::pair<double, double>> peak;
    std::vector<double> idle;
    const bool realTime = WhileGuiRuns([&] {
        MeasureRoundTrips(all, blocks);
        fastFigures = MeasureStream(all, kFast, streamSeconds, 5);
        slowFigures = MeasureStream(all, kSlow, 2 * streamSeconds, 5);
        peak = MeasurePeak(all, 8u << 20);
        idle = MeasureIdle(all, idleSeconds);
    });

    std::printf("load average before: %s, after: %s (%u cores); far end %s\n", loadBefore.c_str(),
                LoadAverage().c_str(), std::thread::hardware_concurrency(),
                realTime ? "at real-time priority" : "WITHOUT real-time priority");
    std::printf("threads charged: ");
    for (const auto& c : all)
        std::printf("%s %zu%s; ", c.receiver->Name().c_str(), c.receiver->threads.size(),
                    c.receiver->OnGuiThread() ? " (GUI thread included)" : "");
    std::printf("\n'?' marks a figure whose two passes differ by more than 10 %%\n\n");
    PrintRoundTrips(all, blocks);
    PrintStream(all, kFast, fastFigures, streamSeconds, kQt);
    PrintStream(all, kSlow, slowFigures, 2 * streamSeconds, kQt);
    std::printf("\npty peak throughput, 8 MB bursts, MB/s [pass1 pass2]\n");
    for (std::size_t i = 0; i < all.size(); ++i)
        std::printf("%-26s %s\n", all[i].receiver->Name().c_str(),
                    Figure((peak[i].first + peak[i].second) / 2, peak[i].first, peak[i].second).c_str());
    std::printf("\nidle, all open, %d s: %% of one core\n", idleSeconds);
    for (std::size_t i = 0; i < all.size(); ++i)
        std::printf("%-26s %.3f\n", all[i].receiver->Name().c_str(), idle[i]);
    PrintTargets(all, fastFigures, slowFigures, idle);
    CloseReceivers(all);
    return 0;
}
