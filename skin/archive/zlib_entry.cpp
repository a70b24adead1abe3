#include "skin/archive/zlib_entry.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>

namespace skin {
namespace {

// Deflate cannot expand more than about 1032:1, so a stated size beyond that
// is a claim we do not allocate for up front.
constexpr qint64 kMaxRatio = 1032;
constexpr qint64 kMaxChunk = INT_MAX / 2;

class Inflater {
public:
    Inflater() { fOk = inflateInit(&fStream) == Z_OK; }
    ~Inflater() { inflateEnd(&fStream); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    bool ok() const { return fOk; }
    z_stream& stream() { return fStream; }

private:
    z_stream fStream{};
    bool fOk = false;
};

} // namespace

InflateResult InflateEntry(QByteArrayView Input, qint64 Size, QByteArray& Output)
{
    InflateResult result;
    Output.clear();
    Inflater inflater;
    if (!inflater.ok())
        return result;
    z_stream& zs = inflater.stream();

    const qint64 wanted = std::min<qint64>(std::max<qint64>(Size, 0), kMaxChunk);
    Output.resize(qsizetype(std::min<qint64>(wanted, qint64(Input.size()) * kMaxRatio + 64)));
    qint64 filled = 0;

    std::array<unsigned char, 16 * 1024> scratch;
    const auto* in = reinterpret_cast<const unsigned char*>(Input.data());
    std::size_t left = std::size_t(Input.size());
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (zs.avail_in == 0) {
            if (left == 0) {
                result.status = InflateStatus::Truncated;
                break;
            }
            const auto step = std::min<std::size_t>(left, UINT_MAX);
            zs.next_in = const_cast<unsigned char*>(in);
            zs.avail_in = uInt(step);
            in += step;
            left -= step;
        }
        if (filled == Output.size() && filled < wanted)
            Output.resize(qsizetype(std::min<qint64>(wanted, std::max<qint64>(filled * 2, 4096))));
        const bool intoOutput = filled < Output.size();
        if (intoOutput) {
            zs.next_out = reinterpret_cast<unsigned char*>(Output.data()) + filled;
            zs.avail_out = uInt(Output.size() - filled);
        } else {
            // Beyond the stated size: inflate on only to find the stream's end.
            zs.next_out = scratch.data();
            zs.avail_out = uInt(scratch.size());
        }
        const uInt before = zs.avail_out;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            result.status = InflateStatus::Corrupt;
            break;
        }
        if (intoOutput)
            filled += before - zs.avail_out;
    }
    if (rc == Z_STREAM_END)
        result.status = InflateStatus::Complete;
    Output.resize(qsizetype(filled));
    // Whatever inflate has not taken belongs to the next entry.
    result.consumed = std::size_t(Input.size()) - left - zs.avail_in;
    return result;
}

} // namespace skin
