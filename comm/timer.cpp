#include "comm/timer.h"

#include "runtime/tick.h"

#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace comm {

TcmTimer::TcmTimer(QObject* parent) : QObject(parent) {}

TcmTimer::~TcmTimer()
{
    FEnabled = false;
    UpdateTimer();
}

void TcmTimer::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    UpdateTimer();
}

void TcmTimer::SetInterval(std::uint32_t value)
{
    if (value == FInterval)
        return;
    FInterval = value;
    UpdateTimer();
}

void TcmTimer::SetOnTimer(Handler handler)
{
    FOnTimer = std::move(handler);
    UpdateTimer();
}

void TcmTimer::UpdateTimer()
{
    if (fTimerId != 0) {
        killTimer(fTimerId);
        fTimerId = 0;
    }
    if (FInterval != 0 && FEnabled && FOnTimer) {
        const double realMs = std::ceil(FInterval * runtime::TimeScale());
        const double limit = std::numeric_limits<int>::max();
        fTimerId = startTimer(static_cast<int>(std::clamp(realMs, 1.0, limit)));
    }
}

void TcmTimer::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != fTimerId) {
        QObject::timerEvent(event);
        return;
    }
    try {
        Fire();
    } catch (...) {
        // A failing handler must not stop the timer or reach the event loop.
    }
}

void TcmTimer::Fire()
{
    if (FEnabled && FOnTimer) {
        auto handler = FOnTimer;  // the handler may replace itself
        handler(this);
    }
}

} // namespace comm
