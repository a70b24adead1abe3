#pragma once
// Reads keys of element sections, following "PARENTCLASS" while a key is
// absent (or, for numbers, negative). A walk ends at a section that names
// itself, at a name that is no section, at any section already visited, and
// after 32 sections.
//
// Where a key comes from is worked out once per section and key and shared
// along the chain, so reading every section of a file with long chains costs
// time linear in the file.

#include "skin/model/options_table.h"

#include <QHash>

#include <climits>
#include <vector>

namespace skin {

class TkSectionReader {
public:
    explicit TkSectionReader(const TkOptionsTable& Table);

    // The key's number (-1 when absent or not a number); negative values are
    // looked up in the parents, then Default; the result is at most Limit.
    int ReadInt(const QString& Section, const QString& Key, int Default, int Limit = INT_MAX) const;
    // As ReadInt, but keeps -1 when no section of the chain has a value.
    int ReadIntNoDefault(const QString& Section, const QString& Key, int Limit = INT_MAX) const;
    // True when the first value on the chain is exactly "TRUE" or "1".
    bool ReadBool(const QString& Section, const QString& Key, bool Default) const;
    QString ReadText(const QString& Section, const QString& Key, const QString& Default) const;

private:
    enum class Kind { Number, Text };
    // The section a key's value comes from, and how many parent steps away.
    struct Source {
        int section;
        int distance;
    };

    int readChainInt(const QString& Section, const QString& Key) const;
    std::optional<QString> readChainText(const QString& Section, const QString& Key) const;
    const QString* ownValue(int section, const QString& key) const;
    bool holds(int section, const QString& key, Kind kind) const;
    // Index of the section on the chain from Start that gives the key, -1 when none does.
    int sourceOf(int start, const QString& key, Kind kind) const;

    const TkOptionsTable& fTable;
    std::vector<int> fParent;  // the section PARENTCLASS names, -1 when none
    mutable QHash<QString, std::vector<Source>> fNumbers;
    mutable QHash<QString, std::vector<Source>> fTexts;
    mutable std::vector<char> fOnWalk;
};

} // namespace skin
