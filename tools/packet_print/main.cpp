// fluxmira-packet-print: prints the packets a packet protocol cuts from what
// a serial port receives. See kUsage for the options.

#include "platform/stop_signal.h"
#include "tools/packet_print/packet_printer.h"

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <iostream>
#include <thread>

namespace {
std::atomic<bool> gStopRequested{false};
} // namespace

int main(int argc, char** argv)
{
    platform::BlockStopSignals();
    packet_print::Options options;
    try {
        options = packet_print::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "fluxmira-packet-print: " << e.what() << "\n" << packet_print::kUsage;
        return 2;
    }
    if (options.help) {
        std::cout << packet_print::kUsage;
        return 0;
    }
    QCoreApplication application(argc, argv);
    // The signal waiter may outlive main: it only sets a flag.
    std::thread([] {
        platform::WaitForStopSignal();
        gStopRequested = true;
    }).detach();

    packet_print::PacketPrinter printer(options, std::cout, std::cerr);
    int exitCode = 0;
    printer.OnFinished = [&](bool failed) {
        exitCode = failed ? 1 : 0;
        application.quit();
    };
    if (!printer.Start())
        return 1;
    std::cerr << "fluxmira-packet-print: listening on " << options.port << std::endl;
    QTimer stopPoll;
    QObject::connect(&stopPoll, &QTimer::timeout, &application, [&] {
        if (gStopRequested)
            application.quit();
    });
    stopPoll.start(50);
    if (options.durationMs > 0)
        QTimer::singleShot(int(options.durationMs), &application, &QCoreApplication::quit);
    application.exec();
    return exitCode;
}
