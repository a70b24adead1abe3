#pragma once
// Receives live preview records on a local socket that only the same user
// can reach. Each connection may deliver one record of exactly the record
// size; anything else is dropped and logged.

#include "skin/manager/preview_record.h"

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

namespace skin {

class TkPreviewServer : public QObject {
    Q_OBJECT
public:
    explicit TkPreviewServer(QObject* parent = nullptr);
    ~TkPreviewServer() override;

    // The socket in the user's runtime folder.
    static QString DefaultPath();

    // Listens on Path unless another process already does. False when not listening.
    bool Listen(const QString& Path);
    bool Listening() const;
    QString Path() const;

    // Called with every well-formed record.
    std::function<void(const TkxSkinData&)> OnRecord;
    // Counts of what arrived, for the log and for tests.
    int Accepted() const { return fAccepted; }
    int Dropped() const { return fDropped; }

private:
    void accept();
    void finish(QLocalSocket* socket);

    QLocalServer* fServer = nullptr;
    int fAccepted = 0;
    int fDropped = 0;
};

} // namespace skin
