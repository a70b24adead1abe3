#include "platform/serial_rules.h"

#include <algorithm>

namespace platform::rules {

using namespace dcb_flags;

bool DcbIsValid(const Dcb& dcb)
{
    if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8)
        return false;
    if (dcb.Parity > SPACEPARITY || dcb.StopBits > TWOSTOPBITS)
        return false;
    if ((dcb.Flags & (fOutX | fInX)) && dcb.XonChar == dcb.XoffChar)
        return false;
    return true;
}

ReadPlan PlanRead(const CommTimeouts& t, std::uint32_t count, Clock::time_point now)
{
    ReadPlan plan;
    if (t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == 0 &&
        t.ReadTotalTimeoutConstant == 0) {
        plan.returnAtOnce = true;
        return plan;
    }
    if (t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == kMaxDword &&
        t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != kMaxDword) {
        plan.returnAfterFirst = true;
        plan.total = now + std::chrono::milliseconds(t.ReadTotalTimeoutConstant);
        return plan;
    }
    if (t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0) {
        const std::uint64_t ms = std::uint64_t{t.ReadTotalTimeoutMultiplier} * count + t.ReadTotalTimeoutConstant;
        plan.total = now + std::chrono::milliseconds(ms);
    }
    if (t.ReadIntervalTimeout != kMaxDword)
        plan.intervalMs = t.ReadIntervalTimeout;
    return plan;
}

Deadline ReadDeadline(const ReadPlan& plan, std::optional<Clock::time_point> lastByte)
{
    Deadline gap;
    if (plan.intervalMs && lastByte)
        gap = *lastByte + std::chrono::milliseconds(plan.intervalMs);
    if (!plan.total)
        return gap;
    if (!gap)
        return plan.total;
    return std::min(*plan.total, *gap);
}

Deadline WriteDeadline(const CommTimeouts& t, std::uint32_t count, Clock::time_point now)
{
    if (t.WriteTotalTimeoutMultiplier == 0 && t.WriteTotalTimeoutConstant == 0)
        return std::nullopt;
    const std::uint64_t ms = std::uint64_t{t.WriteTotalTimeoutMultiplier} * count + t.WriteTotalTimeoutConstant;
    return now + std::chrono::milliseconds(ms);
}

int MsUntil(Deadline deadline, Clock::time_point now)
{
    if (!deadline)
        return -1;
    if (*deadline <= now)
        return 0;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - now).count();
    return static_cast<int>(std::min<long long>(left, 0x7FFFFFFF));
}

Clock::duration CharTime(const Dcb& dcb)
{
    // Tenths of a bit, so one and a half stop bits count exactly.
    std::uint64_t tenths = 10 + 10 * dcb.ByteSize;
    if (dcb.Parity != NOPARITY)
        tenths += 10;
    tenths += dcb.StopBits == ONESTOPBIT ? 10 : dcb.StopBits == ONE5STOPBITS ? 15 : 20;
    const std::uint64_t baud = std::max<std::uint32_t>(dcb.BaudRate, 1);
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(tenths * 100'000'000ull / baud));
}

CommProp SerialProperties(std::uint32_t inQueue, std::uint32_t outQueue)
{
    CommProp props;
    props.wPacketLength = sizeof(CommProp);
    props.wPacketVersion = 2;
    props.dwServiceMask = 0x00000001;    // SP_SERIALCOMM
    props.dwMaxBaud = 0x10000000;        // BAUD_USER: any rate
    props.dwProvSubType = 0x00000001;    // PST_RS232
    props.dwProvCapabilities = 0x01FB;   // DTR/DSR, RTS/CTS, parity check, XON/XOFF, XON/XOFF chars, timeouts, special chars
    props.dwSettableParams = 0x007F;     // parity, baud, data bits, stop bits, handshaking, parity check, RLSD
    props.dwSettableBaud = 0x1007FFFF;   // every standard rate and BAUD_USER
    props.wSettableData = 0x000F;        // 5 to 8 data bits
    props.wSettableStopParity = 0x1F07;  // 1, 1.5, 2 stop bits; none, odd, even, mark, space
    props.dwCurrentTxQueue = outQueue;
    props.dwCurrentRxQueue = inQueue;
    return props;
}

Dcb DefaultDcb()
{
    Dcb dcb;
    dcb.BaudRate = 9600;
    dcb.Flags = fBinary | 0x0010 | 0x1000;  // DTR and RTS enabled
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    return dcb;
}

} // namespace platform::rules
