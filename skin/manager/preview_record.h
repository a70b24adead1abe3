#pragma once
// The live preview record another process sends: 30,645 bytes of magic
// (32-bit little-endian 0xA400), skin name (128 bytes), skin folder (512
// bytes) and options text (30,001 bytes), the texts 8-bit and zero-padded.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace skin {

inline constexpr quint32 kPreviewMagic = 0xA400;
inline constexpr int kPreviewNameSize = 128;
inline constexpr int kPreviewDirSize = 512;
inline constexpr int kPreviewDataSize = 30001;
inline constexpr int kPreviewRecordSize = 4 + kPreviewNameSize + kPreviewDirSize + kPreviewDataSize;

// A received record with its texts cut at their first zero byte and never
// longer than their fields.
struct TkxSkinData {
    quint32 Magic = 0;
    QByteArray SkinName;
    QByteArray SkinDir;
    QByteArray Data;
};

// The record in Bytes, or nothing (with the reason) when its size or magic is wrong.
std::optional<TkxSkinData> ParsePreviewRecord(QByteArrayView Bytes, QString* Why = nullptr);

// A record of these texts; empty when one does not fit its field with a terminating zero.
QByteArray BuildPreviewRecord(const QByteArray& SkinName, const QByteArray& SkinDir, const QByteArray& Data);

} // namespace skin
