// Which skin the program starts with: "--skin NAME" on the command line,
// else FLUXMIRA_SKIN, else the stored one; and where that skin is looked for.
#include "app/skin_choice.h"
#include "tests/support/temp_dir.h"

#include <QFile>

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

TEST(SkinChoice, NamesAreLookedForInTheProgramsSkinFolderFilesWhereTheyAre)
{
    testing_support::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    QFile file(folder + "/Night.skz");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    const app::Skin_Choice named = Resolve_Skin("Fluxmira Dark");
    EXPECT_EQ(named.Directory, "Skins");
    EXPECT_EQ(named.Name, "Fluxmira Dark");
    const app::Skin_Choice packed = Resolve_Skin(folder + "/Night.skz");
    EXPECT_EQ(packed.Directory, folder);
    EXPECT_EQ(packed.Name, "Night");
    const app::Skin_Choice missing = Resolve_Skin(folder + "/Nothing.skz");
    EXPECT_EQ(missing.Directory, "Skins") << "no such file: taken as a name";
}
