#pragma once
// One CSV line per reading: UTC time (ISO 8601 with milliseconds), watts,
// dBm, the text the window shows, the model. Watts and dBm are empty when
// the answer was no number.

#include "app/sensor_session.h"

#include <QDateTime>

#include <string>

namespace sensor_log {

inline constexpr const char* kCsvHeader = "time,watts,dbm,text,model";

std::string Csv_Line(const QDateTime& at, const app::SensorReading& reading);
// A field quoted when it holds a comma, a quote or a line break.
std::string Csv_Field(const std::string& text);

} // namespace sensor_log
