#pragma once
// Inflates one zlib stream of a packed skin. The archive stores no compressed
// lengths, so the end of each stream is where the next entry begins.

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>

namespace skin {

enum class InflateStatus {
    Complete,   // the stream ended with a valid Adler-32 trailer
    Truncated,  // the input ended inside the stream
    Corrupt,    // zlib reported bad data
};

struct InflateResult {
    InflateStatus status = InflateStatus::Corrupt;
    std::size_t consumed = 0;  // bytes of input that belong to the stream
};

// Inflates the zlib stream at the start of Input. At most Size bytes go to
// Output (what the stream holds beyond that is inflated and dropped); the
// stream is always inflated to its end so that `consumed` gives back every
// byte read beyond its trailer. Output never grows past what the stream
// really yields, whatever Size claims.
InflateResult InflateEntry(QByteArrayView Input, qint64 Size, QByteArray& Output);

} // namespace skin
