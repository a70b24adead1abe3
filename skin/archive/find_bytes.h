#pragma once
// Byte-pattern search used to find the preview trailer of a packed skin.

#include <QByteArrayView>

namespace skin {

// First 1-based position of Pattern in Text at or after the 1-based Offset,
// 0 when absent (Boyer-Moore-Horspool). An empty pattern is never found.
int FindBytes(int Offset, QByteArrayView Pattern, QByteArrayView Text);

} // namespace skin
