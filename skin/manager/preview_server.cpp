#include "skin/manager/preview_server.h"

#include "platform/private_dir.h"
#include "runtime/application.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QSocketNotifier>

namespace skin {
namespace {

Q_LOGGING_CATEGORY(lcPreview, "fluxmira.skin.preview")

const QString kSocketName = QStringLiteral("fluxmira-skin-preview");
constexpr int kBacklog = 8;
// A record is one write of 30 KB; more peers at once than this are no sender.
constexpr int kMaxConnections = 8;
// After a failed accept (out of descriptors) the pending peer stays queued:
// look again after this pause instead of spinning on it.
constexpr int kRetryMs = 200;

const char* const kBuffer = "fluxmiraPreviewBytes";
const char* const kDone = "fluxmiraPreviewDone";

std::string local8(const QString& path) { return QFile::encodeName(path).toStdString(); }

} // namespace

TkPreviewServer::TkPreviewServer(QObject* parent) : QObject(parent)
{
    fRetry.setSingleShot(true);
    fRetry.setInterval(kRetryMs);
    connect(&fRetry, &QTimer::timeout, this, [this] { runtime::RunGuarded([this] { acceptPending(); }); });
}

TkPreviewServer::~TkPreviewServer() { stop(); }

QString TkPreviewServer::DefaultPath(QString* why)
{
    QStringList reasons;
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty()) {
        const std::string problem = platform::CheckPrivateDirectory(local8(runtimeDir));
        if (problem.empty())
            return runtimeDir + u'/' + kSocketName;
        reasons << QString::fromStdString(problem);
    }
    const QString own = QDir::tempPath() + QStringLiteral("/fluxmira-") + QString::fromStdString(platform::UserIdText());
    const std::string problem = platform::MakePrivateDirectory(local8(own));
    if (problem.empty())
        return own + u'/' + kSocketName;
    reasons << QString::fromStdString(problem);
    if (why)
        *why = reasons.join(QStringLiteral("; "));
    return {};
}

bool TkPreviewServer::ListenDefault()
{
    QString why;
    const QString path = DefaultPath(&why);
    if (path.isEmpty()) {
        qCWarning(lcPreview).noquote() << "live skin preview off: no private folder for its socket:" << why;
        return false;
    }
    return Listen(path);
}

bool TkPreviewServer::Listen(const QString& path)
{
    stop();
    const std::string folderProblem = platform::CheckPrivateDirectory(local8(QFileInfo(path).absolutePath()));
    if (!folderProblem.empty()) {
        qCWarning(lcPreview).noquote() << "live skin preview off:" << QString::fromStdString(folderProblem);
        return false;
    }
    fListener = platform::ListenLocal(local8(path), kBacklog);
    if (fListener.fd < 0) {
        if (fListener.inUse)
            qCInfo(lcPreview).noquote() << "another program listens on" << path;
        else
            qCWarning(lcPreview).noquote() << "cannot listen on" << path << QString::fromStdString(fListener.error);
        return false;
    }
    fPath = path;
    fNotifier = new QSocketNotifier(fListener.fd, QSocketNotifier::Read, this);
    connect(fNotifier, &QSocketNotifier::activated, this, [this] { runtime::RunGuarded([this] { acceptPending(); }); });
    return true;
}

void TkPreviewServer::stop()
{
    fRetry.stop();
    delete fNotifier;
    fNotifier = nullptr;
    platform::CloseLocalListener(fListener, local8(fPath));
    fListener = {};
    fPath.clear();
}

bool TkPreviewServer::Listening() const { return fListener.fd >= 0; }

QString TkPreviewServer::Path() const { return fPath; }

void TkPreviewServer::acceptPending()
{
    if (!Listening())
        return;
    for (;;) {
        int fd = -1;
        std::string error;
        switch (platform::AcceptLocal(fListener.fd, fd, &error)) {
        case platform::AcceptOutcome::Accepted:
            fShortOfResources = false;
            adopt(fd);
            continue;
        case platform::AcceptOutcome::Refused:
            ++fDropped;
            qCWarning(lcPreview) << "preview connection of another user refused";
            continue;
        case platform::AcceptOutcome::NoneWaiting:
            fNotifier->setEnabled(true);
            return;
        case platform::AcceptOutcome::OutOfResources:
        case platform::AcceptOutcome::Failed:
            // Keep listening: the peer stays queued until descriptors are free again.
            if (!fShortOfResources)
                qCWarning(lcPreview).noquote() << "cannot accept a preview connection:" << QString::fromStdString(error)
                                               << "- trying again";
            fShortOfResources = true;
            fNotifier->setEnabled(false);
            fRetry.start();
            return;
        }
    }
}

void TkPreviewServer::adopt(int fd)
{
    auto* socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(fd, QLocalSocket::ConnectedState, QIODevice::ReadOnly)) {
        delete socket;
        ++fDropped;
        return;
    }
    ++fOpen;
    if (fOpen > kMaxConnections) {
        finish(socket, QStringLiteral("more than %1 connections at once").arg(kMaxConnections));
        return;
    }
    socket->setReadBufferSize(kPreviewRecordSize + 1);
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, socket] {
        runtime::RunGuarded([&] { finish(socket, QStringLiteral("no record within %1 ms").arg(fTimeoutMs)); });
    });
    deadline->start(fTimeoutMs);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { runtime::RunGuarded([&] { receive(socket); }); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] { runtime::RunGuarded([&] { finish(socket); }); });
    receive(socket);
    if (socket->state() != QLocalSocket::ConnectedState)
        finish(socket);
}

// Collects at most one byte more than a record: that much already proves the peer wrong.
void TkPreviewServer::receive(QLocalSocket* socket)
{
    QByteArray bytes = socket->property(kBuffer).toByteArray();
    bytes += socket->read(kPreviewRecordSize + 1 - bytes.size());
    socket->setProperty(kBuffer, bytes);
    if (bytes.size() > kPreviewRecordSize)
        finish(socket);
}

void TkPreviewServer::finish(QLocalSocket* socket, const QString& failure)
{
    if (socket->property(kDone).toBool())
        return;
    socket->setProperty(kDone, true);
    --fOpen;
    QByteArray bytes = socket->property(kBuffer).toByteArray();
    if (failure.isEmpty() && bytes.size() <= kPreviewRecordSize)
        bytes += socket->read(kPreviewRecordSize + 1 - bytes.size());
    socket->disconnect(this);
    if (auto* deadline = socket->findChild<QTimer*>())
        deadline->stop();
    socket->abort();
    socket->deleteLater();
    QString why = failure;
    const std::optional<TkxSkinData> record = why.isEmpty() ? ParsePreviewRecord(bytes, &why) : std::nullopt;
    if (!record) {
        ++fDropped;
        // Another instance looking whether someone listens connects and leaves at once.
        if (bytes.isEmpty() && failure.isEmpty())
            qCDebug(lcPreview) << "empty preview connection";
        else
            qCWarning(lcPreview).noquote() << "preview record dropped:" << why;
        return;
    }
    ++fAccepted;
    if (OnRecord)
        OnRecord(*record);
}

} // namespace skin
