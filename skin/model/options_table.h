#pragma once
// The options file of a skin as a table of sections and keys.
//
// Syntax: lines end in CR LF (a lone CR or LF also ends a line); each line is
// stripped at both ends of characters up to code 32; empty lines and lines
// starting with ";" are skipped; "[name]" opens a section; inside a section
// "key=value" is a key (first "=" splits), other lines are ignored, as are
// lines before the first section. Names are case-sensitive and sections keep
// the file's order. The bytes are UTF-8 or UTF-16 when a byte-order mark says
// so, otherwise the system's 8-bit code page (UTF-8 on this platform).

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace skin {

struct TkOptionsKey {
    QString Name;
    QString Value;
};

struct TkOptionsSection {
    QString Name;
    std::vector<TkOptionsKey> Keys;  // file order
    QHash<QString, int> KeyIndex;    // first key of each name
};

class TkOptionsTable {
public:
    static TkOptionsTable FromBytes(QByteArrayView Bytes);
    static TkOptionsTable FromText(QStringView Text);
    static TkOptionsTable FromLines(const QStringList& Lines);

    int SectionCount() const { return int(fSections.size()); }
    const TkOptionsSection& Section(int Index) const { return fSections[std::size_t(Index)]; }
    const std::vector<TkOptionsSection>& Sections() const { return fSections; }

    // Index of the first section of that name, -1 when none.
    int IndexOfSection(const QString& Name) const;
    bool SectionExists(const QString& Name) const { return IndexOfSection(Name) >= 0; }

    // The value of a key (first of its name in the first section of that name).
    std::optional<QString> Value(const QString& Section, const QString& Key) const;
    QString ReadString(const QString& Section, const QString& Key, const QString& Default) const;
    // Default when the key is absent or not a number.
    int ReadInteger(const QString& Section, const QString& Key, int Default) const;
    qint64 ReadInt64(const QString& Section, const QString& Key, qint64 Default) const;

    // Appends sections of Other; keys of a section already here are added when absent.
    void Merge(const TkOptionsTable& Other);

private:
    void addLine(QStringView line, int& current);

    std::vector<TkOptionsSection> fSections;
    QHash<QString, int> fSectionIndex;
};

// Decimal (optional sign) or "$"/"0x" hexadecimal text as a number.
std::optional<qint64> ParseInteger(QStringView Text);
std::optional<int> ParseInt32(QStringView Text);

// Strips characters up to code 32 at both ends.
QStringView StripControls(QStringView Text);

} // namespace skin
