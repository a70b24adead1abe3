// Generates the internal skin: writes internal_skin.skz, the two button
// glyphs and, for looking at, every file of the archive into the output folder.
#include "tools/skin_gen/skin_design.h"
#include "tools/skin_gen/skz_writer.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]) + u'/';
    QDir().mkpath(out + "files");
    const skin_gen::GeneratedSkin skin = skin_gen::GenerateInternalSkin();
    bool ok = true;
    for (const skin_gen::PackedFile& file : skin.files)
        ok &= writeFile(out + "files/" + QString::fromLatin1(file.name), file.data);
    ok &= writeFile(out + "files/preview.png", skin.previewPng);
    ok &= skin.zeroGlyph.save(out + "zero_glyph.png", "PNG");
    ok &= skin.calGlyph.save(out + "cal_glyph.png", "PNG");
    ok &= writeFile(out + "internal_skin.skz", skin_gen::PackSkz(skin.files, skin.previewPng));
    if (!ok)
        std::fprintf(stderr, "skin_gen: could not write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
