#include "skin/manager/preview_server.h"

#include "runtime/application.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>

namespace skin {
namespace {

Q_LOGGING_CATEGORY(lcPreview, "fluxmira.skin.preview")

const char* kBufferProperty = "fluxmiraPreviewBytes";

} // namespace

TkPreviewServer::TkPreviewServer(QObject* parent) : QObject(parent) {}

TkPreviewServer::~TkPreviewServer() = default;

QString TkPreviewServer::DefaultPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/fluxmira-skin-preview");
}

bool TkPreviewServer::Listen(const QString& path)
{
    {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(100)) {
            qCInfo(lcPreview) << "another program listens on" << path;
            return false;
        }
    }
    delete fServer;
    fServer = new QLocalServer(this);
    fServer->setSocketOptions(QLocalServer::UserAccessOption);
    fServer->setMaxPendingConnections(4);
    QLocalServer::removeServer(path);
    if (!fServer->listen(path)) {
        qCWarning(lcPreview) << "cannot listen on" << path << fServer->errorString();
        delete fServer;
        fServer = nullptr;
        return false;
    }
    connect(fServer, &QLocalServer::newConnection, this, [this] { runtime::RunGuarded([this] { accept(); }); });
    return true;
}

bool TkPreviewServer::Listening() const { return fServer && fServer->isListening(); }

QString TkPreviewServer::Path() const { return fServer ? fServer->fullServerName() : QString(); }

void TkPreviewServer::accept()
{
    while (QLocalSocket* socket = fServer->nextPendingConnection()) {
        socket->setParent(this);
        socket->setReadBufferSize(kPreviewRecordSize + 1);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QByteArray bytes = socket->property(kBufferProperty).toByteArray();
            bytes += socket->read(kPreviewRecordSize + 1 - bytes.size());
            socket->setProperty(kBufferProperty, bytes);
            if (bytes.size() > kPreviewRecordSize)
                socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { runtime::RunGuarded([&] { finish(socket); }); });
        if (socket->state() != QLocalSocket::ConnectedState)
            finish(socket);
    }
}

void TkPreviewServer::finish(QLocalSocket* socket)
{
    if (socket->property("fluxmiraPreviewDone").toBool())
        return;
    socket->setProperty("fluxmiraPreviewDone", true);
    QByteArray bytes = socket->property(kBufferProperty).toByteArray();
    if (bytes.size() <= kPreviewRecordSize)
        bytes += socket->read(kPreviewRecordSize + 1 - bytes.size());
    socket->deleteLater();
    QString why;
    const std::optional<TkxSkinData> record = ParsePreviewRecord(bytes, &why);
    if (!record) {
        ++fDropped;
        qCWarning(lcPreview) << "preview record dropped:" << why;
        return;
    }
    ++fAccepted;
    if (OnRecord)
        OnRecord(*record);
}

} // namespace skin
