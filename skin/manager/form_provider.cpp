#include "skin/manager/form_provider.h"

#include "runtime/application.h"
#include "skin/manager/auto_skinning.h"
#include "skin/manager/skin_command.h"
#include "skin/manager/skin_manager.h"
#include "skin/manager/third_party.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

namespace skin {
namespace {

const char* kProviderProperty = "fluxmiraSkinProvider";

QList<QPointer<TkxProvider>>& attachments()
{
    static QList<QPointer<TkxProvider>> list;
    return list;
}

bool isOverlay(const QObject* o) { return o->property("fluxmiraSkinOverlay").toBool(); }

} // namespace

TkxProvider::TkxProvider(QWidget* window, TkSkinManager* manager, Kind kind)
    : QObject(window), fWindow(window), fManager(manager), fKind(kind),
      fAdapter(std::make_unique<TkThirdPartyAdapter>(window, manager))
{
    window->setProperty(kProviderProperty, QVariant::fromValue<QObject*>(this));
    window->installEventFilter(this);
    attachments().append(this);
}

TkxProvider::~TkxProvider()
{
    attachments().removeAll(this);
    attachments().removeAll(nullptr);
    if (fWindow) {
        fWindow->removeEventFilter(this);
        fWindow->setProperty(kProviderProperty, QVariant());
    }
}

TkxProvider* TkxProvider::Attach(QWidget* window, TkSkinManager* manager, Kind kind)
{
    if (TkxProvider* existing = ProviderOf(window))
        return existing;
    auto* provider = new TkxProvider(window, manager, kind);
    provider->apply();
    return provider;
}

TkxProvider* TkxProvider::ProviderOf(const QWidget* window)
{
    return window ? qobject_cast<TkxProvider*>(window->property(kProviderProperty).value<QObject*>()) : nullptr;
}

QList<TkxProvider*> TkxProvider::Attachments()
{
    QList<TkxProvider*> list;
    for (const QPointer<TkxProvider>& p : attachments()) {
        if (p && p->fWindow)
            list.append(p);
    }
    return list;
}

QPoint TkxProvider::ClientOrigin(const QWidget* window)
{
    const TkxProvider* p = ProviderOf(window);
    return p ? p->fShift : QPoint();
}

void TkxProvider::apply()
{
    // Also during the activation broadcast, before the skin is marked applied.
    if (!fWindow || !fManager || !fManager->Active() || fManager->Model().gd.empty())
        return;
    if (fKind == Kind::Form)
        applyForm();
    else
        applyDialogColours(true);
    fAdapter->Apply();
    fApplied = true;
}

void TkxProvider::remove()
{
    if (!fApplied || !fWindow)
        return;
    fApplied = false;
    fAdapter->Remove();
    if (fKind == Kind::Form)
        removeForm();
    else
        applyDialogColours(false);
}

void TkxProvider::applyForm()
{
    QWidget* w = fWindow;
    if (!fFramed) {
        fSavedFlags = w->windowFlags();
        fSavedPalette = w->palette();
        const bool visible = w->isVisible();
        // Button hints would bring the system frame back; the caption draws its own buttons.
        w->setWindowFlags((fSavedFlags & (Qt::WindowType_Mask | Qt::WindowStaysOnTopHint)) | Qt::FramelessWindowHint);
        if (visible)
            w->show();
        w->setMouseTracking(true);
        fFramed = true;
    }
    fLayout = FrameLayout(fManager->Model(), w->size(), fSavedFlags.testFlag(Qt::WindowMinimizeButtonHint));
    shiftChildren(QPoint(fLayout.Border, fLayout.TitleHeight) + fitOffset());
    QPalette palette = fSavedPalette;
    if (const auto plain = PlainClientColor(fManager->Model()))
        palette.setColor(QPalette::Window, *plain);
    w->setPalette(palette);
    invalidate();
}

void TkxProvider::removeForm()
{
    QWidget* w = fWindow;
    shiftChildren(QPoint());
    if (fFramed) {
        const bool visible = w->isVisible();
        w->setWindowFlags(fSavedFlags);
        w->setPalette(fSavedPalette);
        if (visible && !QCoreApplication::closingDown())
            w->show();
        fFramed = false;
    }
    fImage = QImage();
    w->update();
}

// The skin's frame can leave a smaller client area than the window was laid
// out for: children that would reach into the frame move up (or left) as far
// as needed to stay kFitMargin inside it, never past the client area's top.
QPoint TkxProvider::fitOffset() const
{
    constexpr int kFitMargin = 4;
    QRect children;
    for (QObject* child : fWindow->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isWindow() && !isOverlay(widget))
            children |= widget->geometry().translated(-fShift);
    }
    const QSize client = fWindow->size().shrunkBy(fLayout.Client());
    if (children.isEmpty() || client.isEmpty())
        return {};
    const auto fit = [](int start, int end, int length) {
        return std::max(std::min(0, length - kFitMargin - end), -start);
    };
    return {fit(children.left(), children.right() + 1, client.width()),
            fit(children.top(), children.bottom() + 1, client.height())};
}

void TkxProvider::shiftChildren(QPoint offset)
{
    const QPoint delta = offset - fShift;
    fShift = offset;
    if (delta.isNull())
        return;
    for (QObject* child : fWindow->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isWindow() && !isOverlay(widget))
            widget->move(widget->pos() + delta);
    }
}

void TkxProvider::applyDialogColours(bool skinned)
{
    QWidget* w = fWindow;
    if (!skinned) {
        w->setPalette(fSavedPalette);
        return;
    }
    if (!fApplied)
        fSavedPalette = w->palette();
    const TkSkinModel& m = fManager->Model();
    QPalette palette = fSavedPalette;
    palette.setColor(QPalette::Window, PlainClientColor(m).value_or(ToQColor(m.Palette[pcMainColor])));
    palette.setColor(QPalette::WindowText, ToQColor(m.Palette[pcLabelText]));
    palette.setColor(QPalette::Base, ToQColor(m.Palette[pcEditBG]));
    palette.setColor(QPalette::Text, ToQColor(m.Palette[pcEditText]));
    palette.setColor(QPalette::Button, ToQColor(m.Palette[pcBtnColor1Normal]));
    palette.setColor(QPalette::ButtonText, ToQColor(m.Palette[pcBtnFontNormal]));
    palette.setColor(QPalette::Highlight, ToQColor(m.Palette[pcSelectionBG_Focused]));
    palette.setColor(QPalette::HighlightedText, ToQColor(m.Palette[pcSelectionText_Focused]));
    w->setPalette(palette);
}

// The frame is drawn again only when it is next needed: several changes in
// a row (framing, resizing, activation at start) cost one drawing.
void TkxProvider::invalidate(const QRect& area)
{
    fDirty = true;
    if (fManager && fWindow && !fWindow->size().isEmpty())
        fLayout = FrameLayout(fManager->Model(), fWindow->size(), fSavedFlags.testFlag(Qt::WindowMinimizeButtonHint));
    if (!fWindow)
        return;
    if (area.isNull())
        fWindow->update();
    else
        fWindow->update(area);
}

const QImage& TkxProvider::frameImage()
{
    if (fDirty || fImage.size() != fWindow->size())
        rebuild();
    return fImage;
}

void TkxProvider::rebuild()
{
    if (!fApplied && !fFramed)
        return;
    QWidget* w = fWindow;
    if (w->size().isEmpty() || !fManager)
        return;
    fDirty = false;
    fLayout = FrameLayout(fManager->Model(), w->size(), fSavedFlags.testFlag(Qt::WindowMinimizeButtonHint));
    fState.Title = w->windowTitle();
    fState.Font = QApplication::font("QMdiSubWindowTitleBar");
    fState.Font.setBold(true);
    fState.Font.setPixelSize(13);
    fState.Icon = w->windowIcon().isNull() ? QImage() : w->windowIcon().pixmap(20, 20).toImage();
    fState.Active = w->isActiveWindow() || !w->isVisible() || QGuiApplication::platformName() == u"offscreen";
    QImage image(w->size(), QImage::Format_ARGB32_Premultiplied);
    PaintFormFrame(image, fManager->Model(), fLayout, fState);
    fImage = image;
}

void TkxProvider::paint()
{
    const QImage& image = frameImage();
    QPainter p(fWindow);
    p.drawImage(0, 0, image);
}

void TkxProvider::answer(TkSkinCommandEvent& e)
{
    if (!fApplied || !fManager)
        return;
    const TkSkinModel& model = fManager->Model();
    if (e.Command == KM_GETBACKGROUND) {
        if (fKind == Kind::Dialog)
            return;
        const QRect client = fWindow->rect().marginsRemoved(fLayout.Client());
        const auto plain = PlainClientColor(model);
        if (plain && client.contains(e.Bounds))
            e.BeneathColor = *plain;
        else
            e.BeneathImage = frameImage().copy(e.Bounds);
        e.Answered = true;
    } else if (e.Command == KM_GETSECTION) {
        const int form = model.GetSkinIndex(QStringLiteral("FORM"));
        e.Result = model.IsValidSkinIndex(form) ? form + 1 : -1;
        e.Answered = true;
    }
}

void TkxProvider::setHot(TkTitleButton hot)
{
    if (fState.Hot == hot)
        return;
    fState.Hot = hot;
    invalidate(fLayout.Caption);
}

bool TkxProvider::mouse(QEvent* event)
{
    auto* me = static_cast<QMouseEvent*>(event);
    const QPoint pos = me->position().toPoint();
    const TkTitleButton at = fLayout.ButtonAt(pos);
    switch (event->type()) {
    case QEvent::MouseMove:
        setHot(at);
        return fState.Pressed != TkTitleButton::None;
    case QEvent::MouseButtonPress:
        if (me->button() != Qt::LeftButton || !fLayout.Caption.contains(pos))
            return false;
        if (at != TkTitleButton::None) {
            fState.Pressed = at;
            invalidate(fLayout.Caption);
        } else if (QWindow* handle = fWindow->windowHandle()) {
            handle->startSystemMove();
        }
        return true;
    case QEvent::MouseButtonRelease: {
        const TkTitleButton pressed = fState.Pressed;
        if (pressed == TkTitleButton::None)
            return false;
        fState.Pressed = TkTitleButton::None;
        invalidate(fLayout.Caption);
        if (pressed == at) {
            QPointer<QWidget> w = fWindow;
            runtime::RunGuarded([&] {
                if (pressed == TkTitleButton::Close)
                    w->close();
                else
                    w->showMinimized();
            });
        }
        return true;
    }
    default:
        return false;
    }
}

bool TkxProvider::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != fWindow)
        return false;
    if (event->type() == TkSkinCommandEvent::EventType()) {
        answer(*static_cast<TkSkinCommandEvent*>(event));
        return false;
    }
    if (fKind != Kind::Form || !fApplied)
        return false;
    switch (event->type()) {
    case QEvent::Paint:
        paint();
        return false;
    case QEvent::Resize:
    case QEvent::WindowTitleChange:
    case QEvent::WindowIconChange:
    case QEvent::ActivationChange:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        invalidate();
        return false;
    case QEvent::Leave:
        setHot(TkTitleButton::None);
        return false;
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        return mouse(event);
    case QEvent::MouseButtonDblClick:
        return fLayout.Caption.contains(static_cast<QMouseEvent*>(event)->position().toPoint());
    default:
        return false;
    }
}

bool TkxProvider::event(QEvent* event)
{
    if (event->type() != TkSkinCommandEvent::EventType())
        return QObject::event(event);
    auto* e = static_cast<TkSkinCommandEvent*>(event);
    if (!fWindow)
        return true;
    switch (e->Command) {
    case KM_SETNEWSKIN:
        apply();
        break;
    case KM_REMOVESKIN:
        remove();
        break;
    case KM_REFRESH:
    case KM_UPDATEEND:
        if (fApplied && fKind == Kind::Form)
            invalidate();
        break;
    default:
        break;
    }
    return true;
}

} // namespace skin
