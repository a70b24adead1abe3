// The main program's --help and --version, and a wrong command line.
#include "app/command_line.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

TEST(ProgramCommandLine, Options)
{
    const struct {
        QStringList args;
        bool help, version, error;
    } cases[] = {
        {{"fluxmira"}, false, false, false},
        {{"fluxmira", "--help"}, true, false, false},
        {{"fluxmira", "-h"}, true, false, false},
        {{"fluxmira", "--version"}, false, true, false},
        {{"fluxmira", "--skin", "Fluxmira Dark"}, false, false, false},
        {{"fluxmira", "--skin=Fluxmira Dark"}, false, false, false},
        {{"fluxmira", "--skin"}, false, false, true},
        {{"fluxmira", "--bogus"}, false, false, true},
        {{"fluxmira", "COM3"}, false, false, true},
    };
    for (const auto& c : cases) {
        const auto o = app::Parse_Program_Options(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(o.help, c.help) << what;
        EXPECT_EQ(o.version, c.version) << what;
        EXPECT_EQ(!o.error.empty(), c.error) << what;
        EXPECT_EQ(app::Asks_For_Help_Or_Version(c.args), c.help || c.version) << what;
    }
}

struct ProgramRun {
    int code = -1;
    QString out, err;
};

// Without any display: help and version must not need one.
ProgramRun runProgram(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "xcb");
    p.setProcessEnvironment(env);
    p.start(FLUXMIRA_PROGRAM, args);
    ProgramRun r;
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST(ProgramCommandLine, HelpAndVersionWithoutDisplay)
{
    const ProgramRun help = runProgram({"--help"});
    EXPECT_EQ(help.code, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith("Usage: fluxmira [options]")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--version"));
    EXPECT_TRUE(help.out.contains("--skin <name>"));
    const ProgramRun version = runProgram({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "fluxmira 1.0\n");
}

TEST(ProgramCommandLine, WrongOptionEndsWithUsageError)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(FLUXMIRA_PROGRAM, {"--bogus"});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("bogus"));
}

} // namespace
