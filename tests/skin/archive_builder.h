#pragma once
// Writes packed skin archives for tests, each entry at its own compression level.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace skin_test {

struct Entry {
    QByteArray name;
    QByteArray data;
    int level = 9;
    std::optional<qint32> statedSize;  // the size written, when it should lie
};

struct ArchiveSpec {
    std::vector<Entry> entries;
    std::optional<qint32> count;       // entry count written, when it should lie
    std::optional<QByteArray> preview;
    QByteArray signature = "SKzf";
};

QByteArray BuildArchive(const ArchiveSpec& desc);
QByteArray ZlibCompress(const QByteArray& data, int level);
QByteArray Int32(qint32 value);

} // namespace skin_test
