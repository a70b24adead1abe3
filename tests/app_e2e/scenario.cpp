#include "tests/app_e2e/scenario.h"

#include "app/form1.h"
#include "tests/app/live_window.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

namespace e2e {
namespace {

long long msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

} // namespace

bool Sample::SameView(const Sample& other) const
{
    return status == other.status && caption == other.caption && display == other.display
        && number == other.number && statusBold == other.statusBold && statusColor == other.statusColor;
}

Scenario::Scenario(app::TForm1& form) : fForm(form)
{
    fTimer.setInterval(5);
    fTimer.setTimerType(Qt::PreciseTimer);
    connect(&fTimer, &QTimer::timeout, this, [this] { Tick(); });
    for (QWidget* w : {static_cast<QWidget*>(form.Label_Status), static_cast<QWidget*>(form.Label3),
                       static_cast<QWidget*>(form.Label_Number), static_cast<QWidget*>(form.kSpeedButton_Vkl)})
        w->installEventFilter(this);
}

bool Scenario::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint)
        Record();
    return QObject::eventFilter(watched, event);
}

// Posted right after a click: when it arrives, the click has been delivered.
void Scenario::customEvent(QEvent* /*event*/)
{
    ++fMarksSeen;
}

Scenario& Scenario::Click_And_Wait(std::string what, QWidget* widget)
{
    auto mark = std::make_shared<int>(0);
    Do(what, [this, widget, mark] {
        PostClick(widget);
        *mark = ++fMarksPosted;
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    });
    return Then(what + " has ended", [this, mark] { return fMarksSeen >= *mark && !fForm.Handler_Running(); });
}

Scenario& Scenario::Then(std::string what, std::function<bool()> until, std::function<void()> action)
{
    fSteps.push_back({std::move(what), std::move(until), std::move(action), {}});
    return *this;
}

Scenario& Scenario::Do(std::string what, std::function<void()> action)
{
    return Then(std::move(what), [] { return true; }, std::move(action));
}

Scenario& Scenario::Wait(std::chrono::milliseconds time)
{
    auto since = std::make_shared<Clock::time_point>();
    Do("start waiting", [since] { *since = Clock::now(); });
    return Then("wait " + std::to_string(time.count()) + " ms", [since, time] { return Clock::now() - *since >= time; });
}

Scenario& Scenario::When_Painted(std::string what, std::function<bool(const Sample&)> match,
                                 std::function<void()> action)
{
    fSteps.push_back({std::move(what), [] { return false; }, std::move(action), std::move(match)});
    return *this;
}

bool Scenario::Run(std::chrono::milliseconds timeout)
{
    fStart = Clock::now();
    fDeadline = fStart + timeout;
    fAborting = false;
    Record();
    fTimer.start();
    while (!fSteps.empty() || fForm.Handler_Running()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    fTimer.stop();
    Record();
    return !fAborting;
}

void Scenario::Tick()
{
    Record();
    while (!fSteps.empty() && !fAborting) {
        Step& step = fSteps.front();
        if (!step.until())
            break;
        auto action = std::move(step.action);
        fSteps.pop_front();
        if (action)
            action();
        Record();
    }
    if (Clock::now() > fDeadline && (!fSteps.empty() || fForm.Handler_Running()))
        Abort();
}

void Scenario::Record()
{
    Sample s;
    s.at = Clock::now();
    s.status = fForm.Label_Status->text();
    s.caption = fForm.kSpeedButton_Vkl->text();
    s.display = fForm.Label3->text();
    s.number = fForm.Label_Number->text();
    s.statusBold = fForm.Label_Status->font().bold();
    s.statusColor = fForm.Label_Status->palette().color(QPalette::WindowText);
    if (fTimeline.empty() || !fTimeline.back().SameView(s))
        fTimeline.push_back(s);
    if (!fSteps.empty() && fSteps.front().painted && !fAborting && fSteps.front().painted(s)) {
        auto action = std::move(fSteps.front().action);
        fSteps.pop_front();
        if (action)
            action();
    }
}

// A step that never comes true: report it and switch the run off, so that
// the handler (and the test) can end.
void Scenario::Abort()
{
    if (!fAborting) {
        ADD_FAILURE() << "timed out waiting for: " << (fSteps.empty() ? "the click handler to end" : fSteps.front().what);
        fSteps.clear();
        fAborting = true;
    }
    static Clock::time_point lastClick;
    if (app_test::Unit1().Running == 1 && Clock::now() - lastClick > std::chrono::seconds(1)) {
        lastClick = Clock::now();
        PostClick(fForm.kSpeedButton_Vkl);
    }
}

std::vector<Span> Scenario::StatusSpans() const
{
    std::vector<Span> spans;
    Clock::time_point since;
    for (const Sample& s : fTimeline) {
        if (!spans.empty() && spans.back().text == s.status)
            continue;
        if (!spans.empty())
            spans.back().ms = msBetween(since, s.at);
        spans.push_back({s.status, 0});
        since = s.at;
    }
    if (!spans.empty() && !fTimeline.empty())
        spans.back().ms = msBetween(since, fTimeline.back().at);
    return spans;
}

bool Scenario::Seen(const std::function<bool(const Sample&)>& match) const
{
    for (const Sample& s : fTimeline)
        if (match(s))
            return true;
    return false;
}

void PostClick(QWidget* widget)
{
    const QPointF pos(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(pos);
    static QPointer<QWidget> hovered;
    if (hovered != widget) {
        if (hovered)
            QCoreApplication::postEvent(hovered, new QEvent(QEvent::Leave));
        QCoreApplication::postEvent(widget, new QEnterEvent(pos, widget->mapTo(widget->window(), pos), global));
        hovered = widget;
    }
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QCoreApplication::postEvent(widget, new QMouseEvent(type, pos, global, Qt::LeftButton, buttons, Qt::NoModifier));
    }
}

void PostKey(QWidget* widget, int key, const QString& text)
{
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
}

} // namespace e2e
