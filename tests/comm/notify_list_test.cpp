#include "comm/notify_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Listener {
    std::vector<int> codes;
    void Notify(QObject*, std::int32_t code) { codes.push_back(code); }
    void Other(QObject*, std::int32_t code) { codes.push_back(-code); }
};

TEST(NotifyList, MatchesByRoutineAlone)
{
    Listener a, b;
    comm::TcmNotifyList list;
    list.Add(comm::MakeNotifyEvent(&a, &Listener::Notify));
    EXPECT_EQ(list.IndexOf(comm::MakeNotifyEvent(&b, &Listener::Notify)), 0)
        << "another object's entry with the same routine is the same entry";
    EXPECT_EQ(list.IndexOf(comm::MakeNotifyEvent(&a, &Listener::Other)), -1);
}

TEST(NotifyList, CallReachesEntriesInOrderWithTheCountTakenAtTheStart)
{
    comm::TcmNotifyList list;
    std::vector<std::string> calls;
    list.Add({"first", nullptr, [&](QObject*, std::int32_t code) {
                  calls.push_back("first" + std::to_string(code));
                  list.Add({"late", nullptr, [&](QObject*, std::int32_t) { calls.push_back("late"); }});
              }});
    list.Add({"second", nullptr, [&](QObject*, std::int32_t code) { calls.push_back("second" + std::to_string(code)); }});
    list.Call(nullptr, 2);
    EXPECT_EQ(calls, (std::vector<std::string>{"first2", "second2"}));
    EXPECT_EQ(list.Count(), 3);
}

TEST(NotifyList, EntryDeletedDuringCallIsSkippedSafely)
{
    comm::TcmNotifyList list;
    int secondCalls = 0;
    list.Add({"first", nullptr, [&](QObject*, std::int32_t) { list.Clear(); }});
    list.Add({"second", nullptr, [&](QObject*, std::int32_t) { ++secondCalls; }});
    list.Call(nullptr, 1);
    EXPECT_EQ(secondCalls, 0);
    EXPECT_EQ(list.Count(), 0);
}

TEST(NotifyList, GetPutDeleteBounds)
{
    comm::TcmNotifyList list;
    list.Add({"a", nullptr, nullptr});
    list.Put(0, {"b", nullptr, nullptr});
    EXPECT_EQ(list.Get(0).routine, "b");
    EXPECT_THROW(list.Delete(1), std::out_of_range);
    EXPECT_THROW(list.Get(-1), std::out_of_range);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
