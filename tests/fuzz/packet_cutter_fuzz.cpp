// Any packet definitions, handler behaviour and received chunks. The input
// runs through two protocols: one that takes quiet runs in bulk and one that
// takes every byte alone. They must cut the same packets and hold the same
// bytes afterwards; any difference, or any bad memory access, is a finding.
#include "dataproc/data_protocol.h"
#include "runtime/error.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using dataproc::TcmDataPacket;

struct Definition {
    std::string begin, end;
    std::int32_t length = 0;
    std::int32_t lengthMax = 512;
    std::uint8_t wild = 0;
    bool byTimeout = false;
    bool resetOthers = false;
    bool active = true;
    int lengthAt = -1;  // the length handler decides when this many bytes are in
};

// What the OnDataPacket handler does on its n-th call.
enum Action : std::uint8_t { aNothing, aThrow, aSwitchOff, aDeleteIt, aShrink, aInsert, aCount };

struct Script {
    std::vector<Definition> definitions;
    std::vector<std::uint8_t> actions;
    std::vector<std::string> chunks;
    std::vector<bool> pauseAfter;
};

Script Read(FuzzedDataProvider& in)
{
    Script s;
    const int n = in.ConsumeIntegralInRange(1, 3);
    for (int i = 0; i < n; ++i) {
        Definition d;
        d.begin = in.ConsumeBytesAsString(in.ConsumeIntegralInRange(0, 3));
        d.end = in.ConsumeBytesAsString(in.ConsumeIntegralInRange(0, 4));
        d.length = in.ConsumeIntegralInRange(-1, 24);
        d.lengthMax = in.ConsumeIntegralInRange(500, 540);
        d.wild = in.ConsumeBool() ? in.ConsumeIntegral<std::uint8_t>() : 0;
        d.byTimeout = in.ConsumeBool();
        d.resetOthers = in.ConsumeBool();
        d.active = in.ConsumeIntegralInRange(0, 7) != 0;
        d.lengthAt = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 6) : -1;
        s.definitions.push_back(d);
    }
    const auto actions = in.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < actions; ++i)
        s.actions.push_back(in.ConsumeIntegralInRange<std::uint8_t>(0, aCount - 1));
    while (in.remaining_bytes() > 0) {
        const auto size = in.ConsumeIntegralInRange<std::size_t>(1, 600);
        s.pauseAfter.push_back(in.ConsumeIntegralInRange(0, 5) == 0);
        s.chunks.push_back(in.ConsumeBytesAsString(size));
    }
    return s;
}

template <class Base>
class Runner : public Base {
public:
    explicit Runner(const Script& script) : fScript(script)
    {
        for (const Definition& d : script.definitions)
            Apply(d, *this->DataPackets().Add());
        this->OnDataPacket = [this](QObject*, TcmDataPacket* p) { Handle(p); };
        this->Reset();
    }

    void Run()
    {
        for (std::size_t i = 0; i < fScript.chunks.size(); ++i) {
            this->SetActive(true);
            const std::string& chunk = fScript.chunks[i];
            Guarded([&] { this->DataReceive(reinterpret_cast<const std::uint8_t*>(chunk.data()),
                                            std::uint32_t(chunk.size())); });
            if (fScript.pauseAfter[i])
                Guarded([&] { this->DoAsyncTimeout(nullptr); });
        }
        const dataproc::TcmDataPackets& list = this->DataPackets();
        for (int i = 0; i < list.Count(); ++i)
            log += "|" + list.Items(i)->Data();
    }

    std::string log;  // every packet and error, then what each definition holds

protected:
    bool CanScanInBulk() const override { return Base::CanScanInBulk() || fBulk; }

public:
    bool fBulk = false;

private:
    static void Apply(const Definition& d, TcmDataPacket& p)
    {
        p.SetPacketBegin(d.begin);
        p.SetPacketEnd(d.end);
        p.SetPacketLength(d.length);
        p.SetPacketLengthMax(d.lengthMax);
        p.SetWildChar(d.wild);
        p.SetPacketEndByTimeout(d.byTimeout);
        p.SetResetOthers(d.resetOthers);
        p.SetActive(d.active);
        if (d.lengthAt >= 0)
            p.OnPacketLength = [at = d.lengthAt](TcmDataPacket* packet, std::uint8_t ch, bool& isHandled) {
                if (packet->DataLength() >= at) {
                    packet->SetPacketLength(packet->DataLength() + ch % 17);
                    isHandled = true;
                }
            };
    }

    template <class F>
    void Guarded(F&& f)
    {
        try {
            f();
        } catch (const runtime::Error& e) {
            log += "!";
            log += e.what();
        }
    }

    void Handle(TcmDataPacket* p)
    {
        log += "#" + std::to_string(p->Index()) + ":" + p->Data();
        if (fScript.actions.empty())
            return;
        const auto action = fScript.actions[fPackets++ % fScript.actions.size()];
        dataproc::TcmDataPackets& list = this->DataPackets();
        switch (action) {
        case aThrow: throw runtime::Error("bad");
        case aSwitchOff: this->SetActive(false); break;
        case aDeleteIt: list.Delete(p->Index()); break;
        case aShrink: p->SetPacketLengthMax(p->PacketLengthMax() == 512 ? 513 : 512); break;
        case aInsert:
            if (list.Count() < 6)
                Apply(fScript.definitions.front(), *list.Insert(0));
            break;
        default: break;
        }
    }

    const Script& fScript;
    std::size_t fPackets = 0;
};

using BulkRunner = Runner<dataproc::TcmDataProcessor>;

// Every byte through DecodeByte and ProcessByte.
class BytewiseBase : public dataproc::TcmDataProcessor {
protected:
    int DecodeByte(std::uint8_t ch, std::array<std::uint8_t, 2>& buffer) override
    {
        return dataproc::TcmDataProcessor::DecodeByte(ch, buffer);
    }
    bool CanScanInBulk() const override { return false; }
};
using BytewiseRunner = Runner<BytewiseBase>;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const Script script = Read(in);
    BulkRunner bulk(script);
    bulk.fBulk = true;
    BytewiseRunner bytewise(script);
    bulk.Run();
    bytewise.Run();
    if (bulk.log != bytewise.log)
        std::abort();
    return 0;
}
