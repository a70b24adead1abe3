#include "tests/skin/archive_builder.h"

#include <zlib.h>

#include <stdexcept>

namespace skin_test {

QByteArray Int32(qint32 value)
{
    QByteArray out(4, '\0');
    const auto v = quint32(value);
    for (int i = 0; i < 4; ++i)
        out[i] = char((v >> (8 * i)) & 0xFF);
    return out;
}

QByteArray ZlibCompress(const QByteArray& data, int level)
{
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.constData()),
                  uLong(data.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(qsizetype(size));
    return out;
}

QByteArray BuildArchive(const ArchiveSpec& desc)
{
    QByteArray out = desc.signature;
    out += Int32(desc.count.value_or(qint32(desc.entries.size())));
    for (const Entry& e : desc.entries) {
        out += Int32(qint32(e.name.size()));
        out += e.name;
        out += Int32(e.statedSize.value_or(qint32(e.data.size())));
        out += ZlibCompress(e.data, e.level);
    }
    if (desc.preview) {
        out += "previewimg";
        out += Int32(qint32(desc.preview->size()));
        out += *desc.preview;
    }
    return out;
}

} // namespace skin_test
