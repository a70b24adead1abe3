// The protocol's pause timing, its handlers' errors and handlers that change
// the protocol while it cuts.

#include "tests/dataproc/cutter_harness.h"

#include "comm/file_log.h"
#include "runtime/error.h"
#include "tests/comm/log_lines.h"
#include "tests/comm/pump_until.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>

namespace dataproc_test {
namespace {

using comm_test::CountEntries;
using comm_test::PumpFor;
using comm_test::PumpUntil;
using dataproc::TcmDataPacket;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

TEST(ProtocolPause, LengthPacketsThenOnTimeoutAfterTheLastChunk)
{
    auto protocol = MakeProtocol(true, {{.length = 3}});
    protocol->SetTimeout(100);
    CutRecorder recorder(*protocol);
    int timeouts = 0;
    double firedAfter = 0;
    const auto start = Clock::now();
    protocol->OnTimeout = [&](QObject* sender) {
        EXPECT_EQ(sender, protocol.get());
        ++timeouts;
        firedAfter = MsSince(start);
    };
    Feed(*protocol, {"abcdefg"});
    EXPECT_EQ(recorder.cuts, (std::vector<Cut>{{0, "abc"}, {0, "def"}}));
    ASSERT_TRUE(PumpUntil([&] { return timeouts > 0; }));
    EXPECT_GE(firedAfter, 90.0);
    PumpFor(250);
    EXPECT_EQ(timeouts, 1);  // once per pause
    EXPECT_EQ(Leftovers(*protocol), std::vector<std::string>{"g"});
}

TEST(ProtocolPause, EachChunkRestartsThePause)
{
    auto protocol = MakeProtocol(true, {{.byTimeout = true}});
    protocol->SetTimeout(150);
    CutRecorder recorder(*protocol);
    for (const char* chunk : {"ab", "cd", "ef"}) {
        Feed(*protocol, {chunk});
        PumpFor(40);
    }
    EXPECT_TRUE(recorder.cuts.empty());
    ASSERT_TRUE(PumpUntil([&] { return !recorder.cuts.empty(); }));
    EXPECT_EQ(recorder.cuts, (std::vector<Cut>{{0, "abcdef"}}));
    Feed(*protocol, {"gh"});
    ASSERT_TRUE(PumpUntil([&] { return recorder.cuts.size() == 2; }));
    EXPECT_EQ(recorder.cuts.back(), (Cut{0, "gh"}));  // only what came since the last packet
}

TEST(ProtocolPause, PauseTrimsAndPrefersTheFirstTimeoutDefinition)
{
    auto protocol =
        MakeProtocol(true, {{.end = "\n"}, {.end = ";", .length = 2, .byTimeout = true}, {.byTimeout = true}});
    protocol->SetTimeout(60);
    CutRecorder recorder(*protocol);
    int timeouts = 0;
    protocol->OnTimeout = [&](QObject*) { ++timeouts; };
    Feed(*protocol, {"x\nabcde"});
    // No begin marker and a length of 2: the pause leaves the last 2 bytes.
    ASSERT_TRUE(PumpUntil([&] { return recorder.cuts.size() == 2; }));
    EXPECT_EQ(recorder.cuts, (std::vector<Cut>{{0, "x\n"}, {1, "de"}}));
    EXPECT_EQ(Leftovers(*protocol), (std::vector<std::string>{"abcde", "", "xabcde"}));
    EXPECT_EQ(timeouts, 0);
}

TEST(ProtocolHandlers, ActiveOffInsideTheHandlerStopsTheChunkAndThePause)
{
    for (const bool bulk : {true, false}) {
        SCOPED_TRACE(bulk ? "bulk" : "byte by byte");
        auto protocol = MakeProtocol(bulk, {{.length = 2}});
        protocol->SetTimeout(50);
        int timeouts = 0;
        protocol->OnTimeout = [&](QObject*) { ++timeouts; };
        std::vector<std::string> cuts;
        protocol->OnDataPacket = [&](QObject*, TcmDataPacket* packet) {
            cuts.push_back(packet->Data());
            protocol->SetActive(false);
        };
        Feed(*protocol, {"aabbcc"});
        EXPECT_EQ(cuts, std::vector<std::string>{"aa"});
        EXPECT_EQ(Leftovers(*protocol), std::vector<std::string>{""});
        PumpFor(200);
        EXPECT_EQ(timeouts, 0);
    }
}

class HandlerErrors : public ::testing::Test {
protected:
    void SetUp() override
    {
        protocol = MakeProtocol(true, {{.begin = "$", .end = "\r\n", .caption = "NMEA"}});
        log = std::make_unique<comm::TcmFileLog>(nullptr, fDir.path() / "dataproc.log");
        protocol->SetLog(log.get());
    }
    std::filesystem::path LogPath() const { return fDir.path() / "dataproc.log"; }

    testing_support::TempDir fDir;
    std::unique_ptr<dataproc::TcmDataProcessor> protocol;
    std::unique_ptr<comm::TcmFileLog> log;
};

TEST_F(HandlerErrors, DataPacketErrorRaisedAfterTheChunkIsDone)
{
    std::vector<std::string> cuts;
    protocol->OnDataPacket = [&](QObject*, TcmDataPacket* packet) {
        cuts.push_back(packet->Data());
        if (cuts.size() == 1)
            throw runtime::Error("bad");
    };
    std::string message;
    try {
        Feed(*protocol, {"$A*00\r\n$B*00\r\n"});
    } catch (const runtime::Error& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "EXCEPTION in DataPacket handler [NMEA]bad");
    // The failing packet was dropped cleanly and the next one came whole.
    EXPECT_EQ(cuts, (std::vector<std::string>{"$A*00\r\n", "$B*00\r\n"}));
    EXPECT_EQ(CountEntries(LogPath(), "[simple] Fatal Error: 15, 1, EXCEPTION in DataPacket handler [NMEA]bad"), 1);
    EXPECT_EQ(CountEntries(LogPath(), "[debug] cmDataProc: DataPacket is detected: NMEA"), 2);
}

TEST_F(HandlerErrors, CancelledByOnFatalError)
{
    protocol->DataPackets().Items(0)->SetCaption("  ");  // blank: the class name stands in
    protocol->OnDataPacket = [](QObject*, TcmDataPacket*) { throw std::runtime_error("oops"); };
    std::vector<std::string> reported;
    protocol->OnFatalError = [&](QObject* sender, std::uint32_t code, std::uint32_t detail, const std::string& msg,
                                 bool& raiseException) {
        EXPECT_EQ(sender, protocol.get());
        EXPECT_EQ(code, 15u);
        EXPECT_EQ(detail, 1u);
        reported.push_back(msg);
        raiseException = false;
    };
    EXPECT_NO_THROW(Feed(*protocol, {"$1\r\n$2\r\n"}));
    EXPECT_EQ(reported, std::vector<std::string>(2, "EXCEPTION in DataPacket handler [TcmDataPacket]oops"));
    EXPECT_EQ(CountEntries(LogPath(), "[simple] Fatal Error: 15, 1, EXCEPTION in DataPacket handler [TcmDataPacket]oops"), 2);
}

TEST_F(HandlerErrors, ErrorsOtherThanExceptionsPassThrough)
{
    protocol->OnDataPacket = [](QObject*, TcmDataPacket*) { throw 42; };
    bool reported = false;
    protocol->OnFatalError = [&](QObject*, std::uint32_t, std::uint32_t, const std::string&, bool&) { reported = true; };
    EXPECT_THROW(Feed(*protocol, {"$1\r\n"}), int);
    EXPECT_FALSE(reported);
}

TEST_F(HandlerErrors, TimeoutErrorIsShownAsTheTimerCannotRaiseIt)
{
    testing_support::MessageBoxWatcher boxes;
    protocol->SetTimeout(30);
    protocol->OnTimeout = [](QObject*) { throw runtime::Error("bad"); };
    Feed(*protocol, {"xyz"});
    ASSERT_TRUE(PumpUntil([&] { return boxes.count() > 0; }));
    EXPECT_EQ(boxes.texts().value(0).toStdString(), "EXCEPTION in OnTimout handler.bad");
    EXPECT_EQ(CountEntries(LogPath(), "[simple] Fatal Error: 15, 1, EXCEPTION in OnTimout handler.bad"), 1);
}

TEST(ProtocolHandlers, HandlersMayEditTheDefinitions)
{
    // Each handler edits the list while it is being walked; nothing may be
    // read after it was freed (the sanitizer suites watch this).
    struct Edit {
        const char* name;
        std::function<void(dataproc::TcmDataPackets&, TcmDataPacket*)> edit;
    };
    const std::vector<Edit> edits = {
        {"delete the completed definition", [](auto& list, auto* p) { list.Delete(p->Index()); }},
        {"clear the list", [](auto& list, auto*) { list.Clear(); }},
        {"insert in front", [](auto& list, auto*) { Definition{.end = "\n"}.ApplyTo(*list.Insert(0)); }},
        {"shrink the buffer", [](auto&, auto* p) { p->SetPacketLengthMax(512); }},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.name);
        auto protocol = MakeProtocol(true, {{.end = "\n"}, {.length = 3}});
        dataproc::TcmDataPackets& list = protocol->DataPackets();
        list.Items(0)->SetPacketLengthMax(1000);
        int calls = 0;
        list.Items(1)->OnPacketLength = [&](TcmDataPacket* p, std::uint8_t, bool&) {
            if (++calls == 2)
                e.edit(list, p);
        };
        list.Items(1)->Reset();
        protocol->OnDataPacket = [&](QObject*, TcmDataPacket* p) { e.edit(list, p); };
        EXPECT_NO_THROW(Feed(*protocol, {"ab\ncd\nef\n"}));
    }
}

TEST(ProtocolHandlers, WholePacketsInAChunkAreTheSameAsBytewiseWhateverTheHandlerDoes)
{
    // A packet that lies whole in a chunk is handed over without copying it;
    // what a handler sees and what a definition holds after the chunk is
    // gone must not show that.
    struct Action {
        const char* name;
        std::function<void(dataproc::TcmDataProtocol&, dataproc::TcmDataProtocol& other, TcmDataPacket*,
                           std::vector<std::string>& seen)>
            act;
    };
    const std::vector<Action> actions = {
        {"nothing", [](auto&, auto&, auto*, auto&) {}},
        {"move it to another protocol", [](auto&, auto& other, auto* p, auto&) { other.DataPackets().AddItem(p, -1); }},
        {"feed more bytes", [](auto& self, auto&, auto*, auto&) { Feed(self, {"x"}); }},
        {"feed a packet", [](auto& self, auto&, auto*, auto&) { Feed(self, {"$in\r\n"}); }},
        {"shrink the buffer", [](auto&, auto&, auto* p, auto&) { p->SetPacketLengthMax(512); }},
        // The running handler goes on reading its captures after it was
        // replaced (the sanitizer suites watch this).
        {"replace the handler",
         [](auto& self, auto&, auto*, auto& seen) {
             self.OnDataPacket = [&seen, tag = std::string(32, '+')](QObject*, TcmDataPacket* p) {
                 seen.push_back(tag + p->Data());
             };
         }},
        {"clear the handler", [](auto& self, auto&, auto*, auto&) { self.OnDataPacket = nullptr; }},
    };
    for (const Action& a : actions) {
        SCOPED_TRACE(a.name);
        std::vector<std::string> seen[2];
        std::vector<std::string> heldAfter[2];
        for (const bool bulk : {false, true}) {
            auto protocol = MakeProtocol(bulk, {{.begin = "$", .end = "\r\n"}});
            auto other = MakeProtocol(bulk, {});
            std::vector<TcmDataPacket*> handled;
            int depth = 0;
            protocol->OnDataPacket = [&](QObject*, TcmDataPacket* p) {
                seen[bulk].push_back(p->Data());
                if (depth++ == 0 && seen[bulk].size() == 2) {  // the first sets the end marker up
                    a.act(*protocol, *other, p, seen[bulk]);
                    handled.push_back(p);
                }
                --depth;
            };
            std::string chunk = "$one\r\n$two\r\n$three\r\n";
            protocol->DataReceive(reinterpret_cast<const std::uint8_t*>(chunk.data()), std::uint32_t(chunk.size()));
            chunk.assign(chunk.size(), '#');  // the chunk's bytes are gone
            for (const TcmDataPacket* p : handled)
                heldAfter[bulk].push_back(p->Data());
            for (const auto* list : {&protocol->DataPackets(), &other->DataPackets()})
                for (int i = 0; i < list->Count(); ++i)
                    heldAfter[bulk].push_back(list->Items(i)->Data());
        }
        EXPECT_EQ(seen[true], seen[false]);
        EXPECT_EQ(heldAfter[true], heldAfter[false]);
        ASSERT_GE(seen[true].size(), 2u);
        EXPECT_EQ(seen[true][1], "$two\r\n");
    }
}

TEST(ProtocolHandlers, MediumNoticesResetAndStopThePause)
{
    // Without a port the notices come straight from the notify-code handler.
    class Probe : public dataproc::TcmDataProcessor {
    public:
        using dataproc::TcmDataProcessor::DeviceNotify;
    };
    Probe protocol;
    Definition{.byTimeout = true}.ApplyTo(*protocol.DataPackets().Add());
    protocol.SetTimeout(40);
    CutRecorder recorder(protocol);
    int timeouts = 0;
    protocol.OnTimeout = [&](QObject*) { ++timeouts; };
    Feed(protocol, {"ignored"});  // not reset yet
    protocol.DeviceNotify(nullptr, 2);
    Feed(protocol, {"dropped"});
    protocol.DeviceNotify(nullptr, 1);
    PumpFor(150);
    EXPECT_TRUE(recorder.cuts.empty());
    EXPECT_EQ(timeouts, 0);
    EXPECT_EQ(Leftovers(protocol), std::vector<std::string>{""});
    protocol.DeviceNotify(nullptr, 2);
    Feed(protocol, {"after"});
    ASSERT_TRUE(PumpUntil([&] { return !recorder.cuts.empty(); }));
    EXPECT_EQ(recorder.cuts, (std::vector<Cut>{{0, "after"}}));
}

} // namespace
} // namespace dataproc_test
