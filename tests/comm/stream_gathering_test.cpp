#include "comm/stream_gathering.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using comm::StreamGathering;
using std::chrono::microseconds;

// One event as the event thread meets it; a waiting one is posted kWait later.
struct Event {
    int atUs;
    bool arrival;
    std::uint32_t sendsBegun;
    std::uint32_t bytesReceived;
};

struct GatherCase {
    const char* name;
    std::vector<Event> events;
    std::string expected;  // per event: 'w' waits, '-' is posted at once
};

class GatherTable : public testing::TestWithParam<GatherCase> {};

TEST_P(GatherTable, WaitsOnlyWhileAQuietStreamRuns)
{
    const GatherCase& c = GetParam();
    StreamGathering gathering;
    const StreamGathering::Clock::time_point start{std::chrono::hours(1)};
    std::string got;
    for (const Event& e : c.events) {
        const auto now = start + microseconds(e.atUs);
        const bool wait = gathering.ShouldWait(e.arrival, e.sendsBegun, e.bytesReceived, now);
        gathering.Posted(wait ? now + StreamGathering::kWait : now);
        got += wait ? 'w' : '-';
    }
    EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Gathering, GatherTable,
    testing::Values(
        GatherCase{"a_stream_waits_once_it_runs",
                   {{0, true, 0, 8}, {500, true, 0, 16}, {1600, true, 0, 24}, {2700, true, 0, 32}},
                   "-www"},
        GatherCase{"a_reply_and_the_report_after_it_go_at_once",
                   {{0, true, 0, 8}, {500, true, 1, 9}, {700, true, 1, 9}, {900, true, 1, 12}},
                   "---w"},
        GatherCase{"a_send_between_arrivals_ends_the_waiting",
                   {{0, true, 0, 8}, {300, true, 0, 16}, {1400, true, 1, 24}, {1600, true, 1, 32}},
                   "-w--"},
        GatherCase{"an_arrival_after_a_pause_goes_at_once",
                   {{0, true, 0, 8}, {300, true, 0, 16}, {4000, true, 0, 24}, {4300, true, 0, 32}},
                   "-w-w"},
        GatherCase{"a_line_event_goes_at_once",
                   {{0, true, 0, 8}, {300, true, 0, 16}, {1400, false, 0, 16}},
                   "-w-"},
        GatherCase{"a_stream_faster_than_any_line_goes_at_once",
                   {{0, true, 0, 0}, {1000, true, 0, 4096}, {1500, true, 0, 5120}, {2000, true, 0, 6144}},
                   "----"},
        GatherCase{"a_stream_that_slows_down_waits_again",
                   {{0, true, 0, 0}, {1000, true, 0, 4096}, {2000, true, 0, 4100}, {2500, true, 0, 4110}},
                   "--ww"}),
    [](const testing::TestParamInfo<GatherCase>& info) { return std::string(info.param.name); });

} // namespace
