#pragma once
// A timer object that fires on the thread that created it (the GUI thread)
// through Qt's event loop. It runs while enabled, with an interval other than
// 0 and a handler; firing does not stop it. Errors raised by the handler are
// swallowed. The interval is in program milliseconds (runtime time scale).

#include <QObject>

#include <cstdint>
#include <functional>

namespace comm {

class TcmTimer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(TcmTimer* sender)>;

    explicit TcmTimer(QObject* parent = nullptr);
    ~TcmTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    std::uint32_t Interval() const { return FInterval; }
    void SetInterval(std::uint32_t value);
    const Handler& OnTimer() const { return FOnTimer; }
    void SetOnTimer(Handler handler);

    bool IsRunning() const { return fTimerId != 0; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void UpdateTimer();
    void Fire();

    std::uint32_t FInterval = 1000;
    Handler FOnTimer;
    bool FEnabled = true;
    int fTimerId = 0;
};

} // namespace comm
