#include "skin/model/section_reader.h"

#include <QVarLengthArray>

#include <algorithm>

namespace skin {
namespace {

const QString kParentClass = QStringLiteral("PARENTCLASS");
// Skins nest a few levels; a longer chain is hostile input and would make
// every key read walk it.
constexpr int kMaxChainDepth = 32;

// Calls visit(section) for the section and its parents until visit returns true.
template <typename Visit>
void walkChain(const TkOptionsTable& table, const QString& start, Visit visit)
{
    QVarLengthArray<int, 16> seen;
    QString current = start;
    for (int index = table.IndexOfSection(current);
         index >= 0 && !seen.contains(index) && seen.size() < kMaxChainDepth;
         index = table.IndexOfSection(current)) {
        if (visit(current))
            return;
        seen.append(index);
        current = table.ReadString(current, kParentClass, QString());
    }
}

} // namespace

int TkSectionReader::readChainInt(const QString& Section, const QString& Key) const
{
    int value = -1;
    walkChain(fTable, Section, [&](const QString& section) {
        value = fTable.ReadInteger(section, Key, -1);
        return value >= 0;
    });
    return value;
}

std::optional<QString> TkSectionReader::readChainText(const QString& Section, const QString& Key) const
{
    std::optional<QString> value;
    walkChain(fTable, Section, [&](const QString& section) {
        value = fTable.Value(section, Key);
        return value.has_value();
    });
    return value;
}

int TkSectionReader::ReadInt(const QString& Section, const QString& Key, int Default, int Limit) const
{
    int value = readChainInt(Section, Key);
    if (value < 0)
        value = Default;
    return std::min(value, Limit);
}

int TkSectionReader::ReadIntNoDefault(const QString& Section, const QString& Key, int Limit) const
{
    return std::min(readChainInt(Section, Key), Limit);
}

bool TkSectionReader::ReadBool(const QString& Section, const QString& Key, bool Default) const
{
    const auto value = readChainText(Section, Key);
    if (!value)
        return Default;
    return *value == u"TRUE" || *value == u"1";
}

QString TkSectionReader::ReadText(const QString& Section, const QString& Key, const QString& Default) const
{
    return readChainText(Section, Key).value_or(Default);
}

} // namespace skin
