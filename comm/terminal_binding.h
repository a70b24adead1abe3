#pragma once
// The terminal binding of an I/O component: an edit control whose typed
// characters go to the port and into which received bytes are written.
// An event filter on the control stands in for a replaced window procedure:
// removing it gives the control its own typing back at once.
//
// Bytes and characters map one to one (Latin-1): received bytes 0x80..0xFF
// show as U+0080..U+00FF, and a typed character goes out as its code; a typed
// character beyond U+00FF has no byte and is not sent.

#include "comm/comm_types.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace comm {

// Tells a control which component it serves (none when released). Sent on
// every bind and unbind; an ordinary edit control ignores it.
class TcmTerminalNotice : public QEvent {
public:
    explicit TcmTerminalNotice(QObject* component) : QEvent(EventType()), Component(component) {}
    static QEvent::Type EventType();
    QPointer<QObject> Component;
};

class TcmTerminalBinding : public QObject {
    Q_OBJECT
public:
    using SendCharFn = std::function<void(char)>;
    // component: what the notices name; send: where typed characters go.
    TcmTerminalBinding(QObject* component, SendCharFn send);
    ~TcmTerminalBinding() override;

    QWidget* Control() const { return fControl; }
    // Releases the bound control (if any), then binds control (when given).
    void Bind(QWidget* control);
    TTerminalUsage Usage() const { return fUsage; }
    // Decides whether received bytes are written into the control.
    void SetUsage(TTerminalUsage usage);
    bool Echo() const { return fEcho; }
    void SetEcho(bool echo) { fEcho = echo; }
    // True while the binding itself writes into the control.
    bool Locked() const { return fLocked; }

    // Writes a received chunk into the control (on the GUI thread, waiting
    // for it when called from another thread): one byte as a typed
    // character, more as text inserted at the caret, split at zero bytes.
    void Write(const std::uint8_t* buffer, std::uint32_t len);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Sends() const { return fUsage == tuSend || fUsage == tuBoth; }
    void Notify(QWidget* control, QObject* component);
    bool SendTyped(const QString& text);
    void TypeCharacter(QChar c);
    void InsertText(const QString& text);

    QObject* fComponent;
    SendCharFn fSend;
    QPointer<QWidget> fControl;
    QPointer<QWidget> hTerminal;  // where received bytes go; none unless receiving
    TTerminalUsage fUsage = tuNone;
    bool fEcho = false;
    bool fLocked = false;
};

} // namespace comm
