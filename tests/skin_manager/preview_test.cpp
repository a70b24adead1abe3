// Live preview: the record, the local socket that receives it and the
// manager applying it. Malformed records are dropped and change nothing.
#include "skin/manager/preview_record.h"
#include "skin/manager/preview_server.h"
#include "skin/manager/skin_manager.h"
#include "tests/skin_controls/test_skin.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/temp_dir.h"
#include "tools/skin_preview_send/preview_sender.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

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
