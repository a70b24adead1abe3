// fluxmira-log: logs the readings of the power sensor as CSV, without a
// display. See LogUsage() for the options.

#include "platform/stop_signal.h"
#include "runtime/decimal_separator.h"
#include "runtime/post.h"
#include "tools/log/log_options.h"
#include "tools/log/sensor_logger.h"

#include <QCoreApplication>

#include <fstream>
#include <iostream>
#include <thread>

namespace {

// Hands a stop signal (Ctrl-C, SIGTERM) to the logger on the main thread,
// where its pumping runs the call. Nothing pumps after the run has ended, so
// a signal that comes later is never acted on; the waiting thread is left
// blocked when the program ends.
void watchStopSignals(QCoreApplication& app, sensor_log::SensorLogger& logger)
{
    std::thread([&app, &logger] {
        platform::WaitForStopSignal();
        runtime::PostCall(&app, [&logger] { logger.Stop(); });
    }).detach();
}

} // namespace

int main(int argc, char** argv)
{
    platform::BlockStopSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("fluxmira-log");
    QCoreApplication::setApplicationVersion(FLUXMIRA_VERSION);

    std::string error;
    const auto options = sensor_log::ParseLogOptions(QCoreApplication::arguments(), error);
    if (!options) {
        std::cerr << "fluxmira-log: " << error << "\nTry 'fluxmira-log --help'.\n";
        return sensor_log::kExitUsage;
    }
    if (options->help) {
        std::cout << sensor_log::LogUsage();
        return sensor_log::kExitDone;
    }
    if (options->version) {
        std::cout << "fluxmira-log " << FLUXMIRA_VERSION << "\n";
        return sensor_log::kExitDone;
    }
    std::ofstream file;
    if (!options->output.empty()) {
        file.open(options->output, std::ios::out | std::ios::trunc);
        if (!file) {
            std::cerr << "fluxmira-log: cannot write " << options->output << "\n";
            return sensor_log::kExitUsage;
        }
    }
    // Readings are written with a decimal point whatever the locale says.
    runtime::SetDecimalSeparator(u'.');

    sensor_log::SensorLogger logger(*options, file.is_open() ? static_cast<std::ostream&>(file) : std::cout, std::cerr);
    watchStopSignals(app, logger);
    const int code = logger.Run();
    file.close();
    return code;
}
