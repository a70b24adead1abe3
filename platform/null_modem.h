#pragma once
// A virtual null-modem cable for tests and demos: an in-process port,
// registered under a port name like any port (OpenPort("COM20") opens it),
// whose far end the test or tool drives through NullModemFar. Pseudo-
// terminals have no modem lines; this pair has the usual wiring:
//
//   near DTR -> far DSR and DCD      far DTR -> near DSR and RLSD
//   near RTS -> far CTS              far RTS -> near CTS
//   near break -> far break          far break -> near EV_BREAK, CE_BREAK
//                                    far ring -> near RING (a modem's RI)
//
// Characters take their time on the wire at the near end's line settings
// (start bit, data bits, parity, stop bits at its baud rate) and lose the
// bits above its byte size. The near end is a full driver: timeouts, the
// event mask (EV_RXFLAG, EV_RX80FULL, EV_TXEMPTY, line events), CTS/DSR and
// XON/XOFF flow control, DSR sensitivity, RTS toggling around its own
// transmissions (RS-485, unless the options say the driver cannot), purge,
// the priority character, line errors and hold flags. The far end reads
// without limit and obeys no flow control; it can inject line errors.
//
// Destroying the pair unregisters the name and unplugs the cable: an open
// near handle then sees a lost device.

#include "platform/serial_types.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace null_modem {
class Line;
struct FarEnd;
}

struct NullModemOptions {
    // The near end's driver raises RTS around its transmissions when the DCB
    // asks for RTS_CONTROL_TOGGLE; false: the caller has to switch RTS.
    bool togglesRts = true;
};

// What the far end saw, in the order it happened.
struct FarTrace {
    enum Kind : std::uint8_t { Byte, Cts, Dsr, Dcd, Break };
    std::chrono::steady_clock::time_point at;
    Kind kind;
    std::uint8_t value;  // the byte, or the line's new state (0 or 1)
};

class NullModemFar {
public:
    explicit NullModemFar(std::shared_ptr<null_modem::Line> line) : fLine(std::move(line)) {}

    // Puts bytes on the wire towards the near end (never blocks); false once unplugged.
    bool Write(std::string_view bytes);
    // The same, the first byte arriving with line errors (CE_RXPARITY, CE_FRAME,
    // CE_OVERRUN, CE_RXOVER, CE_BREAK); with no bytes the errors arrive at once.
    bool WriteWithErrors(std::string_view bytes, std::uint32_t errors);
    // Waits up to timeoutMs for the first byte, then returns everything there.
    std::string Read(std::uint32_t timeoutMs);
    // Collects until n bytes came or timeoutMs passed; returns what came.
    std::string ReadExactly(std::size_t n, std::uint32_t timeoutMs);

    void SetDtr(bool on);
    void SetRts(bool on);
    void SetBreak(bool on);
    void SetRing(bool on);
    // The far end's inputs, driven by the near end.
    bool Cts();
    bool Dsr();
    bool Dcd();
    bool BreakIn();

    // Everything the far end saw since the last ClearTrace.
    std::vector<FarTrace> Trace();
    void ClearTrace();
    // Counts what the far end saw (bytes and line changes); WaitForChange
    // waits until the count differs from seen or timeoutMs passed.
    std::uint64_t ChangeCount();
    bool WaitForChange(std::uint64_t seen, std::uint32_t timeoutMs);

private:
    void SetLine(bool null_modem::FarEnd::*line, bool on);
    bool Input(bool null_modem::FarEnd::*line);

    std::shared_ptr<null_modem::Line> fLine;
};

class NullModem {
public:
    // Registers the near end as portName ("COM20"). Throws std::invalid_argument
    // for an empty name.
    explicit NullModem(const std::string& portName, NullModemOptions options = {});
    ~NullModem();
    NullModem(const NullModem&) = delete;
    NullModem& operator=(const NullModem&) = delete;

    const std::string& PortName() const { return fName; }
    NullModemFar& Far() { return fFar; }
    // Pulls the cable: the near handle fails with a lost device from now on.
    void Unplug();
    // How long one character takes at the near end's current settings.
    std::chrono::steady_clock::duration CharTime();

private:
    std::string fName;
    std::shared_ptr<null_modem::Line> fLine;
    NullModemFar fFar;
};

} // namespace platform
