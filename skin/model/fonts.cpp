// LoadFonts: font files of the skin registered as application fonts.
#include "skin/model/skin_model.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>

namespace skin {
namespace {

const QString kGlobalInfo = QStringLiteral("GLOBALINFO");

int registerFont(const QByteArray& data)
{
    if (data.isEmpty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return -1;
    return QFontDatabase::addApplicationFontFromData(data);
}

} // namespace

void TkSkinModel::freeFonts()
{
    for (const TkEmbeddedFont& font : EmbeddedFonts) {
        if (font.FontId >= 0 && QCoreApplication::instance())
            QFontDatabase::removeApplicationFont(font.FontId);
    }
    EmbeddedFonts.clear();
}

void TkSkinModel::LoadFonts()
{
    freeFonts();
    const TkOptionsTable& options = Options();
    // FontCount comes from the file: never walk further than the keys there are.
    const int sectionIndex = options.IndexOfSection(kGlobalInfo);
    const int keyCount = sectionIndex >= 0 ? int(options.Section(sectionIndex).Keys.size()) : 0;
    const int count = std::clamp(options.ReadInteger(kGlobalInfo, QStringLiteral("FontCount"), 0), 0, keyCount);
    const auto fontFile = [&](int i) {
        return options.ReadString(kGlobalInfo, QStringLiteral("FontFile") + QString::number(i), QString());
    };
    const auto fontName = [&](int i) {
        return options.ReadString(kGlobalInfo, QStringLiteral("FontName") + QString::number(i), QString());
    };

    if (fSource.Convertor) {
        for (const TkxFileItem& item : fSource.Convertor->Files) {
            if (item.FileType != TkxFileType::ftFont)
                continue;
            QString name;
            for (int i = 0; i < count; ++i) {
                if (fontFile(i) == item.Name) {
                    name = fontName(i);
                    break;
                }
            }
            EmbeddedFonts.push_back({item.Name, name, registerFont(item.Stream)});
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        const QString file = fontFile(i);
        QFile f(fSource.SkinPath + file);
        if (file.isEmpty() || !f.open(QIODevice::ReadOnly))
            continue;
        EmbeddedFonts.push_back({file, fontName(i), registerFont(f.readAll())});
    }
}

} // namespace skin
