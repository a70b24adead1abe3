#include "tools/skin_preview_send/preview_sender.h"

#include "skin/manager/preview_record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>

namespace skin_preview {

QByteArray RecordForFolder(const QString& folder, QString* error)
{
    const QFileInfo info(QDir(folder).absolutePath());
    QFile options(info.absoluteFilePath() + QStringLiteral("/Options.dat"));
    if (!options.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("no Options.dat in %1").arg(info.absoluteFilePath());
        return {};
    }
    const QByteArray record = skin::BuildPreviewRecord(info.fileName().toLocal8Bit(),
                                                       info.absolutePath().toLocal8Bit(), options.readAll());
    if (record.isEmpty())
        *error = QStringLiteral("the skin's name, folder or options text is too long for a preview record");
    return record;
}

bool SendRecord(const QString& path, const QByteArray& record, QString* error)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(2000)) {
        *error = QStringLiteral("no program listens on %1: %2").arg(path, socket.errorString());
        return false;
    }
    socket.write(record);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(2000)) {
            *error = socket.errorString();
            return false;
        }
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(2000);
    return true;
}

} // namespace skin_preview
