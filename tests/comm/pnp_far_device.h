#pragma once
// A Plug-and-Play external COM device on the far end of a null-modem: it is
// powered by the host's DTR (and then answers with DSR) and, after the host
// dropped DTR and RTS and raised them again, sends its identification.

#include "platform/null_modem.h"

#include <atomic>
#include <string>
#include <thread>

namespace comm_test {

class PnpFarDevice {
public:
    struct Behaviour {
        int answerOnToggle = 1;  // 1 or 2; 0: never answers
        std::string answer = "(\x01$FLX0001\\\\MODEM\\PNPC107\\Fluxmira Modem)";
        bool powered = true;     // false: no DSR ever
    };

    PnpFarDevice(platform::NullModemFar& far, Behaviour behaviour);
    ~PnpFarDevice();
    PnpFarDevice(const PnpFarDevice&) = delete;
    PnpFarDevice& operator=(const PnpFarDevice&) = delete;

    int Toggles() const { return fToggles.load(); }

private:
    void Run();

    platform::NullModemFar& fFar;
    const Behaviour fBehaviour;
    std::atomic<int> fToggles{0};
    std::atomic<bool> fStop{false};
    std::thread fThread;
};

} // namespace comm_test
