// LoadAllMasks: the master bitmap and every image value of every section.
#include "skin/model/skin_model.h"

#include "skin/model/image_files.h"
#include "skin/model/image_values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace skin {

namespace {

const QString kGlobalInfo = QStringLiteral("GLOBALINFO");
const QString kMasterBitmap = QStringLiteral("MASTERBITMAP");

QString scaleSuffix(int scale)
{
    switch (scale) {
    case 1: return QStringLiteral("*125");
    case 2: return QStringLiteral("*150");
    case 3: return QStringLiteral("*200");
    default: return QString();
    }
}

std::optional<QString> sectionValue(const TkOptionsSection& section, const QString& key)
{
    const auto it = section.KeyIndex.constFind(key);
    if (it == section.KeyIndex.constEnd())
        return std::nullopt;
    return section.Keys[std::size_t(*it)].Value;
}

// Reads a file of a folder skin; on a case-sensitive file system a name the
// options write in upper case is matched against the folder's files.
QByteArray readFolderFile(const QString& folder, const QString& name)
{
    QString path = QDir::isAbsolutePath(name) ? name : folder + name;
    if (!QFileInfo(path).isFile()) {
        const QFileInfo info(path);
        const QStringList entries = info.dir().entryList(QDir::Files);
        path.clear();
        for (const QString& entry : entries) {
            if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0) {
                path = info.dir().filePath(entry);
                break;
            }
        }
        if (path.isEmpty())
            return {};
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int cornerType(const QImage& source, const QRect& r, int width, int height)
{
    if (source.isNull() || width <= 0 || height <= 0)
        return 0;
    const QPoint corners[] = {r.topLeft(), {r.left() + width - 1, r.top()},
                              {r.left(), r.top() + height - 1}, {r.left() + width - 1, r.top() + height - 1}};
    for (const QPoint& p : corners) {
        if (source.valid(p) && qAlpha(source.pixel(p)) == 0)
            return 1;
    }
    return 0;
}

} // namespace

class TkMaskLoader {
public:
    explicit TkMaskLoader(TkSkinModel& model) : m(model), fOptions(model.Options()) {}

    void run()
    {
        m.ma.clear();
        m.invalidateLookups();
        m.ExtArray.clear();
        m.MasterBitmap = QImage();
        loadMaster();
        const auto& sections = fOptions.Sections();
        for (std::size_t s = 0; s < sections.size(); ++s) {
            for (const TkOptionsKey& key : sections[s].Keys) {
                if (key.Name != kMasterBitmap)
                    loadValue(int(s), sections[s], key);
            }
        }
    }

private:
    void loadMaster()
    {
        const QString name = fOptions.ReadString(kGlobalInfo, kMasterBitmap, QString());
        if (name.isEmpty())
            return;
        QByteArray data;
        if (m.fSource.Convertor) {
            if (const TkxFileItem* item = m.fSource.Convertor->FindFile(name))
                data = item->Stream;
        } else {
            data = readFolderFile(m.fSource.SkinPath, name);
        }
        QImage image;
        if (!data.isEmpty())
            image.loadFromData(data);
        m.MasterBitmap = To32BitKeyed(std::move(image));
    }

    void loadValue(int skinIndex, const TkOptionsSection& section, const TkOptionsKey& key)
    {
        const QString value = key.Value.toUpper();
        if (value.isEmpty())
            return;
        switch (value[0].unicode()) {
        case u'!':
            if (!key.Name.contains(u'*'))
                addExternal(skinIndex, section, key.Name, value);
            break;
        case u'@':
            addGlyph(skinIndex, section.Name, key.Name, value);
            break;
        case u'^':
            if (!key.Name.contains(u'*'))
                addBorder(skinIndex, section, key.Name, value);
            break;
        case u'~':
            addTexture(skinIndex, section.Name, key.Name, value);
            break;
        default:
            if (value.contains(u".JPG") || value.contains(u".BMP"))
                addFileTexture(skinIndex, section.Name, key.Name, value);
            break;
        }
    }

    // A scaled value replaces the plain one when the section has it.
    QString scaledValue(const TkOptionsSection& section, const QString& key, const QString& value,
                        QString* usedSuffix = nullptr) const
    {
        const QString suffix = scaleSuffix(m.Scale);
        if (suffix.isEmpty())
            return value;
        const auto scaled = sectionValue(section, key + suffix);
        if (!scaled)
            return value;
        if (usedSuffix)
            *usedSuffix = suffix;
        return scaled->toUpper();
    }

    void addGlyph(int skinIndex, const QString& sectionName, const QString& key, const QString& value)
    {
        const TkGlyphValue glyph = ParseGlyphValue(value);
        m.MakeNewItem(skinIndex, key, sectionName, TkxImgType::itisaGlyph, glyph.R, glyph.ImageCount, 0,
                      glyph.MaskType);
    }

    void addBorder(int skinIndex, const TkOptionsSection& section, const QString& key, const QString& plain)
    {
        const TkBorderValue border = ParseBorderValue(scaledValue(section, key, plain));
        const int i = m.MakeNewItem(skinIndex, key, section.Name, TkxImgType::itisaBorder, border.R,
                                    border.ImageCount, border.DrawMode, border.MaskType);
        TkMaskData& item = m.ma[std::size_t(i)];
        item.BorderWidth = qint16(border.BorderWidth);
        setWidths(item, border.WL, border.WT, border.WR, border.WB);
        setCornerType(item);
    }

    void addExternal(int skinIndex, const TkOptionsSection& section, const QString& key, const QString& plain)
    {
        QString suffix;
        const TkExternalValue ext = ParseExternalValue(scaledValue(section, key, plain, &suffix));
        const QImage* image = loadFile(ext.FileName, ext.MaskType);
        if (!image)
            return;
        const int i = m.MakeNewItem(skinIndex, key + suffix, section.Name, TkxImgType(ext.ImgType),
                                    image->rect(), ext.ImageCount, ext.DrawMode, ext.MaskType);
        TkMaskData& item = m.ma[std::size_t(i)];
        item.Bmp = *image;
        if (ext.HasWidths)
            item.WL = qint16(ext.WL), item.WT = qint16(ext.WT), item.WR = qint16(ext.WR), item.WB = qint16(ext.WB);
        else
            widthsFromRect(item);
        if (item.ImgType == TkxImgType::itisaBorder)
            setCornerType(item);
    }

    void addTexture(int skinIndex, const QString& sectionName, const QString& key, const QString& value)
    {
        const TkTextureValue texture = ParseTextureValue(value);
        QImage bmp;
        if (!texture.FileName.isEmpty()) {
            const QImage* image = loadFile(texture.FileName, texture.MaskType);
            if (!image)
                return;
            bmp = *image;
        }
        const int i = m.MakeNewItem(skinIndex, key, sectionName, TkxImgType::itisaTexture, texture.R, 1,
                                    texture.DrawMode, texture.MaskType);
        m.ma[std::size_t(i)].Bmp = bmp;
    }

    void addFileTexture(int skinIndex, const QString& sectionName, const QString& key, const QString& value)
    {
        const QImage* image = loadFile(value, 0);
        if (!image)
            return;
        const int i = m.MakeNewItem(skinIndex, key, sectionName, TkxImgType::itisaTexture, image->rect(), 1, 0, 0);
        m.ma[std::size_t(i)].Bmp = *image;
    }

    // Widths of a border; all zero means: BorderWidth, else a third of one image.
    void setWidths(TkMaskData& item, int wl, int wt, int wr, int wb)
    {
        item.WL = qint16(wl), item.WT = qint16(wt), item.WR = qint16(wr), item.WB = qint16(wb);
        if (wl + wt + wr + wb != 0)
            return;
        if (item.BorderWidth != 0)
            item.WL = item.WT = item.WR = item.WB = item.BorderWidth;
        else
            widthsFromRect(item);
    }

    static void widthsFromRect(TkMaskData& item)
    {
        const int across = 3 * item.ImageCount;
        const int down = 3 * item.MaskType + 3;
        item.WL = item.WR = qint16(across > 0 ? item.R.width() / across : 0);
        item.WT = item.WB = qint16(down > 0 ? item.R.height() / down : 0);
    }

    void setCornerType(TkMaskData& item)
    {
        const int count = std::max<int>(item.ImageCount, 1);
        const int rows = item.MaskType <= 0 ? 1 : item.MaskType + 1;
        const QImage& source = item.Bmp.isNull() ? m.MasterBitmap : item.Bmp;
        item.CornerType = cornerType(source, item.R, item.R.width() / count, item.R.height() / rows);
    }

    // Each file is loaded once; nullptr when missing, empty or undecodable.
    const QImage* loadFile(const QString& name, int maskType)
    {
        const QString upper = name.toUpper();
        for (const TkxExtFileData& ext : m.ExtArray) {
            if (ext.FileName == upper)
                return &ext.Bmp;
        }
        QByteArray data;
        if (m.fSource.Convertor) {
            if (const TkxFileItem* item = m.fSource.Convertor->FindFile(upper))
                data = item->Stream;
        } else {
            data = readFolderFile(m.fSource.SkinPath, upper);
        }
        const TkDecodeRules rules{m.CommonSkinData.Version, m.Brightness, m.DesktopComposition};
        QImage image = DecodeSkinImage(data, upper, rules);
        if (image.isNull())
            return nullptr;
        m.ExtArray.push_back({std::move(image), upper, maskType});
        return &m.ExtArray.back().Bmp;
    }

    TkSkinModel& m;
    const TkOptionsTable& fOptions;
};

void TkSkinModel::LoadAllMasks() { TkMaskLoader(*this).run(); }

} // namespace skin
