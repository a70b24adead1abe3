#pragma once
// A packed skin unpacked into memory: the options file and the other files,
// looked up by name while a skin is loaded.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace skin {

enum class TkxFileType { ftBmp, ftFont, ftOther };

// ".BMP" -> ftBmp; ".TTF", ".OTF" -> ftFont; anything else -> ftOther.
TkxFileType FileTypeFromName(const QString& Name);

struct TkxFileItem {
    QString Name;                       // entry name, case kept
    TkxFileType FileType = TkxFileType::ftOther;
    QByteArray Stream;                  // the unpacked bytes
};

using TkxFileItems = std::vector<TkxFileItem>;

class TkxSkinConvertor {
public:
    // The unpacked options file; empty optional when the archive had none.
    std::optional<QByteArray> Options;
    // The whole archive while it is read. QByteArray is shared on copy, so
    // pointing this at an internal skin's data borrows it without copying;
    // the manager clears it again right after unpacking.
    QByteArray PackedData;
    // Entries other than the options entry as the archive states them (N - 1,
    // never below 0). A truncated archive holds fewer items: lookups never go
    // past the end of Files.
    int FileCount = 0;
    TkxFileItems Files;

    void Clear();

    // First of the first FileCount items whose upper-cased name equals Name
    // exactly; nullptr when none. Callers upper-case image file names first,
    // the master bitmap name is passed as written.
    const TkxFileItem* FindFile(const QString& Name) const;
};

} // namespace skin
