#include "tests/comm/pnp_far_device.h"

namespace comm_test {

PnpFarDevice::PnpFarDevice(platform::NullModemFar& far, Behaviour behaviour)
    : fFar(far), fBehaviour(std::move(behaviour)), fThread([this] { Run(); })
{
}

PnpFarDevice::~PnpFarDevice()
{
    fStop.store(true);
    fThread.join();
}

// A toggle is both lines dropped by the host and then both raised again.
void PnpFarDevice::Run()
{
    bool anyOn = false;
    bool sawBothOff = false;
    std::uint64_t seen = fFar.ChangeCount();
    while (!fStop.load()) {
        fFar.WaitForChange(seen, 20);
        seen = fFar.ChangeCount();
        const bool dtr = fFar.Dsr();  // the host's DTR
        const bool rts = fFar.Cts();  // the host's RTS
        if (fBehaviour.powered)
            fFar.SetDtr(dtr);  // powered by DTR, it answers with DSR
        if (!dtr && !rts) {
            sawBothOff = sawBothOff || anyOn;  // a port that was never open drops nothing
            anyOn = false;
            continue;
        }
        anyOn = true;
        if (!(dtr && rts) || !sawBothOff)
            continue;
        sawBothOff = false;
        const int toggle = fToggles.fetch_add(1) + 1;
        if (fBehaviour.powered && toggle == fBehaviour.answerOnToggle)
            fFar.Write(fBehaviour.answer);
    }
}

} // namespace comm_test
