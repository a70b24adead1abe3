// fluxmira-ports: its command line, and the program over a fixture machine.

#include "tests/discovery/machine_fixture.h"
#include "tools/ports/ports_listing.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

using ports_tool::ParseOptions;

TEST(PortsTool, CommandLine)
{
    const struct {
        std::vector<std::string> Args;
        bool Valid;
        discovery::TcmEnumPorts Mode;
        bool Help;
    } cases[] = {
        {{}, true, discovery::epQuickAll, false},
        {{"--mode", "info"}, true, discovery::epFullInfo, false},
        {{"--mode=present"}, true, discovery::epFullPresent, false},
        {{"-m", "quick"}, true, discovery::epQuickAll, false},
        {{"--mode", "info", "--mode", "present"}, true, discovery::epFullPresent, false},
        {{"--help"}, true, discovery::epQuickAll, true},
        {{"-h", "--mode", "info"}, true, discovery::epFullInfo, true},
        {{"--mode"}, false, {}, false},
        {{"--mode", "fast"}, false, {}, false},
        {{"--mode="}, false, {}, false},
        {{"COM3"}, false, {}, false},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto options = ParseOptions(c.Args, error);
        ASSERT_EQ(options.has_value(), c.Valid) << testing::PrintToString(c.Args);
        if (options) {
            EXPECT_EQ(options->Mode, c.Mode);
            EXPECT_EQ(options->Help, c.Help);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

struct ToolRun {
    int ExitCode = -1;
    QString Out, Err;
};

ToolRun RunTool(const QStringList& args)
{
    QProcess process;
    process.start(FLUXMIRA_PORTS_TOOL, args);
    ToolRun run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.ExitCode = process.exitCode();
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST(PortsTool, PrintsTheEntriesOfEachModeWithTheirNodes)
{
    discovery_test::MachineFixture machine;
    machine.LoadTree("ftdi");
    machine.LoadTree("cp210x");
    const QString dev = QString::fromStdString(machine.Dev().string());
    const QString ftdi = "COM1 (FT232R USB UART)", cp210x = "COM2 (CP2102 USB to UART Bridge Controller)";

    EXPECT_EQ(RunTool({"--mode", "info"}).Out, ftdi + "\t" + dev + "/ttyUSB0\n" + cp210x + "\t" + dev + "/ttyUSB2\n");
    machine.Unplug("ttyUSB0");
    EXPECT_EQ(RunTool({}).Out, "COM2\t" + dev + "/ttyUSB2\n");
    EXPECT_EQ(RunTool({"--mode=info"}).Out, ftdi + "\t(not connected)\n" + cp210x + "\t" + dev + "/ttyUSB2\n");
    const ToolRun present = RunTool({"-m", "present"});
    EXPECT_EQ(present.ExitCode, 0);
    EXPECT_EQ(present.Out, cp210x + "\t" + dev + "/ttyUSB2\n");
}

TEST(PortsTool, HelpAndBadArguments)
{
    const ToolRun help = RunTool({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.startsWith("usage: fluxmira-ports")) << help.Out.toStdString();
    const ToolRun bad = RunTool({"--mode", "all"});
    EXPECT_EQ(bad.ExitCode, 2);
    EXPECT_TRUE(bad.Out.isEmpty());
    EXPECT_TRUE(bad.Err.startsWith("fluxmira-ports: unknown mode 'all'")) << bad.Err.toStdString();
    EXPECT_TRUE(bad.Err.contains("usage:"));
}

} // namespace
