// How fast the packet protocol cuts an NMEA-like stream ("$...*hh\r\n" lines)
// with a begin/end definition, against a hand-written memchr line splitter on
// the same bytes (the limit). Both get the stream in port-read sized chunks;
// they take turns block by block, so load changes hit both alike, timed in
// the process's CPU time; which of them meets a block first alternates.
// Every operator new during the protocol's blocks is counted.
//
//   bench_packet_protocol [megabytes=100] [block kilobytes=256] [chunk bytes=4096]

#include "bench/support/interleaved_timing.h"
#include "dataproc/data_protocol.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {
std::atomic<std::uint64_t> gNews{0};
}

void* operator new(std::size_t n)
{
    gNews.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n)
{
    return operator new(n);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

std::string NmeaStream(std::size_t bytes)
{
    static const char* const kSentences[] = {"GPGGA", "GPGLL", "GPRMC", "GPGSA", "GPVTG", "GPGSV"};
    std::mt19937 rng(1);
    std::string out;
    out.reserve(bytes + 128);
    while (out.size() < bytes) {
        std::string body = kSentences[rng() % 6];
        const int fields = 6 + int(rng() % 9);
        for (int f = 0; f < fields; ++f) {
            body += ',';
            const int digits = int(rng() % 9);
            for (int d = 0; d < digits; ++d)
                body += char('0' + rng() % 10);
            if (digits > 4 && rng() % 2)
                body.insert(body.size() - 2, 1, '.');
        }
        std::uint8_t sum = 0;
        for (const char c : body)
            sum ^= std::uint8_t(c);
        char tail[8];
        std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
        out += '$' + body + tail;
    }
    out.resize(bytes);  // whole blocks only; the cut line stays unfinished for both
    return out;
}

struct Sink {
    std::uint64_t packets = 0;
    std::uint64_t bytes = 0;
    std::uint32_t check = 0;
    void Take(const std::uint8_t* data, std::size_t n)
    {
        ++packets;
        bytes += n;
        check = check * 31 + data[n - 5];  // the first checksum digit
    }
};

// The limit: CR LF lines found with memchr, a line across chunks carried over.
class LineSplitter {
public:
    explicit LineSplitter(Sink& sink) : fSink(sink) { fCarry.reserve(16384); }
    void Feed(const std::uint8_t* p, std::size_t n)
    {
        const std::uint8_t* const end = p + n;
        while (p < end) {
            const auto* nl = static_cast<const std::uint8_t*>(std::memchr(p, '\n', std::size_t(end - p)));
            if (!nl) {
                fCarry.append(reinterpret_cast<const char*>(p), std::size_t(end - p));
                return;
            }
            if (fCarry.empty()) {
                fSink.Take(p, std::size_t(nl + 1 - p));
            } else {
                fCarry.append(reinterpret_cast<const char*>(p), std::size_t(nl + 1 - p));
                fSink.Take(reinterpret_cast<const std::uint8_t*>(fCarry.data()), fCarry.size());
                fCarry.clear();
            }
            p = nl + 1;
        }
    }

private:
    Sink& fSink;
    std::string fCarry;
};

// Feeds a block in port-read sized chunks.
template <class F>
void FeedBlock(const std::uint8_t* block, std::size_t n, std::size_t chunk, F&& feed)
{
    for (std::size_t at = 0; at < n; at += chunk)
        feed(block + at, std::min(chunk, n - at));
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t megabytes = argc > 1 ? std::size_t(std::max(1, std::atoi(argv[1]))) : 100;
    const std::size_t blockBytes = (argc > 2 ? std::size_t(std::max(1, std::atoi(argv[2]))) : 256) * 1024;
    const std::size_t chunk = argc > 3 ? std::size_t(std::max(1, std::atoi(argv[3]))) : 4096;
    const std::string stream = NmeaStream(megabytes * 1024 * 1024);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.data());

    Sink protocolSink;
    Sink splitterSink;
    dataproc::TcmDataProcessor protocol;
    dataproc::TcmDataPacket& nmea = *protocol.DataPackets().Add();
    nmea.SetCaption("NMEA");
    nmea.SetPacketBegin("$");
    nmea.SetPacketEnd("\r\n");
    protocol.OnDataPacket = [&protocolSink](QObject*, dataproc::TcmDataPacket* p) {
        protocolSink.Take(p->DataPtr(), std::size_t(p->DataLength()));
    };
    protocol.Reset();
    LineSplitter splitter(splitterSink);

    // Round i: both candidates on block i, each with its own block counter
    // since the helper takes turns at running first.
    const std::size_t blocks = (stream.size() + blockBytes - 1) / blockBytes;
    auto feedBlock = [&](std::size_t& block, auto&& feed) {
        const std::size_t at = block++ * blockBytes;
        FeedBlock(bytes + at, std::min(blockBytes, stream.size() - at), chunk, feed);
    };
    std::size_t protocolBlock = 0;
    std::size_t splitterBlock = 0;
    std::uint64_t protocolNews = 0;
    std::vector<bench_support::Timing> t = bench_support::timeInterleaved<bench_support::ProcessCpuClock>(
        int(blocks), {
                         [&] {
                             const std::uint64_t before = gNews.load();
                             feedBlock(protocolBlock, [&](const std::uint8_t* p, std::size_t k) {
                                 protocol.DataReceive(p, std::uint32_t(k));
                             });
                             protocolNews += gNews.load() - before;
                         },
                         [&] {
                             feedBlock(splitterBlock, [&](const std::uint8_t* p, std::size_t k) { splitter.Feed(p, k); });
                         },
                     });
    double protocolSeconds = 0;
    double splitterSeconds = 0;
    std::vector<double> ratios;
    for (std::size_t i = 0; i < blocks; ++i) {
        protocolSeconds += t[0].all[i] / 1e6;
        splitterSeconds += t[1].all[i] / 1e6;
        ratios.push_back(t[1].all[i] / std::max(t[0].all[i], 1.0));
    }
    std::sort(ratios.begin(), ratios.end());

    if (protocolSink.packets != splitterSink.packets || protocolSink.bytes != splitterSink.bytes ||
        protocolSink.check != splitterSink.check) {
        std::printf("MISMATCH: protocol %llu packets / %llu bytes, splitter %llu / %llu\n",
                    (unsigned long long)protocolSink.packets, (unsigned long long)protocolSink.bytes,
                    (unsigned long long)splitterSink.packets, (unsigned long long)splitterSink.bytes);
        return 1;
    }
    const double mb = double(stream.size()) / (1024.0 * 1024.0);
    std::printf("%.0f MB NMEA-like stream, %llu packets (%.1f bytes each), %zu-byte chunks, %zu blocks of %zu KB\n", mb,
                (unsigned long long)protocolSink.packets, double(protocolSink.bytes) / double(protocolSink.packets),
                chunk, blocks, blockBytes / 1024);
    std::printf("memchr line splitter      %8.1f MB/s (CPU time)\n", mb / splitterSeconds);
    std::printf("TcmDataProcessor          %8.1f MB/s (CPU time)\n", mb / protocolSeconds);
    std::printf("speed vs splitter         %8.2fx overall, %.2fx median block, %.2fx best blocks (target >= 0.5x)\n",
                splitterSeconds / protocolSeconds, ratios[ratios.size() / 2], t[1].best / t[0].best);
    std::printf("operator new in DoProcessing: %llu calls for %llu packets\n", (unsigned long long)protocolNews,
                (unsigned long long)protocolSink.packets);
    return 0;
}
