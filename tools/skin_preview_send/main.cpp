// skin_preview_send <skin folder> [socket]: shows a folder skin in the
// running program at once, without packing it.
#include "skin/manager/preview_server.h"
#include "tools/skin_preview_send/preview_sender.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: skin_preview_send <skin folder> [socket]\n");
        return 2;
    }
    QString error;
    const QByteArray record = skin_preview::RecordForFolder(args[1], &error);
    const QString socket = args.size() == 3 ? args[2] : skin::TkPreviewServer::DefaultPath(&error);
    if (record.isEmpty() || socket.isEmpty() || !skin_preview::SendRecord(socket, record, &error)) {
        std::fprintf(stderr, "skin_preview_send: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
