// Live preview: the record, the local socket that receives it and the
// manager applying it. Malformed records are dropped and change nothing.
#include "skin/manager/preview_record.h"
#include "skin/manager/preview_server.h"
#include "skin/manager/skin_manager.h"
#include "tests/skin_controls/test_skin.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/temp_dir.h"
#include "tests/support/used_up_descriptors.h"
#include "tools/skin_preview_send/preview_sender.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <vector>

using namespace skin;

namespace {

QString path(const testing_support::TempDir& dir) { return QString::fromStdString(dir.path().string()); }

void send(const QString& server, const QByteArray& bytes)
{
    QLocalSocket socket;
    socket.connectToServer(server);
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write(bytes);
    socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(2000);
}

// Sets (or with nullptr removes) an environment variable for the length of a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray* value) : fName(name)
    {
        if (qEnvironmentVariableIsSet(name))
            fOld = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnv()
    {
        if (fOld)
            qputenv(fName, *fOld);
        else
            qunsetenv(fName);
    }

private:
    const char* fName;
    std::optional<QByteArray> fOld;
};

// Messages of the preview's log category while it lives.
class LogCapture {
public:
    LogCapture() { fPrevious = qInstallMessageHandler(&LogCapture::handle); }
    ~LogCapture() { qInstallMessageHandler(fPrevious); }
    static QStringList& Lines()
    {
        static QStringList lines;
        return lines;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& text)
    {
        if (context.category && QByteArray(context.category) == "fluxmira.skin.preview")
            Lines() << text;
    }
    QtMessageHandler fPrevious = nullptr;
};

std::unique_ptr<QLocalSocket> connectTo(const QString& server)
{
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(server);
    // Pumping lets the server (on this thread) accept before the backlog fills.
    EXPECT_TRUE(QTest::qWaitFor([&] { return socket->state() != QLocalSocket::ConnectingState; }, 3000));
    EXPECT_NE(socket->state(), QLocalSocket::UnconnectedState) << socket->errorString().toStdString();
    return socket;
}

QByteArray withMagic(quint32 magic)
{
    QByteArray record = BuildPreviewRecord("a", "b", "c");
    qToLittleEndian<quint32>(magic, record.data());
    return record;
}

} // namespace

TEST(PreviewRecord, OnlyTheExactSizeWithTheMagicIsAccepted)
{
    const QByteArray good = BuildPreviewRecord("Skin", "/skins", "[GLOBALINFO]\r\n");
    ASSERT_EQ(good.size(), kPreviewRecordSize);
    const auto parsed = ParsePreviewRecord(good);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->SkinName, "Skin");
    EXPECT_EQ(parsed->SkinDir, "/skins");
    EXPECT_EQ(parsed->Data, "[GLOBALINFO]\r\n");
    for (const QByteArray& bad : {QByteArray(), good.left(kPreviewRecordSize - 1), good + 'x', withMagic(0xA401),
                                  withMagic(0x00A4), QByteArray(kPreviewRecordSize, '\0')})
        EXPECT_FALSE(ParsePreviewRecord(bad)) << bad.size();
}

TEST(PreviewRecord, TextsAreBoundedByTheirFieldsAndCutAtTheirZero)
{
    QByteArray record(kPreviewRecordSize, 'x');
    qToLittleEndian<quint32>(kPreviewMagic, record.data());
    const auto parsed = ParsePreviewRecord(record);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->SkinName.size(), kPreviewNameSize);
    EXPECT_EQ(parsed->SkinDir.size(), kPreviewDirSize);
    EXPECT_EQ(parsed->Data.size(), kPreviewDataSize);
    EXPECT_TRUE(BuildPreviewRecord(QByteArray(kPreviewNameSize, 'n'), "", "").isEmpty());
}

TEST(PreviewServer, DropsMalformedRecordsAndDeliversGoodOnes)
{
    testing_support::TempDir dir;
    TkPreviewServer server;
    const QString socket = path(dir) + "/preview";
    ASSERT_TRUE(server.Listen(socket));
    EXPECT_EQ(QFileInfo(socket).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup), 0);
    int delivered = 0;
    server.OnRecord = [&](const TkxSkinData&) { ++delivered; };
    const QByteArray good = BuildPreviewRecord("Skin", "/skins", "[X]\r\n");
    const QByteArray bad[] = {QByteArray("hello"), good + QByteArray(5000, 'z'), withMagic(1), good.left(100)};
    int sent = 0;
    for (const QByteArray& bytes : bad) {
        send(socket, bytes);
        ++sent;
        EXPECT_TRUE(QTest::qWaitFor([&] { return server.Dropped() == sent; }, 3000)) << bytes.size();
    }
    EXPECT_EQ(delivered, 0);
    send(socket, good);
    EXPECT_TRUE(QTest::qWaitFor([&] { return delivered == 1; }, 3000));
    EXPECT_EQ(server.Accepted(), 1);
}

TEST(PreviewServer, SecondListenerOnTheSameSocketStepsBack)
{
    testing_support::TempDir dir;
    TkPreviewServer first, second;
    ASSERT_TRUE(first.Listen(path(dir) + "/preview"));
    EXPECT_FALSE(second.Listen(path(dir) + "/preview"));
    EXPECT_TRUE(first.Listening());
}

TEST(PreviewServer, IdleTricklingAndSurplusPeersAreDropped)
{
    testing_support::TempDir dir;
    TkPreviewServer server;
    server.SetConnectionTimeout(300);
    ASSERT_TRUE(server.Listen(path(dir) + "/preview"));
    int delivered = 0;
    server.OnRecord = [&](const TkxSkinData&) { ++delivered; };
    // One sends a byte now and then; twenty more say nothing, twelve of them
    // beyond what the server takes at once.
    auto trickling = connectTo(server.Path());
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < 20; ++i)
        idle.push_back(connectTo(server.Path()));
    const QByteArray good = BuildPreviewRecord("Skin", "/skins", "[X]\r\n");
    for (int i = 0; i < 40 && trickling->state() == QLocalSocket::ConnectedState; ++i) {
        trickling->write(good.mid(i, 1));
        trickling->flush();
        QTest::qWait(25);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Connections() == 0; }, 5000)) << server.Connections();
    EXPECT_EQ(server.Dropped(), 21);
    EXPECT_EQ(delivered, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return trickling->state() == QLocalSocket::UnconnectedState; }, 3000))
        << "the peer sees its connection closed";
    send(server.Path(), good);
    EXPECT_TRUE(QTest::qWaitFor([&] { return delivered == 1; }, 3000)) << "still listening";
}

TEST(PreviewServer, KeepsListeningWhileOutOfDescriptors)
{
    testing_support::TempDir dir;
    TkPreviewServer server;
    ASSERT_TRUE(server.Listen(path(dir) + "/preview"));
    int delivered = 0;
    server.OnRecord = [&](const TkxSkinData&) { ++delivered; };
    const QByteArray good = BuildPreviewRecord("Skin", "/skins", "[X]\r\n");

    // A sender connects while the program has no descriptor to spare: it
    // takes the last one, none is left for the server to accept it.
    testing_support::UsedUpDescriptors usedUp(512);
    ASSERT_TRUE(usedUp.Taken());
    usedUp.SpareOne();
    QLocalSocket sender;
    sender.connectToServer(server.Path());
    const bool connected = sender.state() == QLocalSocket::ConnectedState;
    sender.write(good);
    sender.flush();
    QTest::qWait(600);  // several attempts to accept fail meanwhile
    const int deliveredWhileStarved = delivered;
    usedUp.Release();
    ASSERT_TRUE(connected);
    EXPECT_EQ(deliveredWhileStarved, 0);
    EXPECT_TRUE(server.Listening());
    sender.disconnectFromServer();
    EXPECT_TRUE(QTest::qWaitFor([&] { return delivered == 1; }, 3000)) << "the waiting sender is served";
    send(server.Path(), good);
    EXPECT_TRUE(QTest::qWaitFor([&] { return delivered == 2; }, 3000)) << "and the next one";
}

TEST(PreviewServer, ListensOnlyInAPrivateFolder)
{
    testing_support::TempDir dir;
    const QString open = path(dir) + "/open";
    QDir().mkpath(open);
    ::chmod(QFile::encodeName(open).constData(), 0777);
    TkPreviewServer server;
    EXPECT_FALSE(server.Listen(open + "/preview"));
    EXPECT_FALSE(QFileInfo::exists(open + "/preview"));
}

class PreviewPath : public testing::Test {
protected:
    QString ownFolder() const { return path(temp) + "/fluxmira-" + QString::number(::geteuid()); }

    testing_support::TempDir temp;
    testing_support::TempDir runtimeDir;
    QByteArray tempValue = QFile::encodeName(path(temp));
    ScopedEnv tmp{"TMPDIR", &tempValue};
};

TEST_F(PreviewPath, IsInTheRuntimeFolderWhenThatIsPrivate)
{
    const QByteArray value = QFile::encodeName(path(runtimeDir));
    ScopedEnv runtime("XDG_RUNTIME_DIR", &value);
    EXPECT_EQ(TkPreviewServer::DefaultPath(), path(runtimeDir) + "/fluxmira-skin-preview");
}

TEST_F(PreviewPath, OtherwiseInAFolderOfTheUsersOwnCreatedPrivate)
{
    ::chmod(runtimeDir.path().c_str(), 0755);
    const QByteArray unusable = QFile::encodeName(path(runtimeDir));
    for (const QByteArray* value : {static_cast<const QByteArray*>(nullptr), &unusable}) {
        ScopedEnv runtime("XDG_RUNTIME_DIR", value);
        EXPECT_EQ(TkPreviewServer::DefaultPath(), ownFolder() + "/fluxmira-skin-preview");
        EXPECT_EQ(QFileInfo(ownFolder()).permissions() & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                           | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                  0);
    }
}

TEST_F(PreviewPath, APreparedFolderMeansNoPreviewAndSaysSo)
{
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    testing_support::TempDir elsewhere;
    const QByteArray own = QFile::encodeName(ownFolder());
    // Taken first by someone else: open to all, or a link to a folder of theirs.
    for (const std::function<void()>& prepare :
         std::vector<std::function<void()>>{[&] { QDir().mkpath(ownFolder()); ::chmod(own.constData(), 0777); },
                                            [&] { ::symlink(elsewhere.path().c_str(), own.constData()); }}) {
        prepare();
        QString why;
        EXPECT_EQ(TkPreviewServer::DefaultPath(&why), QString());
        EXPECT_TRUE(why.contains(ownFolder())) << why.toStdString();

        LogCapture log;
        LogCapture::Lines().clear();
        TkSkinManager manager;
        ASSERT_TRUE(manager.IsDefault());
        ASSERT_NE(manager.PreviewServer(), nullptr);
        EXPECT_FALSE(manager.PreviewServer()->Listening());
        EXPECT_TRUE(LogCapture::Lines().join('\n').contains("live skin preview off")) << LogCapture::Lines().join('\n').toStdString();
        EXPECT_TRUE(QDir(elsewhere.path().c_str()).isEmpty()) << "nothing placed in the prepared folder";
        QFile::remove(ownFolder());
        QDir(ownFolder()).removeRecursively();
    }
}

class LivePreview : public testing::Test {
protected:
    void SetUp() override
    {
        skin_ui_test::WriteFolderSkin(path(dir), "Base");
        manager.SetSkinDirectory(path(dir));
        manager.SetSkinName("Base");
        ASSERT_TRUE(manager.SkinActive());
        ASSERT_TRUE(server.Listen(path(dir) + "/preview"));
        server.OnRecord = [this](const TkxSkinData& r) { manager.QueuePreview(r); };
    }

    testing_support::TempDir dir;
    TkSkinManager manager;
    TkPreviewServer server;
};

TEST_F(LivePreview, AppliesTheOptionsTextOfAGoodRecord)
{
    skin_ui_test::WriteFolderSkin(path(dir), "Edited");
    const QByteArray options = skin_ui_test::TestOptions("[PREVIEWMARK]\r\nCOLOR=1\r\n");
    send(server.Path(), BuildPreviewRecord("Edited", path(dir).toUtf8(), options));
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.SkinName() == "Edited"; }, 3000));
    EXPECT_GE(manager.GetSkinIndex("PREVIEWMARK"), 0) << "the record's text, not the folder's file";
    EXPECT_GE(manager.Model().ma.size(), 3u) << "images from the skin's folder";
    EXPECT_TRUE(manager.SkinActive());
    EXPECT_FALSE(manager.PreviewInProgress());
}

TEST_F(LivePreview, MalformedRecordsNeverChangeTheSkin)
{
    const QByteArray good = BuildPreviewRecord("Other", path(dir).toUtf8(), "[GLOBALINFO]\r\n");
    for (const QByteArray& bytes : {good.left(kPreviewRecordSize - 1), good + "!", withMagic(0xA500)})
        send(server.Path(), bytes);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Dropped() == 3; }, 3000));
    QTest::qWait(50);
    EXPECT_EQ(manager.SkinName(), "Base");
    EXPECT_EQ(manager.SkinDirectory(), path(dir));
    EXPECT_GE(manager.GetSkinIndex("SPEEDBUTTON"), 0);
}

TEST_F(LivePreview, RecordThatFailsToLoadKeepsTheSkinAndItsFolder)
{
    testing_support::MessageBoxWatcher boxes;
    const QByteArray options = "[BAD]\r\nBORDERSMASK=^00x0^0000^0036^0012^0004^0004^0004^0004^3^0^5^0\r\n";
    manager.QueuePreview(*ParsePreviewRecord(BuildPreviewRecord("Bad", "/nowhere", options)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.count() == 1; }, 3000));
    EXPECT_EQ(manager.SkinName(), "Base");
    EXPECT_EQ(manager.SkinDirectory(), path(dir));
    EXPECT_GE(manager.GetSkinIndex("SPEEDBUTTON"), 0);
}

TEST_F(LivePreview, SenderToolShowsAFolderSkin)
{
    const QString folder = skin_ui_test::WriteFolderSkin(path(dir), "Sent", "[SENTMARK]\r\nCOLOR=1\r\n");
    QString error;
    const QByteArray record = skin_preview::RecordForFolder(folder, &error);
    ASSERT_EQ(record.size(), kPreviewRecordSize) << error.toStdString();
    ASSERT_TRUE(skin_preview::SendRecord(server.Path(), record, &error)) << error.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.SkinName() == "Sent"; }, 3000));
    EXPECT_GE(manager.GetSkinIndex("SENTMARK"), 0);
    EXPECT_TRUE(skin_preview::RecordForFolder(path(dir) + "/missing", &error).isEmpty());
    EXPECT_FALSE(skin_preview::SendRecord(path(dir) + "/nobody", record, &error));
}
