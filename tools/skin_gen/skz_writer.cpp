#include "tools/skin_gen/skz_writer.h"

#include <zlib.h>

#include <stdexcept>

namespace skin_gen {
namespace {

void appendInt32(QByteArray& out, qint32 value)
{
    const auto v = quint32(value);
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

QByteArray deflated(const QByteArray& data)
{
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.constData()),
                  uLong(data.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("compression failed");
    out.resize(qsizetype(size));
    return out;
}

} // namespace

QByteArray PackSkz(const std::vector<PackedFile>& files, const QByteArray& previewPng)
{
    QByteArray out("SKzf");
    appendInt32(out, qint32(files.size()));
    for (const PackedFile& file : files) {
        appendInt32(out, qint32(file.name.size()));
        out += file.name;
        appendInt32(out, qint32(file.data.size()));
        out += deflated(file.data);
    }
    if (!previewPng.isEmpty()) {
        out += "previewimg";
        appendInt32(out, qint32(previewPng.size()));
        out += previewPng;
    }
    return out;
}

} // namespace skin_gen
