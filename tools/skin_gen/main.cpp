// Generates our skins and the skinning layer's start-up resources.
//
//   fluxmira_skin_gen internal DIR   internal_skin.skz, the two button glyphs
//                                    and, for looking at, every file of the
//                                    archive under DIR/files
//   fluxmira_skin_gen dark DIR       "Fluxmira Dark.skz"
//   fluxmira_skin_gen startup DIR    kxfont.ttf, kxhint.png, kxshda.png, kxshdi.png
#include "tools/skin_gen/skin_design.h"
#include "tools/skin_gen/skz_writer.h"
#include "tools/skin_gen/startup_resources.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstring>

namespace {

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

bool writeInternal(const QString& out)
{
    QDir().mkpath(out + "files");
    const skin_gen::GeneratedSkin skin = skin_gen::GenerateInternalSkin();
    bool ok = true;
    for (const skin_gen::PackedFile& file : skin.files)
        ok &= writeFile(out + "files/" + QString::fromLatin1(file.name), file.data);
    ok &= writeFile(out + "files/preview.png", skin.previewPng);
    ok &= skin.zeroGlyph.save(out + "zero_glyph.png", "PNG");
    ok &= skin.calGlyph.save(out + "cal_glyph.png", "PNG");
    ok &= writeFile(out + "internal_skin.skz", skin_gen::PackSkz(skin.files, skin.previewPng));
    return ok;
}

bool writeDark(const QString& out)
{
    const skin_gen::GeneratedSkin skin = skin_gen::GenerateSkin(skin_gen::DarkDesign());
    return writeFile(out + "Fluxmira Dark.skz", skin_gen::PackSkz(skin.files, skin.previewPng));
}

bool writeStartup(const QString& out)
{
    bool ok = writeFile(out + "kxfont.ttf", skin_gen::SymbolFont());
    ok &= skin_gen::HintFrame().save(out + "kxhint.png", "PNG");
    ok &= skin_gen::FormShadow(true).save(out + "kxshda.png", "PNG");
    ok &= skin_gen::FormShadow(false).save(out + "kxshdi.png", "PNG");
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s internal|dark|startup OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[2]) + u'/';
    QDir().mkpath(out);
    bool ok = false;
    if (std::strcmp(argv[1], "internal") == 0)
        ok = writeInternal(out);
    else if (std::strcmp(argv[1], "dark") == 0)
        ok = writeDark(out);
    else if (std::strcmp(argv[1], "startup") == 0)
        ok = writeStartup(out);
    else
        return 2;
    if (!ok)
        std::fprintf(stderr, "skin_gen: could not write into %s\n", argv[2]);
    return ok ? 0 : 1;
}
