#include "skin/model/section_reader.h"

#include <algorithm>

namespace skin {
namespace {

const QString kParentClass = QStringLiteral("PARENTCLASS");
// Real skins nest a few levels; deeper parents are not looked at.
constexpr int kMaxChainDepth = 32;
constexpr int kUnknown = -2;
constexpr int kNowhere = -1;

} // namespace

TkSectionReader::TkSectionReader(const TkOptionsTable& Table)
    : fTable(Table), fParent(std::size_t(Table.SectionCount()), -1), fOnWalk(fParent.size(), 0)
{
    for (int i = 0; i < Table.SectionCount(); ++i) {
        if (const QString* parent = ownValue(i, kParentClass); parent && !parent->isEmpty())
            fParent[std::size_t(i)] = Table.IndexOfSection(*parent);
    }
}

const QString* TkSectionReader::ownValue(int section, const QString& key) const
{
    const TkOptionsSection& s = fTable.Section(section);
    const auto it = s.KeyIndex.constFind(key);
    return it == s.KeyIndex.constEnd() ? nullptr : &s.Keys[std::size_t(*it)].Value;
}

bool TkSectionReader::holds(int section, const QString& key, Kind kind) const
{
    const QString* value = ownValue(section, key);
    if (!value)
        return false;
    return kind == Kind::Text || ParseInt32(*value).value_or(-1) >= 0;
}

// Walks up from Start until a section with an answer: one that holds the key,
// one worked out before, the end of the chain or a loop. Every section passed
// on the way gets the same answer, one step further away. A loop's sections
// all answer "nowhere": a walk from any of them covers the whole loop.
int TkSectionReader::sourceOf(int start, const QString& key, Kind kind) const
{
    if (start < 0)
        return -1;
    std::vector<Source>& known = (kind == Kind::Number ? fNumbers : fTexts)[key];
    if (known.empty())
        known.assign(fParent.size(), Source{kUnknown, 0});
    std::vector<int> walked;
    Source found{kNowhere, 0};
    for (int s = start; s >= 0; s = fParent[std::size_t(s)]) {
        const Source& k = known[std::size_t(s)];
        if (k.section != kUnknown) {
            found = k;
            break;
        }
        if (fOnWalk[std::size_t(s)])
            break;
        if (holds(s, key, kind)) {
            found = known[std::size_t(s)] = Source{s, 0};
            break;
        }
        fOnWalk[std::size_t(s)] = 1;
        walked.push_back(s);
    }
    for (std::size_t i = walked.size(); i-- > 0;) {
        const int steps = int(walked.size() - i);
        fOnWalk[std::size_t(walked[i])] = 0;
        known[std::size_t(walked[i])] =
            found.section >= 0 ? Source{found.section, found.distance + steps} : Source{kNowhere, 0};
    }
    const Source& answer = known[std::size_t(start)];
    return answer.section >= 0 && answer.distance < kMaxChainDepth ? answer.section : -1;
}

int TkSectionReader::readChainInt(const QString& Section, const QString& Key) const
{
    const int source = sourceOf(fTable.IndexOfSection(Section), Key, Kind::Number);
    return source < 0 ? -1 : ParseInt32(*ownValue(source, Key)).value_or(-1);
}

std::optional<QString> TkSectionReader::readChainText(const QString& Section, const QString& Key) const
{
    const int source = sourceOf(fTable.IndexOfSection(Section), Key, Kind::Text);
    if (source < 0)
        return std::nullopt;
    return *ownValue(source, Key);
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
