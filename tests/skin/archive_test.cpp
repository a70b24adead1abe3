#include "skin/archive/find_bytes.h"
#include "skin/archive/skin_archive.h"
#include "skin/archive/stored_skin.h"
#include "tests/skin/archive_builder.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace skin;
using skin_test::ArchiveSpec;
using skin_test::BuildArchive;
using skin_test::Entry;

namespace {

const QByteArray kOptions = "[GLOBALINFO]\r\nVERSION=10\r\n";

QByteArray bytes(int size, int seed)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char((i * 31 + seed * 7 + (i / 97)) & 0xFF);
    return out;
}

struct Unpacked {
    bool ok = false;
    TkxSkinConvertor convertor;
    QStringList messages;
};

Unpacked unpack(const QByteArray& archive)
{
    Unpacked u;
    u.convertor.PackedData = archive;
    u.ok = UnpackSkinArchive(u.convertor, [&](const std::string& text) { u.messages << QString::fromStdString(text); });
    return u;
}

QStringList names(const TkxSkinConvertor& c)
{
    QStringList out;
    for (const TkxFileItem& item : c.Files)
        out << item.Name;
    return out;
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

} // namespace

TEST(FindBytes, FindsFirstOccurrenceOneBased)
{
    struct Case {
        int offset;
        QByteArray pattern;
        QByteArray text;
        int expected;
    } cases[] = {
        {1, "abc", "abc", 1},
        {1, "abc", "xxabcabc", 3},
        {4, "abc", "xxabcabc", 6},
        {1, "abc", "ababab", 0},
        {1, "aab", "aaaab", 3},
        {1, "previewimg", "....previewim", 0},
        {1, "previewimg", QByteArray("\0\0previewimg\x05", 13), 3},
        {0, "ab", "ab", 1},
        {-5, "ab", "xab", 2},
        {1, "", "abc", 0},
        {1, "abcd", "abc", 0},
        {3, "ab", "abab", 3},
        {4, "ab", "abab", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindBytes(c.offset, c.pattern, c.text), c.expected) << c.pattern.constData() << " in " << c.text.constData();
}

TEST(UnpackSkinArchive, FindsTheOptionsEntryInAnyCaseAndPosition)
{
    for (const QByteArray name : {"options.dat", "OPTIONS.DAT", "Options.dat"}) {
        for (int position = 0; position < 3; ++position) {
            std::vector<Entry> entries{{"A.BMP", bytes(500, 1)}, {"B.PNG", bytes(300, 2)}};
            entries.insert(entries.begin() + position, Entry{name, kOptions});
            const Unpacked u = unpack(BuildArchive({entries}));
            ASSERT_TRUE(u.ok);
            ASSERT_TRUE(u.convertor.Options.has_value()) << name.constData() << " at " << position;
            EXPECT_EQ(*u.convertor.Options, kOptions);
            EXPECT_EQ(u.convertor.FileCount, 2);
            EXPECT_EQ(names(u.convertor), (QStringList{"A.BMP", "B.PNG"}));
            EXPECT_EQ(u.convertor.Files[0].Stream, bytes(500, 1));
        }
    }
}

TEST(UnpackSkinArchive, SingleEntryGivesOptionsAndNoFiles)
{
    const Unpacked u = unpack(BuildArchive({{{"OPTIONS.DAT", kOptions}}}));
    ASSERT_TRUE(u.ok);
    EXPECT_EQ(u.convertor.Options.value_or(""), kOptions);
    EXPECT_EQ(u.convertor.FileCount, 0);
    EXPECT_TRUE(u.convertor.Files.empty());
}

TEST(UnpackSkinArchive, FileTypesComeFromTheExtension)
{
    const std::pair<QByteArray, TkxFileType> cases[] = {
        {"FONT.OTF", TkxFileType::ftFont}, {"FONT.TTF", TkxFileType::ftFont}, {"A.BMP", TkxFileType::ftBmp},
        {"a.bmp", TkxFileType::ftBmp},     {"GLOWH.PNG", TkxFileType::ftOther}, {"NOEXT", TkxFileType::ftOther},
        {"x.ttf.png", TkxFileType::ftOther},
    };
    std::vector<Entry> entries{{"OPTIONS.DAT", kOptions}};
    for (const auto& c : cases)
        entries.push_back({c.first, "x"});
    const Unpacked u = unpack(BuildArchive({entries}));
    ASSERT_EQ(u.convertor.Files.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(u.convertor.Files[i].FileType, cases[i].second) << cases[i].first.constData();
}

TEST(UnpackSkinArchive, NextEntryStartsWhereTheStreamEndsAtAnyLevel)
{
    const QByteArray big = bytes(70000, 3) + QByteArray(30000, 'z');
    const auto archiveAt = [&](int level) {
        return BuildArchive({{{"BIG.BMP", big, level}, {"OPTIONS.DAT", kOptions, level}, {"S.PNG", "tiny", level}}});
    };
    const QByteArray fast = archiveAt(1);
    const QByteArray best = archiveAt(9);
    const QByteArray stored = archiveAt(0);
    ASSERT_NE(fast.size(), best.size());
    for (const QByteArray& archive : {fast, best, stored}) {
        const Unpacked u = unpack(archive);
        ASSERT_TRUE(u.ok);
        EXPECT_EQ(names(u.convertor), (QStringList{"BIG.BMP", "S.PNG"}));
        EXPECT_EQ(u.convertor.Files[0].Stream, big);
        EXPECT_EQ(u.convertor.Files[1].Stream, "tiny");
        EXPECT_EQ(u.convertor.Options.value_or(""), kOptions);
    }
}

TEST(UnpackSkinArchive, WrongSignatureIsReportedAndChangesNothing)
{
    ArchiveSpec desc{{{"OPTIONS.DAT", kOptions}}};
    desc.signature = "SKZF";
    Unpacked u;
    u.convertor.Options = QByteArray("old");
    u.convertor.PackedData = BuildArchive(desc);
    bool reported = false;
    EXPECT_FALSE(UnpackSkinArchive(u.convertor, [&](const std::string& text) {
        reported = true;
        EXPECT_EQ(text, "Loaded data is not a packed skin file");
    }));
    EXPECT_TRUE(reported);
    EXPECT_EQ(u.convertor.Options.value_or(""), "old");
    EXPECT_FALSE(unpack("SK").ok);
}

TEST(UnpackSkinArchive, StatedSizeLimitsTheFileButNotTheWalk)
{
    // A size smaller than the stream keeps S bytes; a larger one keeps what the stream holds.
    const Unpacked u = unpack(BuildArchive({{{"A.BMP", "0123456789", 9, 4},
                                             {"B.BMP", "abc", 9, 1 << 30},
                                             {"C.BMP", "xyz", 9, -7},
                                             {"OPTIONS.DAT", kOptions}}}));
    ASSERT_TRUE(u.ok);
    EXPECT_EQ(u.convertor.Files[0].Stream, "0123");
    EXPECT_EQ(u.convertor.Files[1].Stream, "abc");
    EXPECT_EQ(u.convertor.Files[2].Stream, "");
    EXPECT_EQ(u.convertor.Options.value_or(""), kOptions);
}

TEST(UnpackSkinArchive, TruncatedArchivesStopWithoutReadingPastTheEnd)
{
    const QByteArray full = BuildArchive({{{"OPTIONS.DAT", kOptions}, {"A.BMP", bytes(3000, 4)}, {"B.PNG", "b"}}});
    for (qsizetype cut = 0; cut < full.size(); ++cut) {
        // A copy of exactly cut bytes, so a sanitizer sees any read beyond it.
        const QByteArray part(full.constData(), cut);
        Unpacked u;
        try {
            u = unpack(part);
        } catch (const ArchiveError&) {
            continue;  // a cut inside a stream may look like bad data
        }
        EXPECT_LE(u.convertor.Files.size(), 2u);
    }
    const Unpacked whole = unpack(full);
    EXPECT_EQ(whole.convertor.Files.size(), 2u);
}

TEST(UnpackSkinArchive, LyingCountsAndLengthsAreNotTrusted)
{
    ArchiveSpec many{{{"OPTIONS.DAT", kOptions}}};
    many.count = 0x7FFFFFFF;
    const Unpacked u = unpack(BuildArchive(many));
    EXPECT_TRUE(u.ok);
    EXPECT_EQ(u.convertor.Options.value_or(""), kOptions);
    EXPECT_TRUE(u.convertor.Files.empty());
    EXPECT_EQ(u.convertor.FindFile("ANY"), nullptr);

    QByteArray hugeName = QByteArray("SKzf") + skin_test::Int32(1) + skin_test::Int32(0x7FFFFFF0) + "OPT";
    EXPECT_TRUE(unpack(hugeName).convertor.Files.empty());
    QByteArray negativeName = QByteArray("SKzf") + skin_test::Int32(1) + skin_test::Int32(-4) + "OPT";
    EXPECT_TRUE(unpack(negativeName).convertor.Files.empty());
}

TEST(UnpackSkinArchive, CorruptStreamRaisesAnError)
{
    QByteArray archive = BuildArchive({{{"OPTIONS.DAT", kOptions}, {"A.BMP", bytes(2000, 5)}}});
    archive[archive.size() - 20] = char(archive[archive.size() - 20] ^ 0x55);
    archive[archive.size() - 40] = char(archive[archive.size() - 40] ^ 0x55);
    EXPECT_THROW(unpack(archive), ArchiveError);
}

TEST(SkinPreview, ExtractedWhenPresentOnly)
{
    const QByteArray png = bytes(3727, 6);
    ArchiveSpec desc{{{"OPTIONS.DAT", kOptions}}};
    desc.preview = png;
    QByteArray target = "unchanged";
    EXPECT_TRUE(ExtractSkinPreview(target, BuildArchive(desc)));
    EXPECT_EQ(target, png);

    target = "unchanged";
    EXPECT_FALSE(ExtractSkinPreview(target, BuildArchive({{{"OPTIONS.DAT", kOptions}}})));
    EXPECT_EQ(target, "unchanged");
    // A length running past the end is no preview.
    EXPECT_FALSE(ExtractSkinPreview(target, QByteArray("previewimg") + skin_test::Int32(100) + "short"));
    EXPECT_FALSE(ExtractSkinPreview(target, QByteArray("previewimg") + skin_test::Int32(-1)));
    EXPECT_EQ(target, "unchanged");
}

TEST(SkinPreview, FromFileOnlyWhenTheFileExists)
{
    testing_support::TempDir dir;
    const QString path = QString::fromStdString((dir.path() / "Blue.skz").string());
    QByteArray target;
    EXPECT_FALSE(LoadSkinPreviewFromFile(target, path));
    ArchiveSpec desc{{{"OPTIONS.DAT", kOptions}}};
    desc.preview = QByteArray("PNGDATA");
    writeFile(path, BuildArchive(desc));
    EXPECT_TRUE(LoadSkinPreviewFromFile(target, path));
    EXPECT_EQ(target, "PNGDATA");
}

TEST(LoadPackedSkinFile, MissingFileDoesNothingExistingFileIsUnpacked)
{
    testing_support::TempDir dir;
    const QString path = QString::fromStdString((dir.path() / "Blue.skz").string());
    std::unique_ptr<TkxSkinConvertor> convertor;
    LoadPackedSkinFile(path, convertor);
    EXPECT_EQ(convertor, nullptr);

    writeFile(path, BuildArchive({{{"OPTIONS.DAT", kOptions}, {"A.BMP", "a"}}}));
    LoadPackedSkinFile(path, convertor);
    ASSERT_NE(convertor, nullptr);
    EXPECT_EQ(convertor->Options.value_or(""), kOptions);
    EXPECT_TRUE(convertor->PackedData.isNull());
    EXPECT_EQ(convertor->Files.size(), 1u);

    // Loading again empties the convertor first.
    writeFile(path, BuildArchive({{{"OPTIONS.DAT", "[X]"}}}));
    LoadPackedSkinFile(path, convertor);
    EXPECT_EQ(convertor->Options.value_or(""), "[X]");
    EXPECT_TRUE(convertor->Files.empty());
}

TEST(FileLookup, UpperCasedNamesMatchTheMasterNameIsTakenAsWritten)
{
    const Unpacked u = unpack(BuildArchive({{{"OPTIONS.DAT", kOptions}, {"GlowBtn.png", "glow"}, {"MASTER COPY.BMP", "m"}}}));
    const TkxFileItem* glow = u.convertor.FindFile(QStringLiteral("glowbtn.png").toUpper());
    ASSERT_NE(glow, nullptr);
    EXPECT_EQ(glow->Name, "GlowBtn.png");
    EXPECT_EQ(u.convertor.FindFile("master copy.bmp"), nullptr);
    EXPECT_NE(u.convertor.FindFile("MASTER COPY.BMP"), nullptr);
}

TEST(ExtractInternalSkin, WritesTheStoredBytesAndReportsErrors)
{
    testing_support::MessageBoxWatcher watcher;
    testing_support::TempDir dir;
    const QString root = QString::fromStdString(dir.path().string());
    TkStoredSkin stored;
    stored.Name = "Calm (internal)";
    stored.PackedData = BuildArchive({{{"OPTIONS.DAT", kOptions}, {"A.BMP", bytes(999, 8)}}});
    const TkStoredSkins skins{stored};

    EXPECT_TRUE(ExtractByIndex(stored, root + "/new/sub\\"));
    QFile written(root + "/new/sub/Calm (internal) extracted.skz");
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), stored.PackedData);

    ExtractInternalSkin(skins, "Calm (internal)", root);
    EXPECT_TRUE(QFile::exists(root + "/Calm (internal) extracted.skz"));
    EXPECT_EQ(watcher.count(), 0);

    ExtractInternalSkin(skins, "Calm (internal)", root + "/missing");
    ExtractInternalSkin(skins, "calm (internal)", root);
    writeFile(root + "/plainfile", "x");
    EXPECT_FALSE(ExtractByIndex(stored, root + "/plainfile/dir"));
    EXPECT_EQ(watcher.texts(), (QStringList{"Directory does not exists.", "Skin does not exists.",
                                            root + "/plainfile/dir/ directory creation error."}));
    EXPECT_FALSE(QFile::exists(root + "/missing"));
}
