#pragma once
// Builds and sends a live preview record for a folder skin to a running program.

#include <QByteArray>
#include <QString>

namespace skin_preview {

// The record for the folder skin at Folder: its name is the folder's name,
// its directory the folder's parent, its text the folder's "Options.dat".
// Empty, with the reason in Error, when the folder has no options file or
// a text does not fit its field.
QByteArray RecordForFolder(const QString& Folder, QString* Error);

// Sends Record to the socket at Path; false, with the reason, when it cannot.
bool SendRecord(const QString& Path, const QByteArray& Record, QString* Error);

} // namespace skin_preview
