#pragma once
// Packet definitions as table rows, a recorder for the packets a protocol
// cuts, and a protocol that takes every byte one at a time (the reference
// the bulk path must agree with).

#include "dataproc/data_protocol.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace dataproc_test {

struct Definition {
    std::string begin{};
    std::string end{};
    int length = 0;
    bool byTimeout = false;
    char wild = 0;
    bool resetOthers = false;
    int lengthMax = 0;  // 0: the default
    bool active = true;
    std::string caption{};

    void ApplyTo(dataproc::TcmDataPacket& packet) const;
};

struct Cut {
    int index = -1;
    std::string data;
    friend bool operator==(const Cut&, const Cut&) = default;
};
std::ostream& operator<<(std::ostream& out, const Cut& cut);
// Bytes as C-like text: printable ASCII as is, the rest escaped.
std::string Escaped(const std::string& bytes);

// Every DecodeByte and ProcessByte call goes through here, so no run is taken in bulk.
class BytewiseProtocol : public dataproc::TcmDataProcessor {
public:
    using dataproc::TcmDataProcessor::TcmDataProcessor;

protected:
    int DecodeByte(std::uint8_t ch, std::array<std::uint8_t, 2>& buffer) override
    {
        return dataproc::TcmDataProcessor::DecodeByte(ch, buffer);
    }
};

// A protocol with the given definitions, reset and ready to cut.
std::unique_ptr<dataproc::TcmDataProcessor> MakeProtocol(bool bulk, const std::vector<Definition>& definitions);

// Records OnDataPacket calls.
class CutRecorder {
public:
    explicit CutRecorder(dataproc::TcmDataProtocol& protocol);
    std::vector<Cut> cuts;
};

// The bytes each definition holds.
std::vector<std::string> Leftovers(const dataproc::TcmDataProtocol& protocol);

// Feeds each chunk as a received chunk.
void Feed(dataproc::TcmDataProtocol& protocol, const std::vector<std::string>& chunks);

} // namespace dataproc_test
