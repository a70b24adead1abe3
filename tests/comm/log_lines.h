#pragma once
// Reads back what a TcmFileLog wrote: the lines, and the text after "[level] ".

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace comm_test {

inline std::vector<std::string> ReadLines(const std::filesystem::path& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// "2026-01-01 00:00:00.000 [detail] text" -> "[detail] text"
inline std::vector<std::string> LogEntries(const std::filesystem::path& file)
{
    std::vector<std::string> entries;
    for (const auto& line : ReadLines(file)) {
        const auto at = line.find(" [");
        entries.push_back(at == std::string::npos ? line : line.substr(at + 1));
    }
    return entries;
}

inline int CountEntries(const std::filesystem::path& file, const std::string& entry)
{
    int n = 0;
    for (const auto& e : LogEntries(file))
        n += e == entry;
    return n;
}

} // namespace comm_test
