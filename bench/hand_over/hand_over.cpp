// A worker hands an empty call to the GUI thread and waits until it ran:
// the skeleton of every received chunk with UseMainThread on. Compared, in
// interleaved blocks with two passes:
//  - how the GUI thread is woken: a posted event (what the runtime does), a
//    queued QMetaObject::invokeMethod, or an eventfd watched by a
//    QSocketNotifier;
//  - how the worker learns that the call ran: a mutex and condition variable,
//    a futex (std::atomic wait/notify), or a short spin before the futex.
// Prints the median round trip and the CPU time per hand-over of both
// threads together (their own CPU clocks), less what the worker's pauses
// between hand-overs cost by themselves.
//
//   bench_hand_over [blocks-per-pass]

#include "stats.h"
#include "thread_clock.h"

#include "runtime/application.h"

#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QSocketNotifier>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPasses = 2;
constexpr int kPerBlock = 50;

enum class Wake { PostEvent, InvokeMethod, EventFd };
enum class Done { None, CondVar, Futex, SpinThenFutex };

const QEvent::Type kRun = static_cast<QEvent::Type>(QEvent::registerEventType());

// The GUI side: runs the one pending call when woken.
class Gui : public QObject {
public:
    Gui() : fFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), fNotifier(fFd, QSocketNotifier::Read)
    {
        connect(&fNotifier, &QSocketNotifier::activated, this, [this] {
            std::uint64_t value = 0;
            (void)::read(fFd, &value, sizeof value);
            Run();
        });
    }
    ~Gui() override { ::close(fFd); }
    bool event(QEvent* e) override
    {
        if (e->type() != kRun)
            return QObject::event(e);
        Run();
        return true;
    }
    void Wake(Wake how)
    {
        switch (how) {
        case Wake::PostEvent: QCoreApplication::postEvent(this, new QEvent(kRun)); break;
        case Wake::InvokeMethod: QMetaObject::invokeMethod(this, [this] { Run(); }, Qt::QueuedConnection); break;
        case Wake::EventFd: {
            std::uint64_t one = 1;
            (void)::write(fFd, &one, sizeof one);
            break;
        }
        }
    }
    std::function<void()> call;

private:
    void Run()
    {
        if (auto fn = std::exchange(call, nullptr))
            fn();
    }
    int fFd;
    QSocketNotifier fNotifier;
};

struct Candidate {
    Candidate(std::string n, Wake w, Done d) : name(std::move(n)), wake(w), done(d) {}
    std::string name;
    Wake wake;
    Done done;
    std::vector<double> samples[kPasses];
    double cpu[kPasses] = {};
    int count[kPasses] = {};
};

struct Completion {
    std::mutex mutex;
    std::condition_variable cv;
    bool flag = false;
    std::atomic<int> word{0};
};

double HandOver(Gui& gui, Candidate& c, Completion& done)
{
    if (c.done == Done::None)
        return 0;
    done.flag = false;
    done.word.store(0);
    const auto start = Clock::now();
    gui.call = [&] {
        if (c.done == Done::CondVar) {
            std::lock_guard lock(done.mutex);
            done.flag = true;
            done.cv.notify_one();
        } else {
            done.word.store(1);
            done.word.notify_one();
        }
    };
    gui.Wake(c.wake);
    if (c.done == Done::CondVar) {
        std::unique_lock lock(done.mutex);
        done.cv.wait(lock, [&] { return done.flag; });
    } else {
        if (c.done == Done::SpinThenFutex) {
            const auto until = Clock::now() + std::chrono::microseconds(20);
            while (done.word.load() == 0 && Clock::now() < until) {
            }
        }
        while (done.word.load() == 0)
            done.word.wait(0);
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int blocks = argc > 1 ? std::atoi(argv[1]) : 100;
    int qtArgc = 1;
    runtime::Application app(qtArgc, argv);
    Gui gui;
    std::vector<Candidate> all{
        {"(no hand-over: the pauses)", Wake::PostEvent, Done::None},
        {"posted event + condvar", Wake::PostEvent, Done::CondVar},
        {"invokeMethod + condvar", Wake::InvokeMethod, Done::CondVar},
        {"eventfd notifier + condvar", Wake::EventFd, Done::CondVar},
        {"posted event + futex", Wake::PostEvent, Done::Futex},
        {"posted event + 20us spin", Wake::PostEvent, Done::SpinThenFutex},
    };
    const bench::Tid guiTid = bench::CurrentTid();
    QEventLoop loop;
    std::thread worker([&] {
        const std::vector<bench::Tid> threads{guiTid, bench::CurrentTid()};
        Completion done;
        for (int pass = 0; pass < kPasses; ++pass)
            for (int block = 0; block < blocks; ++block)
                for (auto& c : all) {
                    const double cpu0 = bench::CpuSeconds(threads);
                    for (int i = 0; i < kPerBlock; ++i) {
                        c.samples[pass].push_back(HandOver(gui, c, done));
                        // A pause like the gap between two received chunks: every
                        // hand-over finds both threads asleep.
                        std::this_thread::sleep_for(std::chrono::microseconds(200));
                    }
                    c.cpu[pass] += bench::CpuSeconds(threads) - cpu0;
                    c.count[pass] += kPerBlock;
                }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();

    std::printf("%d passes x %d blocks x %d hand-overs each, interleaved; '?' = passes differ by > 10 %%\n", kPasses,
                blocks, kPerBlock);
    std::printf("%-28s %-24s %-28s\n", "candidate", "median us [p1 p2]", "CPU us per hand-over [p1 p2]");
    const double base[kPasses] = {all[0].cpu[0] / all[0].count[0], all[0].cpu[1] / all[0].count[1]};
    for (std::size_t k = 1; k < all.size(); ++k) {
        const Candidate& c = all[k];
        std::vector<double> s = c.samples[0];
        s.insert(s.end(), c.samples[1].begin(), c.samples[1].end());
        const double m0 = bench::Median(c.samples[0]), m1 = bench::Median(c.samples[1]);
        const double cpu0 = 1e6 * (c.cpu[0] / c.count[0] - base[0]), cpu1 = 1e6 * (c.cpu[1] / c.count[1] - base[1]);
        std::printf("%-28s %6.1f%s [%6.1f %6.1f]   %6.2f%s [%6.2f %6.2f]\n", c.name.c_str(), bench::Median(s),
                    bench::Repeats(m0, m1) ? " " : "?", m0, m1, (cpu0 + cpu1) / 2, bench::Repeats(cpu0, cpu1) ? " " : "?",
                    cpu0, cpu1);
    }
    return 0;
}
