#include "runtime/pump.h"

#include "runtime/synchronize.h"
#include "runtime/thread.h"
#include "runtime/tick.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cmath>

namespace runtime {

void ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    CheckSynchronize();
    JoinFinishedThreads();
}

void ProcessMessagesUntil(std::uint32_t deadlineTick)
{
    // Signed difference so that the 32-bit wrap of the tick count is harmless.
    auto remaining = [deadlineTick] { return static_cast<std::int32_t>(deadlineTick - GetTickCount()); };
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (remaining() > 0) {
        const double realMs = std::ceil(remaining() * TimeScale());
        wake.start(static_cast<int>(realMs));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        CheckSynchronize();
    }
    JoinFinishedThreads();
}

} // namespace runtime
