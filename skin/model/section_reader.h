#pragma once
// Reads keys of element sections, following "PARENTCLASS" while a key is
// absent (or, for numbers, negative). A walk ends at a section that names
// itself, at a name that is no section, at any section already visited, and
// after 32 sections.

#include "skin/model/options_table.h"

#include <climits>

namespace skin {

class TkSectionReader {
public:
    explicit TkSectionReader(const TkOptionsTable& Table) : fTable(Table) {}

    // The key's number (-1 when absent or not a number); negative values are
    // looked up in the parents, then Default; the result is at most Limit.
    int ReadInt(const QString& Section, const QString& Key, int Default, int Limit = INT_MAX) const;
    // As ReadInt, but keeps -1 when no section of the chain has a value.
    int ReadIntNoDefault(const QString& Section, const QString& Key, int Limit = INT_MAX) const;
    // True when the first value on the chain is exactly "TRUE" or "1".
    bool ReadBool(const QString& Section, const QString& Key, bool Default) const;
    QString ReadText(const QString& Section, const QString& Key, const QString& Default) const;

private:
    int readChainInt(const QString& Section, const QString& Key) const;
    std::optional<QString> readChainText(const QString& Section, const QString& Key) const;

    const TkOptionsTable& fTable;
};

} // namespace skin
