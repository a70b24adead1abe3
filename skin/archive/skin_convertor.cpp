#include "skin/archive/skin_convertor.h"

#include <algorithm>

namespace skin {

TkxFileType FileTypeFromName(const QString& Name)
{
    const qsizetype dot = Name.lastIndexOf(u'.');
    if (dot < 0)
        return TkxFileType::ftOther;
    const QString ext = Name.mid(dot).toUpper();
    if (ext == u".BMP")
        return TkxFileType::ftBmp;
    if (ext == u".TTF" || ext == u".OTF")
        return TkxFileType::ftFont;
    return TkxFileType::ftOther;
}

void TkxSkinConvertor::Clear()
{
    while (!Files.empty())
        Files.pop_back();
    Options.reset();
    PackedData.clear();
    FileCount = 0;
}

const TkxFileItem* TkxSkinConvertor::FindFile(const QString& Name) const
{
    const std::size_t count = std::min<std::size_t>(std::max(FileCount, 0), Files.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (Files[i].Name.toUpper() == Name)
            return &Files[i];
    }
    return nullptr;
}

} // namespace skin
