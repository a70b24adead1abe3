#include "comm/port_config_record.h"

#include <cassert>
#include <type_traits>

namespace comm {
namespace {

// Appends fields in order, little-endian whatever the machine is.
class RecordWriter {
public:
    explicit RecordWriter(PortConfigRecord& record) : fRecord(record) {}
    template <class T>
    void Put(T value)
    {
        const auto v = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<T>>(value));
        for (std::size_t i = 0; i < sizeof(T); ++i)
            fRecord[fAt++] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::size_t At() const { return fAt; }

private:
    PortConfigRecord& fRecord;
    std::size_t fAt = 0;
};

class RecordReader {
public:
    explicit RecordReader(std::span<const std::uint8_t, kPortConfigSize> record) : fRecord(record) {}
    template <class T>
    T Get()
    {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            v |= static_cast<std::uint32_t>(fRecord[fAt++]) << (8 * i);
        return static_cast<T>(v);
    }
    std::size_t At() const { return fAt; }

private:
    std::span<const std::uint8_t, kPortConfigSize> fRecord;
    std::size_t fAt = 0;
};

} // namespace

PortConfigRecord PackPortConfig(std::uint16_t portNo, const platform::Dcb& dcb, const platform::CommTimeouts& timeouts)
{
    PortConfigRecord record{};
    RecordWriter w(record);
    w.Put(static_cast<std::uint8_t>(portNo & 0xFF));
    w.Put(dcb.DCBlength);
    w.Put(dcb.BaudRate);
    w.Put(dcb.Flags);
    w.Put(dcb.wReserved);
    w.Put(dcb.XonLim);
    w.Put(dcb.XoffLim);
    w.Put(dcb.ByteSize);
    w.Put(dcb.Parity);
    w.Put(dcb.StopBits);
    w.Put(dcb.XonChar);
    w.Put(dcb.XoffChar);
    w.Put(dcb.ErrorChar);
    w.Put(dcb.EofChar);
    w.Put(dcb.EvtChar);
    w.Put(dcb.wReserved1);
    w.Put(timeouts.ReadIntervalTimeout);
    w.Put(timeouts.ReadTotalTimeoutMultiplier);
    w.Put(timeouts.ReadTotalTimeoutConstant);
    w.Put(timeouts.WriteTotalTimeoutMultiplier);
    w.Put(timeouts.WriteTotalTimeoutConstant);
    assert(w.At() == kPortConfigSize);
    return record;
}

PortConfig UnpackPortConfig(std::span<const std::uint8_t, kPortConfigSize> record)
{
    PortConfig c;
    RecordReader r(record);
    c.portNo = r.Get<std::uint8_t>();
    c.dcb.DCBlength = r.Get<std::uint32_t>();
    c.dcb.BaudRate = r.Get<std::uint32_t>();
    c.dcb.Flags = r.Get<std::uint32_t>();
    c.dcb.wReserved = r.Get<std::uint16_t>();
    c.dcb.XonLim = r.Get<std::uint16_t>();
    c.dcb.XoffLim = r.Get<std::uint16_t>();
    c.dcb.ByteSize = r.Get<std::uint8_t>();
    c.dcb.Parity = r.Get<std::uint8_t>();
    c.dcb.StopBits = r.Get<std::uint8_t>();
    c.dcb.XonChar = r.Get<char>();
    c.dcb.XoffChar = r.Get<char>();
    c.dcb.ErrorChar = r.Get<char>();
    c.dcb.EofChar = r.Get<char>();
    c.dcb.EvtChar = r.Get<char>();
    c.dcb.wReserved1 = r.Get<std::uint16_t>();
    c.timeouts.ReadIntervalTimeout = r.Get<std::uint32_t>();
    c.timeouts.ReadTotalTimeoutMultiplier = r.Get<std::uint32_t>();
    c.timeouts.ReadTotalTimeoutConstant = r.Get<std::uint32_t>();
    c.timeouts.WriteTotalTimeoutMultiplier = r.Get<std::uint32_t>();
    c.timeouts.WriteTotalTimeoutConstant = r.Get<std::uint32_t>();
    assert(r.At() == kPortConfigSize);
    return c;
}

} // namespace comm
