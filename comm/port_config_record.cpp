#include "comm/port_config_record.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

namespace comm {
namespace {

// Field sizes of the two records in their order; the record holds each field
// little-endian, whatever the machine is.
constexpr std::size_t kDcbFields[] = {4, 4, 4, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 2};
constexpr std::size_t kTimeoutFields[] = {4, 4, 4, 4, 4};
constexpr std::size_t kDcbAt = 1;
constexpr std::size_t kTimeoutsAt = kDcbAt + sizeof(platform::Dcb);

static_assert(std::accumulate(std::begin(kDcbFields), std::end(kDcbFields), std::size_t{0}) == sizeof(platform::Dcb));
static_assert(std::accumulate(std::begin(kTimeoutFields), std::end(kTimeoutFields), std::size_t{0}) ==
              sizeof(platform::CommTimeouts));
static_assert(kTimeoutsAt + sizeof(platform::CommTimeouts) == kPortConfigSize);

// Turns each field between the machine's byte order and little-endian (the
// same step both ways).
void OrderFields(std::uint8_t* bytes, std::span<const std::size_t> sizes)
{
    if (std::endian::native == std::endian::little)
        return;
    for (std::size_t size : sizes) {
        std::reverse(bytes, bytes + size);
        bytes += size;
    }
}

template <class T>
void Put(const T& record, std::span<const std::size_t> sizes, std::uint8_t* at)
{
    std::memcpy(at, &record, sizeof record);
    OrderFields(at, sizes);
}

template <class T>
void Take(const std::uint8_t* at, std::span<const std::size_t> sizes, T& record)
{
    std::uint8_t bytes[sizeof record];
    std::memcpy(bytes, at, sizeof record);
    OrderFields(bytes, sizes);
    std::memcpy(&record, bytes, sizeof record);
}

} // namespace

PortConfigRecord PackPortConfig(std::uint16_t portNo, const platform::Dcb& dcb, const platform::CommTimeouts& timeouts)
{
    PortConfigRecord record{};
    record[0] = static_cast<std::uint8_t>(portNo & 0xFF);
    Put(dcb, kDcbFields, &record[kDcbAt]);
    Put(timeouts, kTimeoutFields, &record[kTimeoutsAt]);
    return record;
}

PortConfig UnpackPortConfig(std::span<const std::uint8_t, kPortConfigSize> record)
{
    PortConfig config;
    config.portNo = record[0];
    Take(&record[kDcbAt], kDcbFields, config.dcb);
    Take(&record[kTimeoutsAt], kTimeoutFields, config.timeouts);
    return config;
}

} // namespace comm
