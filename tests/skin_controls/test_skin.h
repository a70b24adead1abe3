#pragma once
// A small folder skin for tests: solid-colour pieces whose image columns
// (red, green, blue) tell which state a control drew, on a white form.

#include <QByteArray>
#include <QColor>
#include <QString>

namespace skin_ui_test {

inline const QColor kColumn0{255, 0, 0};
inline const QColor kColumn1{0, 255, 0};
inline const QColor kColumn2{0, 0, 255};

// The options text of the test skin; Extra is appended as written.
QByteArray TestOptions(const QByteArray& Extra = {});
// The master bitmap of the test skin, PNG encoded.
QByteArray TestMaster();
// Writes Dir/Name/Options.dat and Dir/Name/MASTER.PNG; returns the skin folder.
QString WriteFolderSkin(const QString& Dir, const QString& Name, const QByteArray& Extra = {});
// The same skin as a packed archive.
QByteArray PackedTestSkin(const QByteArray& Extra = {});

} // namespace skin_ui_test
