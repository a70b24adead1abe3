// Any bytes as a packed skin: unpacking ends in a result or ArchiveError.
#include "skin/archive/skin_archive.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exact-size copy, so reading one byte too far is caught.
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    skin::TkxSkinConvertor convertor;
    convertor.PackedData = bytes;
    try {
        skin::UnpackSkinArchive(convertor, [](const std::string&) {});
    } catch (const skin::ArchiveError&) {
    }
    convertor.FindFile(QStringLiteral("OPTIONS.DAT"));
    convertor.FindFile(QStringLiteral("MASTER COPY.BMP"));
    QByteArray preview;
    skin::ExtractSkinPreview(preview, bytes);
    return 0;
}
