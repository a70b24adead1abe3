#pragma once
// Receives live preview records on a local socket in a folder only the same
// user can reach. Each connection may deliver one record of exactly the
// record size within a short time; anything else is dropped and logged.

#include "platform/local_socket.h"
#include "skin/manager/preview_record.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QLocalSocket;
class QSocketNotifier;

namespace skin {

class TkPreviewServer : public QObject {
    Q_OBJECT
public:
    explicit TkPreviewServer(QObject* parent = nullptr);
    ~TkPreviewServer() override;

    // The socket in the user's private runtime folder ($XDG_RUNTIME_DIR, else
    // a folder of this user's own under the temporary folder, created 0700).
    // Empty, with the reason in Why, when no such folder can be had: there is
    // no shared fallback name another account could take first.
    static QString DefaultPath(QString* Why = nullptr);

    // Listens on Path unless another process already does, or the folder of
    // Path can be reached by other users. False when not listening.
    bool Listen(const QString& Path);
    // Listens on DefaultPath(); without a private folder it runs without the
    // preview and says so in the log.
    bool ListenDefault();
    bool Listening() const;
    QString Path() const;

    // How long a connection may take to deliver its record before it is
    // dropped (idle or trickling peers must not hold descriptors for ever).
    void SetConnectionTimeout(int Ms) { fTimeoutMs = Ms; }
    // Connections being received now.
    int Connections() const { return fOpen; }

    // Called with every well-formed record.
    std::function<void(const TkxSkinData&)> OnRecord;
    // Counts of what arrived, for the log and for tests.
    int Accepted() const { return fAccepted; }
    int Dropped() const { return fDropped; }

private:
    void acceptPending();
    void adopt(int fd);
    void receive(QLocalSocket* socket);
    void finish(QLocalSocket* socket, const QString& failure = {});
    void stop();

    platform::LocalListener fListener;
    QString fPath;
    QSocketNotifier* fNotifier = nullptr;
    QTimer fRetry;
    bool fShortOfResources = false;
    int fTimeoutMs = 5000;
    int fOpen = 0;
    int fAccepted = 0;
    int fDropped = 0;
};

} // namespace skin
