#include "skin/model/options_table.h"

#include <QStringDecoder>

#include <climits>

namespace skin {
namespace {

QString decode(QByteArrayView bytes)
{
    const auto starts = [&](std::initializer_list<unsigned char> bom) {
        if (bytes.size() < qsizetype(bom.size()))
            return false;
        qsizetype i = 0;
        for (unsigned char b : bom)
            if (static_cast<unsigned char>(bytes[i++]) != b)
                return false;
        return true;
    };
    if (starts({0xEF, 0xBB, 0xBF}))
        return QString::fromUtf8(bytes.sliced(3));
    if (starts({0xFF, 0xFE}))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.sliced(2));
    if (starts({0xFE, 0xFF}))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.sliced(2));
    return QString::fromLocal8Bit(bytes);
}

} // namespace

QStringView StripControls(QStringView Text)
{
    qsizetype begin = 0;
    qsizetype end = Text.size();
    while (begin < end && Text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && Text[end - 1].unicode() <= 32)
        --end;
    return Text.sliced(begin, end - begin);
}

std::optional<qint64> ParseInteger(QStringView Text)
{
    if (Text.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (Text[0] == u'-' || Text[0] == u'+') {
        negative = Text[0] == u'-';
        ++i;
    }
    int base = 10;
    if (Text.sliced(i).startsWith(u'$')) {
        base = 16;
        i += 1;
    } else if (Text.sliced(i).startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        i += 2;
    }
    if (i >= Text.size())
        return std::nullopt;
    quint64 value = 0;
    for (; i < Text.size(); ++i) {
        const char16_t c = Text[i].unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * base + quint64(digit);
        if (value > quint64(LLONG_MAX))
            return std::nullopt;
    }
    return negative ? -qint64(value) : qint64(value);
}

std::optional<int> ParseInt32(QStringView Text)
{
    const auto value = ParseInteger(Text);
    if (!value || *value < INT_MIN || *value > INT_MAX)
        return std::nullopt;
    return int(*value);
}

TkOptionsTable TkOptionsTable::FromBytes(QByteArrayView Bytes) { return FromText(decode(Bytes)); }

TkOptionsTable TkOptionsTable::FromText(QStringView Text)
{
    TkOptionsTable table;
    int current = -1;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= Text.size(); ++i) {
        if (i == Text.size() || Text[i] == u'\r' || Text[i] == u'\n') {
            table.addLine(Text.sliced(start, i - start), current);
            start = i + 1;
        }
    }
    return table;
}

TkOptionsTable TkOptionsTable::FromLines(const QStringList& Lines)
{
    TkOptionsTable table;
    int current = -1;
    for (const QString& line : Lines)
        table.addLine(line, current);
    return table;
}

void TkOptionsTable::addLine(QStringView line, int& current)
{
    line = StripControls(line);
    if (line.isEmpty() || line.startsWith(u';'))
        return;
    if (line.startsWith(u'[') && line.endsWith(u']') && line.size() >= 2) {
        const QString name = StripControls(line.sliced(1, line.size() - 2)).toString();
        fSections.push_back({name, {}, {}});
        current = int(fSections.size() - 1);
        if (!fSectionIndex.contains(name))
            fSectionIndex.insert(name, current);
        return;
    }
    if (current < 0)
        return;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return;
    TkOptionsSection& section = fSections[std::size_t(current)];
    TkOptionsKey key{StripControls(line.first(eq)).toString(), StripControls(line.sliced(eq + 1)).toString()};
    if (!section.KeyIndex.contains(key.Name))
        section.KeyIndex.insert(key.Name, int(section.Keys.size()));
    section.Keys.push_back(std::move(key));
}

int TkOptionsTable::IndexOfSection(const QString& Name) const { return fSectionIndex.value(Name, -1); }

std::optional<QString> TkOptionsTable::Value(const QString& Section, const QString& Key) const
{
    const int s = IndexOfSection(Section);
    if (s < 0)
        return std::nullopt;
    const TkOptionsSection& section = fSections[std::size_t(s)];
    const auto it = section.KeyIndex.constFind(Key);
    if (it == section.KeyIndex.constEnd())
        return std::nullopt;
    return section.Keys[std::size_t(*it)].Value;
}

QString TkOptionsTable::ReadString(const QString& Section, const QString& Key, const QString& Default) const
{
    return Value(Section, Key).value_or(Default);
}

int TkOptionsTable::ReadInteger(const QString& Section, const QString& Key, int Default) const
{
    const auto text = Value(Section, Key);
    if (!text)
        return Default;
    return ParseInt32(*text).value_or(Default);
}

qint64 TkOptionsTable::ReadInt64(const QString& Section, const QString& Key, qint64 Default) const
{
    const auto text = Value(Section, Key);
    if (!text)
        return Default;
    return ParseInteger(*text).value_or(Default);
}

void TkOptionsTable::Merge(const TkOptionsTable& Other)
{
    for (const TkOptionsSection& incoming : Other.fSections) {
        const int s = IndexOfSection(incoming.Name);
        if (s < 0) {
            fSections.push_back(incoming);
            fSectionIndex.insert(incoming.Name, int(fSections.size() - 1));
            continue;
        }
        TkOptionsSection& section = fSections[std::size_t(s)];
        for (const TkOptionsKey& key : incoming.Keys) {
            if (section.KeyIndex.contains(key.Name))
                continue;
            section.KeyIndex.insert(key.Name, int(section.Keys.size()));
            section.Keys.push_back(key);
        }
    }
}

} // namespace skin
