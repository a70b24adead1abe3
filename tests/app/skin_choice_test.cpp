// Which skin the program starts with: "--skin NAME" on the command line,
// else FLUXMIRA_SKIN, else the stored one; and where that skin is looked for.
#include "app/skin_choice.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using app::Requested_Skin;
using app::Resolve_Skin;

TEST(SkinChoice, TheCommandLineBeforeTheEnvironment)
{
    struct Case {
        QStringList arguments;
        QString environment;
        QString expected;
    };
    const Case cases[] = {
        {{"fluxmira"}, "", ""},
        {{"fluxmira"}, "Fluxmira Dark", "Fluxmira Dark"},
        {{"fluxmira", "--skin", "Blue"}, "Fluxmira Dark", "Blue"},
        {{"fluxmira", "--skin=Blue Sky"}, "", "Blue Sky"},
        {{"fluxmira", "--skin"}, "Env", "Env"},
        {{"fluxmira", "--other", "x", "--skin", "Last"}, "", "Last"},
        {{"--skin", "Ignored as the program name"}, "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Requested_Skin(c.arguments, c.environment), c.expected) << c.arguments.join(' ').toStdString();
}

namespace {

void touch(const QString& name)
{
    QDir().mkpath(QFileInfo(name).absolutePath());
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

} // namespace

TEST(SkinChoice, NamesAreLookedForInTheSkinFoldersFilesWhereTheyAre)
{
    testing_support::TempDir dir;
    const QString root = QString::fromStdString(dir.path().string());
    const QString program = root + "/bin";
    QDir().mkpath(program);
    touch(root + "/share/fluxmira/Skins/Installed.skz");
    touch(program + "/Skins/Beside.skz");
    touch(program + "/Skins/Folder/Options.dat");
    touch(root + "/Night.skz");

    struct Case {
        QString requested;
        QString directory;
        QString name;
    };
    const Case cases[] = {
        {"Beside", "Skins", "Beside"},
        {"Folder", "Skins", "Folder"},
        {"Installed", "../share/fluxmira/Skins", "Installed"},
        {"Nowhere", "Skins", "Nowhere"},
        {root + "/Night.skz", root, "Night"},
        {root + "/Nothing.skz", "Skins", root + "/Nothing.skz"},
    };
    for (const Case& c : cases) {
        const app::Skin_Choice choice = Resolve_Skin(c.requested, program);
        EXPECT_EQ(choice.Directory, c.directory) << c.requested.toStdString();
        EXPECT_EQ(choice.Name, c.name) << c.requested.toStdString();
    }
}
