#pragma once
// Packs the generated files into a "SKzf" archive with a preview trailer.

#include <QByteArray>

#include <vector>

namespace skin_gen {

struct PackedFile {
    QByteArray name;  // as stored, e.g. "OPTIONS.DAT"
    QByteArray data;
};

// Entries in the given order, each one zlib stream at the best compression.
QByteArray PackSkz(const std::vector<PackedFile>& files, const QByteArray& previewPng);

} // namespace skin_gen
