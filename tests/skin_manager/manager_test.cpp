// The skin manager: where a skin comes from, applying and removing it, the
// default manager and automatic skinning of windows.
#include "skin/controls/speed_button.h"
#include "skin/manager/form_provider.h"
#include "skin/manager/skin_command.h"
#include "skin/manager/skin_manager.h"
#include "tests/skin_controls/test_skin.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/temp_dir.h"
#include "skin/internal/internal_skin.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <memory>

using namespace skin;

namespace {

const QString kInternal = QString::fromUtf8(kInternalSkinName);

// A manager read like the main window's: internal skin, a missing folder, the internal name.
std::unique_ptr<TkSkinManager> storedManager(const QString& directory = "D:\\Nowhere\\Skins")
{
    auto m = std::make_unique<TkSkinManager>();
    m->BeginLoading();
    m->SetInternalSkins({InternalStoredSkin()});
    m->SetSkinDirectory(directory);
    m->SetSkinName(kInternal);
    m->SetSkinInfo("10");
    m->Loaded();
    return m;
}

QString path(const testing_support::TempDir& dir) { return QString::fromStdString(dir.path().string()); }

bool hasSection(const TkSkinManager& m, const char* name) { return m.GetSkinIndex(name) >= 0; }

} // namespace

TEST(SkinManager, MissingSkinDirectoryLoadsTheInternalSkin)
{
    auto m = storedManager();
    EXPECT_TRUE(m->IsDefault());
    EXPECT_TRUE(m->SkinActive());
    EXPECT_FALSE(m->CommonSkinData().SkinPath.size());
    EXPECT_TRUE(m->SkinIsPacked());
    EXPECT_EQ(m->SkinName(), kInternal);
    EXPECT_EQ(m->SkinInfo(), "10");
    EXPECT_TRUE(hasSection(*m, "SPEEDBUTTON"));
    EXPECT_TRUE(m->GlobalHookInstalled());
}

TEST(SkinManager, SkinInfoIsNotAvailableWithoutASkinAndIgnoresAssignments)
{
    TkSkinManager m;
    EXPECT_EQ(m.SkinInfo(), "N/A");
    m.SetSkinInfo("12");
    EXPECT_EQ(m.SkinInfo(), "N/A");
    EXPECT_EQ(m.SkinDirectory(), "c:\\Skins");
    EXPECT_EQ(m.ThirdParty()[tpButton], "TButton");
    EXPECT_EQ(m.ThirdParty()[tpEdit], " ");
}

TEST(SkinManager, SkzExtensionIsStrippedInAnyCase)
{
    auto m = storedManager();
    for (const char* suffix : {".skz", ".SKZ", ".Skz"}) {
        m->SetSkinName(kInternal + suffix);
        EXPECT_EQ(m->SkinName(), kInternal) << suffix;
        EXPECT_TRUE(m->SkinActive());
    }
}

TEST(SkinManager, PackedFileBeforeFolderBeforeInternalSkin)
{
    testing_support::TempDir dir;
    auto m = storedManager(path(dir));
    skin_ui_test::WriteFolderSkin(path(dir), kInternal, "[FOLDERMARK]\r\nCOLOR=1\r\n");
    m->SetSkinName(kInternal);
    EXPECT_FALSE(m->SkinIsPacked());
    EXPECT_TRUE(hasSection(*m, "FOLDERMARK"));
    EXPECT_EQ(m->CommonSkinData().SkinPath, path(dir) + "/" + kInternal + "/");

    QFile packed(path(dir) + "/" + kInternal + ".skz");
    ASSERT_TRUE(packed.open(QIODevice::WriteOnly));
    packed.write(skin_ui_test::PackedTestSkin("[PACKEDMARK]\r\nCOLOR=1\r\n"));
    packed.close();
    m->SetSkinName(kInternal);
    EXPECT_TRUE(m->SkinIsPacked());
    EXPECT_TRUE(hasSection(*m, "PACKEDMARK"));
    EXPECT_FALSE(hasSection(*m, "FOLDERMARK"));
}

TEST(SkinManager, UnknownNameFallsBackToTheInternalSkin)
{
    testing_support::TempDir dir;
    skin_ui_test::WriteFolderSkin(path(dir), "Other");
    auto m = storedManager(path(dir));
    m->SetSkinName("Other");
    EXPECT_EQ(m->SkinName(), "Other");
    m->SetSkinName("No such skin");
    EXPECT_EQ(m->SkinName(), kInternal);
    EXPECT_TRUE(m->SkinIsPacked());
    EXPECT_TRUE(m->SkinActive());
}

TEST(SkinManager, NoInternalSkinsAndNoSkinSwitchesActiveOff)
{
    TkSkinManager m;
    m.SetSkinName("Nothing");
    EXPECT_FALSE(m.Active());
    EXPECT_FALSE(m.SkinActive());
}

TEST(SkinManager, BrokenSkinKeepsTheOldOneAndShowsTheError)
{
    testing_support::TempDir dir;
    skin_ui_test::WriteFolderSkin(path(dir), "Broken", "[BAD]\r\nBORDERSMASK=^00x0^0000^0036^0012^0004^0004^0004^0004^3^0^5^0\r\n");
    auto m = storedManager(path(dir));
    testing_support::MessageBoxWatcher boxes;
    m->SetSkinName("Broken");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.texts()[0], "'00X0' is not a valid integer value") << "the conversion error of the bad entry";
    EXPECT_EQ(m->SkinName(), kInternal);
    EXPECT_TRUE(m->SkinActive());
    EXPECT_TRUE(hasSection(*m, "SPEEDBUTTON"));
    EXPECT_FALSE(hasSection(*m, "BAD"));
}

TEST(SkinManager, NewerSkinVersionWarnsAndStillLoads)
{
    testing_support::TempDir dir;
    QByteArray options = skin_ui_test::TestOptions();
    options.replace("VERSION=10", "VERSION=14.5");
    skin_ui_test::WriteFolderSkin(path(dir), "New");
    QFile file(path(dir) + "/New/Options.dat");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(options);
    file.close();
    auto m = storedManager(path(dir));
    testing_support::MessageBoxWatcher boxes;
    m->SetSkinName("New");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith("This version of the skin has not complete support"));
    EXPECT_EQ(m->SkinInfo(), "14.5");
    EXPECT_TRUE(m->SkinningRules() & srStdDialogs) << "restored after the box";
}

TEST(SkinManager, ActiveOffRemovesTheSkinFromAllWindowsAndOnReappliesIt)
{
    auto m = storedManager();
    QWidget form;
    form.resize(200, 120);
    auto* button = new TkSpeedButton(&form);
    button->setGeometry(10, 10, 40, 30);
    form.show();
    QApplication::processEvents();
    TkxProvider* provider = TkxProvider::ProviderOf(&form);
    ASSERT_NE(provider, nullptr);
    EXPECT_TRUE(provider->Applied());
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(button->pos(), QPoint(10, 10) + TkxProvider::ClientOrigin(&form));
    EXPECT_GE(button->SkinData.SkinIndex, 0);

    m->SetActive(false);
    EXPECT_EQ(m->SkinInfo(), "N/A");
    EXPECT_FALSE(provider->Applied());
    EXPECT_FALSE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(button->pos(), QPoint(10, 10));
    EXPECT_EQ(button->SkinData.SkinIndex, -1);
    EXPECT_FALSE(m->GlobalHookInstalled());

    m->SetActive(true);
    EXPECT_TRUE(provider->Applied());
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_GE(button->SkinData.SkinIndex, 0);
    EXPECT_TRUE(m->GlobalHookInstalled());
}

TEST(SkinManager, SecondManagerIsNotDefaultAndInstallsNothing)
{
    auto first = storedManager();
    auto second = storedManager();
    EXPECT_TRUE(first->IsDefault());
    EXPECT_FALSE(second->IsDefault());
    EXPECT_EQ(TkSkinManager::DefaultManager(), first.get());
    EXPECT_TRUE(second->SkinActive());
    EXPECT_FALSE(second->GlobalHookInstalled());
    EXPECT_EQ(second->PreviewServer(), nullptr);
    first.reset();
    EXPECT_EQ(TkSkinManager::DefaultManager(), nullptr);
}

TEST(SkinManager, WindowsTaggedWith256AreNotSkinned)
{
    auto m = storedManager();
    QWidget tagged;
    tagged.setProperty("Tag", 256 | 1);
    QWidget plain;
    QWidget loading;
    loading.setProperty("Loading", true);
    for (QWidget* w : {&tagged, &plain, &loading}) {
        w->resize(100, 80);
        w->show();
    }
    QApplication::processEvents();
    EXPECT_EQ(TkxProvider::ProviderOf(&tagged), nullptr);
    EXPECT_EQ(TkxProvider::ProviderOf(&loading), nullptr);
    EXPECT_NE(TkxProvider::ProviderOf(&plain), nullptr);
}

TEST(SkinManager, SkinningRulesDecideWhichWindowsAreSkinned)
{
    auto m = storedManager();
    m->SetSkinningRules(srStdDialogs);
    QWidget form;
    form.show();
    QMessageBox box(QMessageBox::Information, "Fluxmira", "text");
    box.show();
    QApplication::processEvents();
    EXPECT_EQ(TkxProvider::ProviderOf(&form), nullptr);
    TkxProvider* dialog = TkxProvider::ProviderOf(&box);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->ProviderKind(), TkxProvider::Kind::Dialog);
    EXPECT_EQ(FromQColor(box.palette().color(QPalette::WindowText)), m->Model().Palette[pcLabelText]);
    EXPECT_FALSE(box.windowFlags() & Qt::FramelessWindowHint) << "dialogs keep their frame";
}

TEST(SkinManager, BroadcastReachesWindowsControlsAndAttachments)
{
    auto m = storedManager();
    struct Recorder : QWidget {
        QList<int> commands;
        using QWidget::QWidget;
        bool event(QEvent* e) override
        {
            if (e->type() == TkSkinCommandEvent::EventType())
                commands << static_cast<TkSkinCommandEvent*>(e)->Command;
            return QWidget::event(e);
        }
    };
    Recorder form;
    auto* child = new Recorder(&form);
    auto* grandchild = new Recorder(child);
    m->UpdateSkinSection("speedbutton");
    EXPECT_EQ(form.commands, QList<int>{KM_REPAINTSECTION});
    EXPECT_EQ(grandchild->commands, QList<int>{KM_REPAINTSECTION});
    form.commands.clear();
    m->RepaintForms();
    EXPECT_EQ(form.commands, (QList<int>{KM_BEFOREREFRESH, KM_REFRESH}));
}

TEST(SkinManager, SkinNamesListInternalAndExternalSkins)
{
    testing_support::TempDir dir;
    skin_ui_test::WriteFolderSkin(path(dir), "Folder");
    QFile packed(path(dir) + "/Packed.skz");
    ASSERT_TRUE(packed.open(QIODevice::WriteOnly));
    packed.write(skin_ui_test::PackedTestSkin());
    packed.close();
    QFile upper(path(dir) + "/Upper.SKZ");
    ASSERT_TRUE(upper.open(QIODevice::WriteOnly));
    upper.close();
    auto m = storedManager(path(dir));
    EXPECT_EQ(m->GetSkinNames(), (QStringList{kInternal, "Folder", "Packed"}));
    m->SetSkinsFilter(sfiExternal);
    EXPECT_EQ(m->GetSkinNames(), (QStringList{"Folder", "Packed"}));
}
