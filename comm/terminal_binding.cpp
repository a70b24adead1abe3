#include "comm/terminal_binding.h"

#include "runtime/synchronize.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTextEdit>

namespace comm {
namespace {

// The key a character is typed with: letters by their upper-case code, as
// the keyboard reports them; backspace and CR as those keys. Other control
// characters keep their own code, so a received TAB never moves the focus.
int KeyOf(QChar c)
{
    switch (c.unicode()) {
    case 0x08: return Qt::Key_Backspace;
    case 0x0D: return Qt::Key_Return;
    default: break;
    }
    const QChar upper = c.toUpper();
    return upper.unicode() <= 0xFF ? upper.unicode() : c.unicode();
}

} // namespace

QEvent::Type TcmTerminalNotice::EventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

TcmTerminalBinding::TcmTerminalBinding(QObject* component, SendCharFn send)
    : fComponent(component), fSend(std::move(send))
{
}

TcmTerminalBinding::~TcmTerminalBinding()
{
    Bind(nullptr);
}

void TcmTerminalBinding::Bind(QWidget* control)
{
    if (fControl) {
        fControl->removeEventFilter(this);
        Notify(fControl, nullptr);
    }
    fControl = control;
    hTerminal = nullptr;
    if (control) {
        Notify(control, fComponent);
        control->installEventFilter(this);
    }
}

// Delivered at once rather than queued, so a control has heard of the change
// when the binding call returns, and nothing is left queued for a control
// that is released and destroyed right after.
void TcmTerminalBinding::Notify(QWidget* control, QObject* component)
{
    TcmTerminalNotice notice(component);
    QCoreApplication::sendEvent(control, &notice);
}

void TcmTerminalBinding::SetUsage(TTerminalUsage usage)
{
    fUsage = usage;
    if (fControl)
        hTerminal = usage == tuReceive || usage == tuBoth ? fControl : nullptr;
}

// --- typing ---------------------------------------------------------------

bool TcmTerminalBinding::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != fControl || fLocked || !Sends())
        return false;
    if (event->type() == QEvent::KeyPress)
        return SendTyped(static_cast<QKeyEvent*>(event)->text());
    if (event->type() == QEvent::InputMethod)
        return SendTyped(static_cast<QInputMethodEvent*>(event)->commitString());
    return false;
}

// Sends what was typed; true when the control must not see it (no echo).
bool TcmTerminalBinding::SendTyped(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c.unicode() <= 0xFF)
            fSend(static_cast<char>(c.unicode()));
    return !fEcho;
}

// --- received bytes -------------------------------------------------------

void TcmTerminalBinding::Write(const std::uint8_t* buffer, std::uint32_t len)
{
    if (!runtime::IsGuiThread()) {
        if (runtime::HasApplication())
            runtime::Synchronize([&] { Write(buffer, len); });
        return;
    }
    fLocked = true;
    const auto unlock = qScopeGuard([this] { fLocked = false; });
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(buffer), len);
    if (len == 1) {
        TypeCharacter(text.front());
        return;
    }
    for (const QString& run : text.split(QChar(0)))
        InsertText(run);
}

void TcmTerminalBinding::TypeCharacter(QChar c)
{
    if (!hTerminal)
        return;
    // Straight to the control, as a character message goes to an edit: no
    // shortcut fires, and a key the control ignores (CR, ESC) never travels
    // on to its parents, where it could press a dialog's default button.
    QKeyEvent press(QEvent::KeyPress, KeyOf(c), Qt::NoModifier, QString(c));
    static_cast<QObject*>(hTerminal.data())->event(&press);
}

// Replaces the selection (or inserts at the caret), read-only or not.
void TcmTerminalBinding::InsertText(const QString& text)
{
    QWidget* target = hTerminal;
    if (!target || text.isEmpty())
        return;
    if (auto* line = qobject_cast<QLineEdit*>(target)) {
        line->insert(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(target)) {
        plain->insertPlainText(text);
        plain->ensureCursorVisible();
    } else if (auto* rich = qobject_cast<QTextEdit*>(target)) {
        rich->insertPlainText(text);
        rich->ensureCursorVisible();
    } else {
        // Any other text control takes it as committed input.
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(target, &commit);
    }
}

} // namespace comm
