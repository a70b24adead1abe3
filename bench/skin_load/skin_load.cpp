// How much the skin loader adds to the work it cannot avoid, on the internal skin:
//   unpack:     UnpackSkinArchive against inflating the same zlib streams with plain zlib calls
//   whole load: unpack + options + images + model against unpack + decoding the images alone
// and how loading grows with PARENTCLASS chains: the time per section of a
// chain of 6,000 sections against one of 1,500 (linear: about 1x).
//
//   bench_skin_load [rounds]

#include "bench/support/interleaved_timing.h"
#include "skin/archive/skin_archive.h"
#include "skin/model/skin_model.h"
#include "skin/internal/internal_skin.h"

#include <QGuiApplication>
#include <QImage>

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

using bench_support::Timing;
using bench_support::timeInterleaved;

qint32 int32At(const QByteArray& data, qsizetype at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(data[at + i]);
    return qint32(v);
}

// The limit: walk the entries and inflate each stream with zlib into a buffer of its stated size.
std::size_t plainZlibUnpack(const QByteArray& archive)
{
    std::size_t total = 0;
    qsizetype pos = 8;
    const qint32 count = int32At(archive, 4);
    for (qint32 i = 0; i < count; ++i) {
        const qint32 nameLength = int32At(archive, pos);
        pos += 4 + nameLength;
        const qint32 size = int32At(archive, pos);
        pos += 4;
        std::unique_ptr<char[]> out(new char[std::size_t(size)]);  // uninitialised, as a decoder would
        z_stream zs{};
        inflateInit(&zs);
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(archive.constData() + pos));
        zs.avail_in = uInt(archive.size() - pos);
        zs.next_out = reinterpret_cast<Bytef*>(out.get());
        zs.avail_out = uInt(size);
        while (inflate(&zs, Z_FINISH) == Z_BUF_ERROR && zs.avail_out == 0) {
            // A stream longer than stated is not in this archive.
            break;
        }
        pos += qsizetype(zs.total_in);
        total += zs.total_out;
        inflateEnd(&zs);
    }
    return total;
}

skin::TkxSkinConvertor unpack(const QByteArray& archive)
{
    skin::TkxSkinConvertor convertor;
    convertor.PackedData = archive;
    skin::UnpackSkinArchive(convertor);
    convertor.PackedData.clear();
    return convertor;
}

// The images stay alive to the end, as a loaded skin keeps them.
void decodeImages(const skin::TkxSkinConvertor& convertor)
{
    std::vector<QImage> images;
    for (const skin::TkxFileItem& item : convertor.Files) {
        images.push_back(QImage::fromData(item.Stream));
        if (images.back().isNull())
            std::abort();
    }
}

void wholeLoad(const QByteArray& archive)
{
    const skin::TkxSkinConvertor convertor = unpack(archive);
    const skin::TkOptionsTable options = skin::TkOptionsTable::FromBytes(*convertor.Options);
    skin::TkSkinModel model;
    model.Load({&options, &convertor, {}});
    if (model.MasterBitmap.isNull())
        std::abort();
}

// Sections S0 .. S<n-1>, each the child of the next, each with a border.
skin::TkOptionsTable chainOptions(int sections)
{
    QString text = QStringLiteral("[GLOBALINFO]\r\nVERSION=10\r\n");
    for (int i = 0; i < sections; ++i)
        text += QStringLiteral("[S%1]\r\nPARENTCLASS=S%2\r\nBORDERSMASK=^0000^0000^0004^0004^0001^0001^0001^0001^1^0^1^0\r\n")
                    .arg(i)
                    .arg(i + 1);
    return skin::TkOptionsTable::FromText(text);
}

void loadOptions(const skin::TkOptionsTable& options)
{
    skin::TkSkinModel model;
    model.Load({&options, nullptr, {}});
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 200;
    const QByteArray archive = skin::InternalSkinArchive();
    if (plainZlibUnpack(archive) == 0)
        return 1;

    std::vector<Timing> t = timeInterleaved(rounds, {
        [&] { plainZlibUnpack(archive); },
        [&] { unpack(archive); },
        [&] { decodeImages(unpack(archive)); },
        [&] { wholeLoad(archive); },
    });
    std::printf("internal skin archive: %lld bytes, %d rounds, best (median) in microseconds\n",
                (long long)archive.size(), rounds);
    std::printf("unpack, plain zlib          %8.1f (%8.1f)\n", t[0].best, t[0].median());
    std::printf("unpack, UnpackSkinArchive   %8.1f (%8.1f)   speed %.2fx of plain zlib (target >= 0.9x)\n",
                t[1].best, t[1].median(), t[0].best / t[1].best);
    std::printf("unpack + image decoding     %8.1f (%8.1f)\n", t[2].best, t[2].median());
    std::printf("whole load (model)          %8.1f (%8.1f)   %.2fx of unpack + decoding (target <= 1.5x)\n",
                t[3].best, t[3].median(), t[3].best / t[2].best);

    const skin::TkOptionsTable shortChain = chainOptions(1500), longChain = chainOptions(6000);
    std::vector<Timing> c = timeInterleaved(std::max(3, rounds / 20), {
        [&] { loadOptions(shortChain); },
        [&] { loadOptions(longChain); },
    });
    std::printf("chain of 1,500 sections     %8.1f (%8.1f)   %.1f per section\n", c[0].best, c[0].median(),
                c[0].best / 1500);
    std::printf("chain of 6,000 sections     %8.1f (%8.1f)   %.1f per section, %.2fx the shorter chain's"
                " (linear: about 1x)\n",
                c[1].best, c[1].median(), c[1].best / 6000, (c[1].best / 6000) / (c[0].best / 1500));
    return 0;
}
