#include "skin/manager/preview_record.h"

#include <QtEndian>

namespace skin {
namespace {

QByteArray field(QByteArrayView bytes, int offset, int size)
{
    const QByteArrayView f = bytes.sliced(offset, size);
    const qsizetype end = f.indexOf('\0');
    return (end < 0 ? f : f.first(end)).toByteArray();
}

void put(QByteArray& record, int offset, int size, const QByteArray& text)
{
    std::copy(text.begin(), text.begin() + std::min<qsizetype>(text.size(), size), record.begin() + offset);
}

} // namespace

std::optional<TkxSkinData> ParsePreviewRecord(QByteArrayView bytes, QString* why)
{
    const auto fail = [why](const QString& text) {
        if (why)
            *why = text;
        return std::nullopt;
    };
    if (bytes.size() != kPreviewRecordSize)
        return fail(QStringLiteral("size %1, expected %2").arg(bytes.size()).arg(kPreviewRecordSize));
    TkxSkinData record;
    record.Magic = qFromLittleEndian<quint32>(bytes.data());
    if (record.Magic != kPreviewMagic)
        return fail(QStringLiteral("magic 0x%1").arg(record.Magic, 0, 16));
    record.SkinName = field(bytes, 4, kPreviewNameSize);
    record.SkinDir = field(bytes, 4 + kPreviewNameSize, kPreviewDirSize);
    record.Data = field(bytes, 4 + kPreviewNameSize + kPreviewDirSize, kPreviewDataSize);
    return record;
}

QByteArray BuildPreviewRecord(const QByteArray& name, const QByteArray& dir, const QByteArray& data)
{
    if (name.size() >= kPreviewNameSize || dir.size() >= kPreviewDirSize || data.size() >= kPreviewDataSize)
        return {};
    QByteArray record(kPreviewRecordSize, '\0');
    qToLittleEndian<quint32>(kPreviewMagic, record.data());
    put(record, 4, kPreviewNameSize, name);
    put(record, 4 + kPreviewNameSize, kPreviewDirSize, dir);
    put(record, 4 + kPreviewNameSize + kPreviewDirSize, kPreviewDataSize, data);
    return record;
}

} // namespace skin
