#include "skin/archive/skin_archive.h"

#include "skin/archive/find_bytes.h"
#include "skin/archive/zlib_entry.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace skin {
namespace {

constexpr char kSignature[] = "SKzf";
constexpr char kPreviewMarker[] = "previewimg";
constexpr qsizetype kPreviewMarkerSize = 10;

// Walks the archive bytes; every read checks what is left first.
class ByteReader {
public:
    explicit ByteReader(QByteArrayView data) : fData(data) {}

    bool readInt32(qint32& value)
    {
        if (left() < 4)
            return false;
        quint32 v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(fData[fPos + i]);
        value = static_cast<qint32>(v);
        fPos += 4;
        return true;
    }

    bool readBytes(qint32 count, QByteArrayView& bytes)
    {
        if (count < 0 || count > left())
            return false;
        bytes = fData.sliced(fPos, count);
        fPos += count;
        return true;
    }

    QByteArrayView rest() const { return fData.sliced(fPos); }
    void skip(qsizetype count) { fPos += std::min(count, left()); }
    qsizetype left() const { return fData.size() - fPos; }
    void seek(qsizetype pos) { fPos = std::min(pos, fData.size()); }

private:
    QByteArrayView fData;
    qsizetype fPos = 0;
};

QByteArray readWholeFile(const QString& FileName, bool& ok)
{
    QFile file(FileName);
    ok = file.open(QIODevice::ReadOnly);
    return ok ? file.readAll() : QByteArray();
}

// Reads one entry; false when the archive ends before the entry is complete.
bool readEntry(ByteReader& reader, TkxSkinConvertor& Convertor)
{
    qint32 nameLength = 0;
    QByteArrayView nameBytes;
    qint32 size = 0;
    if (!reader.readInt32(nameLength) || !reader.readBytes(nameLength, nameBytes)
        || !reader.readInt32(size))
        return false;

    const QString name = QString::fromLocal8Bit(nameBytes);
    QByteArray data;
    const InflateResult inflated = InflateEntry(reader.rest(), size, data);
    if (inflated.status == InflateStatus::Corrupt)
        throw ArchiveError("Packed skin data error in \"" + name.toStdString() + "\"");
    reader.skip(qsizetype(inflated.consumed));

    if (name.toUpper() == u"OPTIONS.DAT")
        Convertor.Options = std::move(data);
    else
        Convertor.Files.push_back({name, FileTypeFromName(name), std::move(data)});
    return inflated.status == InflateStatus::Complete;
}

} // namespace

std::string InternalFormatErrorText(const std::string& SkinName)
{
    return "Internal format error in the \"" + SkinName
        + "\" skin. Please, update this skin to latest version.";
}

bool UnpackSkinArchive(TkxSkinConvertor& Convertor, const MessageHandler& OnError)
{
    const QByteArray packed = Convertor.PackedData;  // shared, keeps the bytes alive
    if (packed.size() < 4 || std::memcmp(packed.constData(), kSignature, 4) != 0) {
        if (OnError)
            OnError(kNotPackedSkinText);
        return false;
    }
    ByteReader reader(packed);
    reader.seek(4);
    qint32 count = 0;
    if (!reader.readInt32(count))
        return true;
    Convertor.FileCount = std::max(count - 1, 0);
    for (qint32 i = 0; i < count; ++i) {
        if (!readEntry(reader, Convertor))
            break;
    }
    return true;
}

void LoadPackedSkinFile(const QString& FileName, std::unique_ptr<TkxSkinConvertor>& Convertor,
                        const MessageHandler& OnError)
{
    if (!QFileInfo(FileName).isFile())
        return;
    if (Convertor)
        Convertor->Clear();
    else
        Convertor = std::make_unique<TkxSkinConvertor>();
    bool ok = false;
    Convertor->PackedData = readWholeFile(FileName, ok);
    try {
        UnpackSkinArchive(*Convertor, OnError);
    } catch (...) {
        Convertor->PackedData.clear();
        throw;
    }
    Convertor->PackedData.clear();
}

bool ExtractSkinPreview(QByteArray& Target, const QByteArray& Archive)
{
    const int position = FindBytes(1, QByteArrayView(kPreviewMarker, kPreviewMarkerSize), Archive);
    if (position == 0)
        return false;
    ByteReader reader(Archive);
    reader.seek(position - 1 + kPreviewMarkerSize);
    qint32 length = 0;
    QByteArrayView image;
    if (!reader.readInt32(length) || !reader.readBytes(length, image))
        return false;
    Target = image.toByteArray();
    return true;
}

bool LoadSkinPreviewFromFile(QByteArray& Target, const QString& FileName)
{
    if (!QFileInfo(FileName).isFile())
        return false;
    bool ok = false;
    const QByteArray archive = readWholeFile(FileName, ok);
    return ok && ExtractSkinPreview(Target, archive);
}

} // namespace skin
