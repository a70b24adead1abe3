#include "tools/log/log_options.h"

#include "app/port_number.h"
#include "runtime/error.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cmath>
#include <limits>

namespace sensor_log {
namespace {

const QCommandLineOption kPort({"p", "port"}, "Try only this port (COM3).", "name");
const QCommandLineOption kDevice({"d", "device"}, "Try only this device (/dev/ttyUSB0).", "path");
const QCommandLineOption kFrequency({"f", "frequency"}, "Set the measurement frequency (GHz) before logging.", "GHz");
const QCommandLineOption kZero({"z", "zero"}, "Zero the sensor before logging.");
const QCommandLineOption kOutput({"o", "output"}, "Write the readings to this file instead of standard output.",
                                 "file");
const QCommandLineOption kInterval({"i", "interval"}, "Least time between readings, in seconds.", "seconds");
const QCommandLineOption kCount({"n", "count"}, "Stop after this many readings.", "readings");
const QCommandLineOption kDuration({"t", "duration"}, "Stop after this many seconds.", "seconds");
const QCommandLineOption kReconnect({"r", "reconnect"}, "When the sensor is lost, wait for it and go on.");

void addOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Logs the readings of a KVAM power sensor as CSV lines: time, watts, dBm, the text the window\n"
        "would show, the model. Finds the sensor by trying every serial port unless told where it is.\n"
        "Exit codes: 0 done, 1 bad usage, 2 no sensor found (or lost), 3 port error.");
    parser.addHelpOption();
    parser.addVersionOption();
    for (const QCommandLineOption& option :
         {kPort, kDevice, kFrequency, kZero, kOutput, kInterval, kCount, kDuration, kReconnect})
        parser.addOption(option);
}

// Seconds as a decimal number, to whole milliseconds.
bool parseSeconds(const QString& text, std::uint32_t& ms)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds * 1000 > std::numeric_limits<std::uint32_t>::max())
        return false;
    ms = static_cast<std::uint32_t>(std::llround(seconds * 1000));
    return true;
}

bool validPort(const std::string& name)
{
    if (name.size() < 4 || QString::fromStdString(name.substr(0, 3)).toUpper() != "COM")
        return false;
    try {
        return app::Parse_Port_Number(name) > 0;
    } catch (const runtime::ConvertError&) {
        return false;
    }
}

} // namespace

std::optional<LogOptions> ParseLogOptions(const QStringList& args, std::string& error)
{
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(args)) {
        error = parser.errorText().toStdString();
        return std::nullopt;
    }
    LogOptions o;
    o.help = parser.isSet("help");
    o.version = parser.isSet("version");
    auto fail = [&error](const std::string& why) {
        error = why;
        return std::nullopt;
    };
    if (!parser.positionalArguments().isEmpty())
        return fail("unexpected argument '" + parser.positionalArguments().front().toStdString() + "'");
    if (parser.isSet(kPort) && parser.isSet(kDevice))
        return fail("--port and --device exclude each other");
    if (parser.isSet(kPort)) {
        o.find = LogOptions::Find::Port;
        o.port = parser.value(kPort).toStdString();
        if (!validPort(o.port))
            return fail("--port takes a name such as COM3, not '" + o.port + "'");
        o.port = "COM" + o.port.substr(3);
    }
    if (parser.isSet(kDevice)) {
        o.find = LogOptions::Find::Device;
        o.device = parser.value(kDevice).toStdString();
        if (o.device.empty())
            return fail("--device takes a device path");
    }
    if (parser.isSet(kFrequency)) {
        o.frequency = parser.value(kFrequency).toStdString();
        if (o.frequency->empty())
            return fail("--frequency takes a frequency in GHz");
    }
    o.zero = parser.isSet(kZero);
    o.output = parser.value(kOutput).toStdString();
    if (parser.isSet(kOutput) && o.output.empty())
        return fail("--output takes a file name");
    if (parser.isSet(kInterval) && !parseSeconds(parser.value(kInterval), o.intervalMs))
        return fail("--interval takes seconds, not '" + parser.value(kInterval).toStdString() + "'");
    if (parser.isSet(kDuration)) {
        std::uint32_t ms = 0;
        if (!parseSeconds(parser.value(kDuration), ms) || ms == 0)
            return fail("--duration takes seconds above 0, not '" + parser.value(kDuration).toStdString() + "'");
        o.durationMs = ms;
    }
    if (parser.isSet(kCount)) {
        bool ok = false;
        const qulonglong n = parser.value(kCount).toULongLong(&ok);
        if (!ok || n == 0)
            return fail("--count takes a number of readings above 0, not '" + parser.value(kCount).toStdString() + "'");
        o.count = n;
    }
    o.reconnect = parser.isSet(kReconnect);
    return o;
}

std::string LogUsage()
{
    QCommandLineParser parser;
    addOptions(parser);
    // The usage line names the program, not the path it was started by.
    QString text = parser.helpText();
    const qsizetype options = text.indexOf(" [options]");
    if (text.startsWith("Usage: ") && options > 0)
        text.replace(7, options - 7, "fluxmira-log");
    return text.toStdString();
}

} // namespace sensor_log
