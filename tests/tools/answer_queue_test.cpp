#include "tools/sensor_sim/answer_queue.h"

#include <gtest/gtest.h>

namespace sensor_sim {
namespace {

using std::chrono::milliseconds;

class AnswerQueueTest : public ::testing::Test {
protected:
    Clock::time_point At(int ms) const { return fStart + milliseconds(ms); }
    Clock::time_point fStart = Clock::now();
    AnswerQueue fQueue;
};

TEST_F(AnswerQueueTest, WholeAnswersGoOutWhenDueInDueOrder)
{
    fQueue.Add(At(30), "late\r\n", false, {});
    fQueue.Add(At(10), "first\r\n", false, {});
    EXPECT_EQ(fQueue.NextDue(), At(10));
    EXPECT_EQ(fQueue.TakeDue(At(5)), "");
    EXPECT_EQ(fQueue.TakeDue(At(10)), "first\r\n");
    EXPECT_EQ(fQueue.NextDue(), At(30));
    EXPECT_EQ(fQueue.TakeDue(At(40)), "late\r\n");
    EXPECT_TRUE(fQueue.Empty());
    EXPECT_FALSE(fQueue.NextDue());
}

TEST_F(AnswerQueueTest, EqualDueTimesKeepArrivalOrder)
{
    fQueue.Add(At(10), "a", false, {});
    fQueue.Add(At(10), "b", false, {});
    EXPECT_EQ(fQueue.TakeDue(At(10)), "ab");
}

TEST_F(AnswerQueueTest, SplitAnswerGoesOutOneByteAGapApartAndHoldsTheLine)
{
    fQueue.Add(At(0), "OK\r\n", true, milliseconds(5));
    fQueue.Add(At(1), "X\r\n", false, {});
    EXPECT_EQ(fQueue.TakeDue(At(0)), "O");
    EXPECT_EQ(fQueue.NextDue(), At(5));
    EXPECT_EQ(fQueue.TakeDue(At(4)), "");
    EXPECT_EQ(fQueue.TakeDue(At(5)), "K");
    EXPECT_EQ(fQueue.TakeDue(At(10)), "\r");
    EXPECT_EQ(fQueue.TakeDue(At(15)), "\n");
    EXPECT_EQ(fQueue.TakeDue(At(15)), "X\r\n");
    EXPECT_TRUE(fQueue.Empty());
}

TEST_F(AnswerQueueTest, ClearDropsEverything)
{
    fQueue.Add(At(0), "OK", true, milliseconds(5));
    EXPECT_EQ(fQueue.TakeDue(At(0)), "O");
    fQueue.Add(At(1), "X", false, {});
    fQueue.Clear();
    EXPECT_TRUE(fQueue.Empty());
    EXPECT_EQ(fQueue.TakeDue(At(100)), "");
}

} // namespace
} // namespace sensor_sim
