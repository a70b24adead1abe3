#pragma once
// Reading packed skin archives ("SKzf"): entries of name, unpacked size and
// one zlib stream each, back to back, then an optional "previewimg" trailer.
//
// Bad input never reads out of bounds: an archive that ends early stops the
// walk and keeps what was read; a zlib stream with bad data raises
// ArchiveError, which the skin manager reports like any load error.

#include "runtime/error.h"
#include "skin/archive/skin_convertor.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace skin {

class ArchiveError : public runtime::Error {
public:
    using runtime::Error::Error;
};

// Shows a message to the user. The skin manager supplies it so that it can
// switch its dialog skinning off around the box; unassigned, nothing is shown.
using MessageHandler = std::function<void(const std::string& text)>;

inline constexpr const char* kNotPackedSkinText = "Loaded data is not a packed skin file";

// "Internal format error in the "<name>" skin. Please, update this skin to latest version."
std::string InternalFormatErrorText(const std::string& SkinName);

// Unpacks Convertor.PackedData into Options, FileCount and Files. Returns
// false, after passing kNotPackedSkinText to OnError, when the signature is
// wrong; Options and Files then stay as they were. The preview is left unread.
bool UnpackSkinArchive(TkxSkinConvertor& Convertor, const MessageHandler& OnError = {});

// Does nothing when FileName does not exist. Otherwise creates the convertor
// or clears it, reads the whole file as PackedData, unpacks it and frees
// PackedData again; the unpacked files stay in the convertor.
void LoadPackedSkinFile(const QString& FileName, std::unique_ptr<TkxSkinConvertor>& Convertor,
                        const MessageHandler& OnError = {});

// Copies the preview image of an archive into Target. False, Target
// untouched, when there is no "previewimg" marker or its length does not fit
// the bytes that follow it.
bool ExtractSkinPreview(QByteArray& Target, const QByteArray& Archive);

// False when the file does not exist; otherwise ExtractSkinPreview on it.
bool LoadSkinPreviewFromFile(QByteArray& Target, const QString& FileName);

} // namespace skin
