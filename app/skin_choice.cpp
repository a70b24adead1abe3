#include "app/skin_choice.h"

#include "skin/manager/skin_paths.h"

#include <QFileInfo>

namespace app {

QString Requested_Skin(const QStringList& arguments, const QString& environment)
{
    const QString option = QStringLiteral("--skin");
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == option && i + 1 < arguments.size())
            return arguments[i + 1];
        if (argument.startsWith(option + u'='))
            return argument.mid(option.size() + 1);
    }
    return environment;
}

Skin_Choice Resolve_Skin(const QString& requested, const QString& programDir)
{
    const QFileInfo file(requested);
    if (requested.endsWith(QStringLiteral(".skz"), Qt::CaseInsensitive) && file.isFile())
        return {file.absolutePath(), file.completeBaseName()};
    const QString folders[] = {QStringLiteral("Skins"), QStringLiteral("../share/fluxmira/Skins")};
    for (const QString& folder : folders) {
        const QString dir = skin::FullSkinDirectory(folder, programDir);
        if (QFileInfo(dir + requested + QStringLiteral(".skz")).isFile()
            || QFileInfo(dir + requested + QStringLiteral("/Options.dat")).isFile())
            return {folder, requested};
    }
    return {folders[0], requested};
}

} // namespace app
