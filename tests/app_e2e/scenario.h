#pragma once
// Drives the real window while its click handler runs. The On/Off handler
// keeps the GUI thread for the whole run, so a test cannot wait for it from
// outside: it lists steps (a condition and an action) that a 5 ms timer
// checks inside the handler's own message pumping, and records what the
// window shows at every pump (the timeline).

#include <QColor>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace app {
class TForm1;
}

namespace e2e {

using Clock = std::chrono::steady_clock;

// What the user sees, as sampled at one pump.
struct Sample {
    Clock::time_point at;
    QString status;
    QString caption;
    QString display;
    QString number;
    bool statusBold = false;
    QColor statusColor;

    bool SameView(const Sample& other) const;
};

// A status text and how long it stood (until the next different text).
struct Span {
    QString text;
    long long ms = 0;
};

class Scenario : public QObject {
public:
    explicit Scenario(app::TForm1& form);

    // The action runs once the condition holds; steps run in order.
    Scenario& Then(std::string what, std::function<bool()> until, std::function<void()> action = {});
    Scenario& Do(std::string what, std::function<void()> action);
    // Posts a click and waits until its handler (and any it started) has returned.
    Scenario& Click_And_Wait(std::string what, QWidget* widget);
    // A step that only waits the given (real) time.
    Scenario& Wait(std::chrono::milliseconds time);
    // The action runs while the window paints a view that matches, inside
    // that very pump: a click it posts is delivered at the handler's next
    // pump point, so it lands in a blocking pause that follows the paint.
    Scenario& When_Painted(std::string what, std::function<bool(const Sample&)> match, std::function<void()> action);

    // Pumps until every step ran and no click handler is running. On timeout
    // it reports the pending step and switches the run off so the handler
    // can end; returns false then.
    bool Run(std::chrono::milliseconds timeout);

    const std::vector<Sample>& Timeline() const { return fTimeline; }
    // Status texts in order, merged where the text did not change.
    std::vector<Span> StatusSpans() const;
    // True when some sample matched since the scenario started.
    bool Seen(const std::function<bool(const Sample&)>& match) const;
    Clock::time_point Start() const { return fStart; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    struct Step {
        std::string what;
        std::function<bool()> until;
        std::function<void()> action;
        std::function<bool(const Sample&)> painted;  // set: runs from the paint that matches
    };

    void Tick();
    void Record();
    void Abort();

    app::TForm1& fForm;
    QTimer fTimer;
    std::deque<Step> fSteps;
    std::vector<Sample> fTimeline;
    Clock::time_point fStart;
    Clock::time_point fDeadline;
    bool fAborting = false;
    int fMarksPosted = 0;
    int fMarksSeen = 0;
};

// A click as the window system delivers it: the pointer leaves the widget
// it was over and enters this one, then press and release are posted.
void PostClick(QWidget* widget);
// A key press (and release) posted to the widget.
void PostKey(QWidget* widget, int key, const QString& text = {});

} // namespace e2e
