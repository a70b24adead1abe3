#include "comm/file_log.h"
#include "runtime/error.h"
#include "tests/support/temp_dir.h"

#include "tests/comm/log_lines.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>

#include <thread>
#include <vector>

namespace {

TEST(FileLog, OneStampedLinePerCallWithItsLevel)
{
    testing_support::TempDir dir;
    comm::TcmFileLog log(nullptr, dir.path() / "comm.log");
    log.AddLog(comm::dlSimple, "opened");
    log.AddLogFmt(comm::dlDetail, "Communication Error %d:%d %X", {1, 2, 0x1F});
    log.AddFmt("%s!", {"plain"});
    log.AddSysInfo();
    const auto lines = comm_test::ReadLines(dir.path() / "comm.log");
    ASSERT_EQ(lines.size(), 4u);
    const QRegularExpression stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[\w+\] .+$)");
    for (const auto& line : lines)
        EXPECT_TRUE(stamp.match(QString::fromStdString(line)).hasMatch()) << line;
    const auto entries = comm_test::LogEntries(dir.path() / "comm.log");
    EXPECT_EQ(entries[0], "[simple] opened");
    EXPECT_EQ(entries[1], "[detail] Communication Error 1:2 1F");
    EXPECT_EQ(entries[2], "[text] plain!");
}

TEST(FileLog, DropsLevelsAboveItsMaximumAndClearEmptiesTheFile)
{
    testing_support::TempDir dir;
    comm::TcmFileLog log(nullptr, dir.path() / "comm.log");
    log.SetMaxLevel(comm::dlDetail);
    log.AddLog(comm::dlDebug, "hidden");
    log.AddLog(comm::dlDetail, "shown");
    EXPECT_EQ(comm_test::LogEntries(dir.path() / "comm.log"), std::vector<std::string>{"[detail] shown"});
    log.Clear();
    EXPECT_TRUE(comm_test::ReadLines(dir.path() / "comm.log").empty());
}

TEST(FileLog, WholeLinesFromManyThreads)
{
    testing_support::TempDir dir;
    comm::TcmFileLog log(nullptr, dir.path() / "comm.log");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&log, t] {
            for (int i = 0; i < 200; ++i)
                log.AddLogFmt(comm::dlDebug, "thread %d line %d", {t, i});
        });
    for (auto& t : threads)
        t.join();
    const auto entries = comm_test::LogEntries(dir.path() / "comm.log");
    ASSERT_EQ(entries.size(), 800u);
    for (const auto& e : entries)
        EXPECT_EQ(e.rfind("[debug] thread ", 0), 0u) << e;
}

TEST(FileLog, UnwritableFileGoesToOnFatalErrorOnce)
{
    comm::TcmFileLog log(nullptr, "/nonexistent-dir/comm.log");
    int reports = 0;
    log.OnFatalError = [&](QObject* sender, std::uint32_t, std::uint32_t, const std::string& msg, bool& raise) {
        EXPECT_EQ(sender, &log);
        EXPECT_NE(msg.find("/nonexistent-dir/comm.log"), std::string::npos);
        raise = false;
        ++reports;
    };
    log.AddLog(comm::dlSimple, "a");
    log.AddLog(comm::dlSimple, "b");
    EXPECT_EQ(reports, 1);
    log.OnFatalError = nullptr;
    log.SetFileName("/nonexistent-dir/other.log");
    EXPECT_THROW(log.AddLog(comm::dlSimple, "c"), runtime::Error);
}

} // namespace
