// Any bytes as an options file, loaded into the model with two small images.
#include "runtime/error.h"
#include "skin/model/element_image.h"
#include "skin/model/skin_model.h"

#include <QBuffer>
#include <QImage>

#include <cstddef>
#include <cstdint>

namespace {

QByteArray encoded(const char* format, bool alpha)
{
    QImage image(12, 8, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(alpha ? qRgba(10, 200, 30, 90) : qRgb(255, 0, 255));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return data;
}

const skin::TkxSkinConvertor& files()
{
    static const skin::TkxSkinConvertor convertor = [] {
        skin::TkxSkinConvertor c;
        c.Files.push_back({"MASTER COPY.BMP", skin::TkxFileType::ftBmp, encoded("BMP", false)});
        c.Files.push_back({"GLOW.PNG", skin::TkxFileType::ftOther, encoded("PNG", true)});
        c.Files.push_back({"F.TTF", skin::TkxFileType::ftFont, QByteArray("not a font")});
        c.FileCount = int(c.Files.size());
        return c;
    }();
    return convertor;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const skin::TkOptionsTable table = skin::TkOptionsTable::FromBytes(bytes);
    skin::TkSkinModel model;
    model.Scale = int(size % 4);
    try {
        model.Load({&table, &files(), {}});
    } catch (const runtime::ConvertError&) {
        return 0;
    }
    // Every index the model hands out must be usable.
    for (int i = 0; i < int(model.ma.size()); ++i)
        skin::ElementImage(model, i, i % 3);
    for (int i = 0; i < int(model.gd.size()); ++i)
        skin::SectionBorderImage(model, i, 2);
    return 0;
}
