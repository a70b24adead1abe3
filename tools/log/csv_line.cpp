#include "tools/log/csv_line.h"

#include "app/reading_format.h"

#include <charconv>
#include <cmath>

namespace sensor_log {
namespace {

// The shortest text that reads back as the same double.
std::string number(double v)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

} // namespace

std::string Csv_Field(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string Csv_Line(const QDateTime& at, const app::SensorReading& r)
{
    std::string line = at.toUTC().toString(Qt::ISODateWithMs).toStdString() + ",";
    if (r.isNumber && std::isfinite(r.watts)) {
        // The level as the dBm display computes it (clamped as it does).
        const double dbm = app::Dbm_Text(r.reply, 0).reading;
        line += number(r.watts) + "," + number(std::round(dbm * 1000) / 1000);
    } else {
        line += ",";
    }
    return line + "," + Csv_Field(r.text) + "," + Csv_Field(r.model);
}

} // namespace sensor_log
