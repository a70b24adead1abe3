// Any bytes as a received live preview record, as they come and placed
// inside a record of the right size and magic: parsing reads nothing outside
// the record, its texts stay within their fields, and a record built from
// them again reads back the same.
#include "skin/manager/preview_record.h"

#include <QtEndian>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {

void check(const QByteArray& bytes, bool mustParse)
{
    QString why;
    const auto record = skin::ParsePreviewRecord(bytes, &why);
    if (!record) {
        if (mustParse || why.isEmpty())
            std::abort();
        return;
    }
    for (const auto& [text, field] : {std::pair{&record->SkinName, skin::kPreviewNameSize},
                                      std::pair{&record->SkinDir, skin::kPreviewDirSize},
                                      std::pair{&record->Data, skin::kPreviewDataSize}}) {
        if (text->size() > field || text->contains('\0'))
            std::abort();
    }
    const QByteArray again = skin::BuildPreviewRecord(record->SkinName, record->SkinDir, record->Data);
    const bool fits = record->SkinName.size() < skin::kPreviewNameSize && record->SkinDir.size() < skin::kPreviewDirSize
        && record->Data.size() < skin::kPreviewDataSize;
    if (fits == again.isEmpty())
        std::abort();
    if (!fits)
        return;
    const auto reread = skin::ParsePreviewRecord(again);
    if (!reread || reread->SkinName != record->SkinName || reread->SkinDir != record->SkinDir
        || reread->Data != record->Data)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    check(bytes, false);
    if (size < 2)
        return 0;
    // The first two bytes say where the rest lands in an otherwise empty record.
    QByteArray record(skin::kPreviewRecordSize, '\0');
    qToLittleEndian<quint32>(skin::kPreviewMagic, record.data());
    const qsizetype at = 4 + (data[0] << 8 | data[1]) % (skin::kPreviewRecordSize - 4);
    const qsizetype length = std::min<qsizetype>(qsizetype(size) - 2, skin::kPreviewRecordSize - at);
    std::copy(data + 2, data + 2 + length, record.begin() + at);
    check(record, true);
    return 0;
}
