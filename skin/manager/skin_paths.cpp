#include "skin/manager/skin_paths.h"

#include <algorithm>

namespace skin {
namespace {

QString withSlash(QString path)
{
    if (!path.endsWith(u'/') && !path.endsWith(u'\\'))
        path += u'/';
    return path;
}

QString relative(QString rest) { return rest.replace(u'\\', u'/'); }

} // namespace

QString FullSkinDirectory(const QString& dir, const QString& programDir)
{
    const QString program = withSlash(programDir);
    if (dir.startsWith(QStringLiteral(".."))) {
        QString parent = program.chopped(1);
        parent = parent.left(parent.lastIndexOf(u'/') + 1);
        QString rest = relative(dir.mid(2));
        if (rest.startsWith(u'/'))
            rest.remove(0, 1);
        return withSlash(parent + rest);
    }
    if (dir.startsWith(QStringLiteral("./")) || dir.startsWith(QStringLiteral(".\\")))
        return withSlash(program + relative(dir.mid(2)));
    if (dir == QStringLiteral("."))
        return program;
    if (dir.startsWith(u'/') || dir.contains(u':') || dir.contains(QStringLiteral("\\\\")))
        return withSlash(dir);
    return withSlash(program + relative(dir));
}

int SysFontScaleFromDpi(int dpi)
{
    if (dpi >= 192)
        return 3;
    if (dpi >= 144)
        return 2;
    if (dpi >= 120)
        return 1;
    return 0;
}

int ScaleIntBy(int value, int sysScale, int scale, TkScaleMode mode)
{
    if (mode == TkScaleMode::smOldMode)
        return value;
    if (sysScale == 0) {
        switch (scale) {
        case 1: return value + value / 4;
        case 2: return value + value / 2;
        case 3: return 2 * value;
        default: return value;
        }
    }
    if (sysScale < scale) {
        static const int percent[] = {100, 125, 150, 200};
        return value * percent[std::min(sysScale, 3)] / 100;
    }
    return value;
}

} // namespace skin
