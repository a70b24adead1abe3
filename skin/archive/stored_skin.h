#pragma once
// An internal skin stored with a window, and the export of its archive.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <vector>

namespace skin {

using TColor = qint32;  // 0x00BBGGRR; top byte 0xFF marks a system colour code

struct TkStoredSkin {
    QString Name;
    QImage MasterBitmap;
    TColor Shadow1Color = 0;
    int Shadow1Offset = 0;
    int Shadow1Blur = -1;
    int Shadow1Transparency = 0;
    TColor BorderColor = 0xFF00FF;
    double Version = 0;
    QString Author;
    QString Description;
    QByteArray PackedData;  // "Data": the whole archive
    QString OrigName;       // "OriginName": the .skz file it was taken from
};

using TkStoredSkins = std::vector<TkStoredSkin>;

// Writes Skin's archive, byte for byte, to DestDir + Name + " extracted.skz",
// creating DestDir when needed. DestDir gets a trailing "/" ("\" is turned
// into it). Failure: an error box "<dir> directory creation error.".
// Returns whether the file was written.
bool ExtractByIndex(const TkStoredSkin& Skin, const QString& DestDir);

// Exports every internal skin named NameOfSkin (exact match). Errors:
// "Directory does not exists." when DestDir is missing, "Skin does not
// exists." when no skin matches, each in an error box.
void ExtractInternalSkin(const TkStoredSkins& Skins, const QString& NameOfSkin, const QString& DestDir);

} // namespace skin
