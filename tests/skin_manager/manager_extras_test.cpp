// The skin manager beyond loading: the bad-archive box shown without dialog
// skinning, the skin list with previews, our dark skin as a packed file, the
// application font, freezing and the skin-changing fade, and the ThirdLists.
#include "skin/controls/label.h"
#include "skin/manager/form_provider.h"
#include "skin/manager/skin_change.h"
#include "skin/manager/skin_command.h"
#include "skin/manager/skin_manager.h"
#include "skin/manager/third_party.h"
#include "tests/skin_controls/test_skin.h"
#include "tests/skin_manager/animating.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/temp_dir.h"
#include "skin/internal/internal_skin.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace skin;

namespace {

const QString kInternal = QString::fromUtf8(kInternalSkinName);
const QString kDark = QStringLiteral("Fluxmira Dark");
const QString kShippedSkins = QStringLiteral(FLUXMIRA_SKINS_DIR);

QString path(const testing_support::TempDir& dir) { return QString::fromStdString(dir.path().string()); }

// A manager with the window's internal skin, looking for skins in Directory.
std::unique_ptr<TkSkinManager> managerIn(const QString& directory)
{
    auto m = std::make_unique<TkSkinManager>();
    m->BeginLoading();
    m->SetInternalSkins({InternalStoredSkin()});
    m->SetSkinDirectory(directory);
    m->SetSkinName(kInternal);
    m->Loaded();
    return m;
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const TkGenState& state(const TkSkinManager& m, const char* section, int s)
{
    return m.Model().gd[std::size_t(m.GetSkinIndex(section))].Props[std::size_t(s)];
}

} // namespace

TEST(SkinManagerBoxes, BadArchiveBoxIsShownWithDialogSkinningOffAndBothRestored)
{
    testing_support::TempDir dir;
    writeFile(path(dir) + "/Bad.skz", "PK not a skin at all");
    auto m = managerIn(path(dir));
    m->Options.ChangeSysColors = true;
    struct Seen {
        QString text;
        bool dialogRule;
        bool sysColours;
        bool skinned;
    };
    QList<Seen> seen;
    testing_support::MessageBoxWatcher boxes;
    boxes.OnShown = [&](QMessageBox* box) {
        QApplication::processEvents();  // the automatic skinning offers a shown window right after its show
        seen.append({box->text(), bool(m->SkinningRules() & srStdDialogs), m->Options.ChangeSysColors,
                     TkxProvider::ProviderOf(box) != nullptr});
    };
    m->SetSkinName("Bad");
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].text, "Loaded data is not a packed skin file");
    EXPECT_FALSE(seen[0].dialogRule);
    EXPECT_FALSE(seen[0].sysColours);
    EXPECT_FALSE(seen[0].skinned);
    EXPECT_TRUE(seen[1].text.startsWith("Internal format error in the \"Bad\" skin."));
    EXPECT_TRUE(seen[1].dialogRule) << "other errors keep the dialog skinning";
    EXPECT_TRUE(seen[1].skinned);
    EXPECT_TRUE(m->SkinningRules() & srStdDialogs) << "restored";
    EXPECT_TRUE(m->Options.ChangeSysColors) << "restored";
    EXPECT_EQ(m->SkinName(), kInternal);
}

TEST(SkinList, ListsInternalSkinsAndPackedFilesWithTheirPreviews)
{
    testing_support::TempDir dir;
    writeFile(path(dir) + "/Blue.skz", skin_ui_test::PackedTestSkin());
    writeFile(path(dir) + "/BLUE.SKZ", skin_ui_test::PackedTestSkin());
    writeFile(path(dir) + "/.Hidden.skz", skin_ui_test::PackedTestSkin());
    QFile::copy(kShippedSkins + "/" + kDark + ".skz", path(dir) + "/" + kDark + ".skz");
    skin_ui_test::WriteFolderSkin(path(dir), "Folder");
    QDir(path(dir)).mkdir("Dir.skz");
    auto m = managerIn(path(dir));
    TkxSkinListController& list = m->SkinListController();
    int changes = 0;
    list.OnChanged = [&] { ++changes; };
    list.UpdateData();
    QStringList names;
    for (const TkxSkinListItem& item : list.Items())
        names << item.Name;
    EXPECT_EQ(names, (QStringList{kInternal, "Blue", kDark}));
    EXPECT_TRUE(list.Items()[0].Internal);
    EXPECT_EQ(list.Items()[0].PreviewImage().size(), QSize(140, 100)) << "the internal skin's preview";
    EXPECT_TRUE(list.Items()[1].Preview.isEmpty()) << "the test archive has no preview trailer";
    EXPECT_EQ(list.Items()[2].PreviewImage().size(), QSize(140, 100));
    EXPECT_EQ(list.Items()[2].FileName, path(dir) + "/" + kDark + ".skz");
    EXPECT_EQ(list.CurrentIndex(), 0);
    EXPECT_EQ(changes, 1);

    m->SetSkinName(kDark);
    EXPECT_EQ(list.CurrentIndex(), 2);
    EXPECT_GE(changes, 2) << "told when the skin changed";

    m->SetSkinsFilter(sfiExternal);
    list.UpdateData();
    EXPECT_EQ(list.Items().size(), 2u);
    m->SetSkinsFilter(sfiInternal);
    list.UpdateData();
    EXPECT_EQ(list.Items().size(), 1u);
}

TEST(DarkSkin, LoadsFromItsPackedFileWithHotColoursOfItsOwn)
{
    auto m = managerIn(kShippedSkins);
    m->SetSkinName(kDark + ".skz");
    ASSERT_EQ(m->SkinName(), kDark);
    EXPECT_TRUE(m->SkinIsPacked());
    EXPECT_TRUE(m->SkinActive());
    EXPECT_EQ(m->SkinInfo(), "10");
    EXPECT_NE(state(*m, "EDIT", 0).Color, state(*m, "EDIT", 1).Color) << "the edit lights up while edited";
    EXPECT_NE(state(*m, "EDIT", 0).FontColor.Color, state(*m, "EDIT", 1).FontColor.Color);
    const TkGeneralData& edit = m->Model().gd[std::size_t(m->GetSkinIndex("EDIT"))];
    EXPECT_EQ(edit.GlowCount, 1);
    EXPECT_EQ(edit.GlowMargin, 1);
    EXPECT_GE(m->Model().GetMaskIndex(m->GetSkinIndex("EDIT"), "GLOW0"), 0);
    EXPECT_GE(m->GetSkinIndex("MAINMENU"), 0);
    EXPECT_GE(m->GetSkinIndex("BUTTON"), 0);
    const QColor face = ToQColor(m->Model().Palette[pcMainColor]);
    EXPECT_LT(face.lightness(), 80) << "a dark skin";
    EXPECT_GT(ToQColor(m->Model().Palette[pcLabelText]).lightness(), 180) << "with light text";
}

TEST(AppFont, FromTheSkinWhileItIsAppliedAndBackAfterwards)
{
    testing_support::TempDir dir;
    skin_ui_test::WriteFolderSkin(path(dir), "Fonted");
    QFile options(path(dir) + "/Fonted/Options.dat");
    ASSERT_TRUE(options.open(QIODevice::ReadWrite));
    QByteArray text = options.readAll();
    text.replace("VERSION=10\r\n", "VERSION=10\r\nMainFont=DejaVu Serif\r\n");
    options.resize(0);
    options.write(text);
    options.close();

    const QFont original = QApplication::font();
    auto m = managerIn(path(dir));
    QWidget form;
    auto* label = new TkLabel(&form);
    QFont labelFont = original;
    label->setFont(labelFont);
    form.show();
    QApplication::processEvents();
    int changed = 0;
    int stateDuring = 0;
    m->OnFontChanged = [&](TkSkinManager* sender) {
        ++changed;
        stateDuring = sender->ManagerState();
    };
    m->SetSkinName("Fonted");
    EXPECT_EQ(QApplication::font().family(), original.family()) << "fmDefault leaves the font alone";
    EXPECT_EQ(changed, 0);

    m->Fonts.MainMode = TkFontMode::fmFromSkin;
    m->UpdateSkin();
    EXPECT_EQ(QApplication::font().family(), "DejaVu Serif");
    EXPECT_EQ(QApplication::font().pointSizeF(), original.pointSizeF()) << "only the family changes";
    EXPECT_EQ(m->DefStoredFontName(), original.family());
    EXPECT_EQ(label->font().family(), "DejaVu Serif") << "a label in the old application font adopts the new one";
    EXPECT_EQ(changed, 1);
    EXPECT_TRUE(stateDuring & msFontChanging);
    EXPECT_FALSE(m->ManagerState() & msFontChanging);

    m->SetSkinName(kInternal);  // no MainFont: the stored default
    EXPECT_EQ(QApplication::font().family(), original.family());
    m->SetSkinName("Fonted");
    EXPECT_EQ(QApplication::font().family(), "DejaVu Serif");
    m->SetActive(false);
    EXPECT_EQ(QApplication::font().family(), original.family()) << "restored on deactivation";
    QApplication::setFont(original);
}

TEST(SkinChange, FormsAreFrozenWhileTheNewSkinIsApplied)
{
    testing_support::TempDir dir;
    skin_ui_test::WriteFolderSkin(path(dir), "Other");
    auto m = managerIn(path(dir));
    struct Watcher : QWidget {
        using QWidget::QWidget;
        QList<bool> windowPainting;
        bool event(QEvent* e) override
        {
            if (e->type() == TkSkinCommandEvent::EventType()
                && static_cast<TkSkinCommandEvent*>(e)->Command == KM_SETNEWSKIN)
                windowPainting << window()->updatesEnabled();
            return QWidget::event(e);
        }
    };
    QWidget form;
    auto* child = new Watcher(&form);
    form.resize(200, 120);
    form.show();
    QApplication::processEvents();
    ASSERT_NE(TkxProvider::ProviderOf(&form), nullptr);
    m->SetSkinName("Other");
    EXPECT_EQ(child->windowPainting, QList<bool>{false});
    EXPECT_TRUE(form.updatesEnabled()) << "painting again afterwards";
}

TEST(SkinChange, TheOldLookFadesOutIntoExactlyTheNewStillLook)
{
    testing_support::TempDir dir;
    skin_ui_test::WriteFolderSkin(path(dir), "Other");
    auto m = managerIn(path(dir));
    QWidget form;
    form.resize(200, 120);
    form.show();
    QApplication::processEvents();
    const QImage oldLook = form.grab().toImage();

    m->SetSkinName("Other");
    EXPECT_TRUE(TkSkinChangeOverlay::Running().isEmpty()) << "only with extended borders";
    const QImage otherLook = form.grab().toImage();
    m->SetSkinName(kInternal);

    const skin_test::Animating animating;
    m->SetExtendedBorders(true);
    m->SetSkinName("Other");
    ASSERT_EQ(TkSkinChangeOverlay::Running().size(), 1);
    EXPECT_EQ(form.grab().toImage(), oldLook) << "the fade starts from the old look";
    ASSERT_TRUE(QTest::qWaitFor([] { return TkSkinChangeOverlay::Running().isEmpty(); }, 5000));
    EXPECT_EQ(form.grab().toImage(), otherLook) << "and ends in exactly the new still look";

    m->SetSkinName(kInternal);
    form.close();  // closed mid-fade: the overlay goes with the window
    QApplication::processEvents();
}

TEST(ThirdLists, ClassNamesAndTheListThatNamesThem)
{
    std::array<QStringList, 23> lists;
    for (int i = 0; i < 23; ++i)
        lists[std::size_t(i)] = DefaultThirdList(i).split('\n');
    struct Case {
        QWidget* widget;
        QString standard;
        int list;
    };
    QPushButton button;
    QLineEdit edit;
    QCheckBox box;
    QLabel label;
    const Case cases[] = {
        {&button, "TButton", tpButton},
        {&edit, "TEdit", -1},
        {&box, "TCheckBox", -1},
        {&label, "", -1},
    };
    for (const Case& c : cases) {
        const QStringList names = ThirdClassNames(c.widget);
        EXPECT_EQ(names.front(), c.widget->metaObject()->className());
        EXPECT_EQ(names.size() > 1 ? names[1] : QString(), c.standard);
        EXPECT_EQ(ThirdListOf(c.widget, lists), c.list) << c.widget->metaObject()->className();
    }
    lists[tpEdit] = QStringList{"QLineEdit"};
    EXPECT_EQ(ThirdListOf(&edit, lists), int(tpEdit)) << "a list may name the Qt class too";
}

TEST(ThirdLists, LabelsTakeTheSkinsColourWhereItCanBeRead)
{
    auto m = managerIn(QStringLiteral("D:\\Nowhere"));
    QWidget form;
    form.resize(240, 120);
    auto* onForm = new QLabel("on the form", &form);
    auto* panel = new QWidget(&form);
    panel->setGeometry(10, 40, 200, 60);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(30, 30, 30));
    panel->setPalette(palette);
    auto* onDark = new QLabel("on a dark panel", panel);
    palette.setColor(QPalette::WindowText, QColor(250, 250, 250));
    onDark->setPalette(palette);
    form.show();
    QApplication::processEvents();
    const QColor label = ToQColor(m->Model().Palette[pcLabelText]);
    EXPECT_EQ(onForm->palette().color(QPalette::WindowText), label);
    EXPECT_EQ(onDark->palette().color(QPalette::WindowText), QColor(250, 250, 250))
        << "the skin's dark label colour cannot be read on a dark panel";
    EXPECT_GE(ContrastRatio(Qt::black, Qt::white), 20.9);
    EXPECT_DOUBLE_EQ(ContrastRatio(Qt::red, Qt::red), 1.0);
    m->SetActive(false);
    EXPECT_NE(onForm->palette().color(QPalette::WindowText), label) << "restored";
}

// Both skins: a dialog's combo boxes and buttons get the skin's button face,
// whose stored value carries an opacity byte that is not a system colour.
TEST(DialogColours, ButtonFaceIsTheSkinsOwnAndItsTextCanBeRead)
{
    for (const QString& name : {kInternal, kDark}) {
        auto m = managerIn(kShippedSkins);
        m->SetSkinName(name);
        QDialog dialog;
        TkxProvider::Attach(&dialog, m.get(), TkxProvider::Kind::Dialog);
        const QPalette palette = dialog.palette();
        const TColor face = m->Model().Palette[pcBtnColor1Normal];
        EXPECT_EQ(palette.color(QPalette::Button), ButtonColorToQColor(face)) << name.toStdString();
        EXPECT_GE(ContrastRatio(palette.color(QPalette::Button), palette.color(QPalette::ButtonText)), 3.0) << name.toStdString();
        EXPECT_GE(ContrastRatio(palette.color(QPalette::Base), palette.color(QPalette::Text)), 3.0) << name.toStdString();
    }
}
