#include "tools/skin_gen/ttf_writer.h"

#include <QRect>

#include <algorithm>
#include <map>

namespace skin_gen {
namespace {

// Big-endian output, as every sfnt table is written.
class Bytes {
public:
    void u8(int v) { fData.append(char(v & 0xFF)); }
    void u16(int v)
    {
        u8(v >> 8);
        u8(v);
    }
    void u32(quint32 v)
    {
        u16(int(v >> 16));
        u16(int(v & 0xFFFF));
    }
    void tag(const char* t) { fData.append(t, 4); }
    void raw(const QByteArray& b) { fData.append(b); }
    void zeros(int n) { fData.append(QByteArray(n, '\0')); }
    void pad4()
    {
        while (fData.size() % 4)
            u8(0);
    }
    int size() const { return int(fData.size()); }
    const QByteArray& data() const { return fData; }

private:
    QByteArray fData;
};

quint32 checksum(const QByteArray& table)
{
    QByteArray padded = table;
    while (padded.size() % 4)
        padded.append('\0');
    quint32 sum = 0;
    for (qsizetype i = 0; i < padded.size(); i += 4) {
        const auto b = [&](qsizetype k) { return quint32(static_cast<unsigned char>(padded[i + k])); };
        sum += (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
    }
    return sum;
}

// The largest power of two not above n, and its exponent.
std::pair<int, int> binarySearchTerms(int n)
{
    int power = 1, exponent = 0;
    while (power * 2 <= n) {
        power *= 2;
        ++exponent;
    }
    return {power, exponent};
}

QRect bounds(const TtfGlyph& g)
{
    QRect r;
    for (const auto& contour : g.Contours)
        for (const QPoint& p : contour)
            r = r.isNull() ? QRect(p, QSize(1, 1)) : r.united(QRect(p, QSize(1, 1)));
    return r;
}

struct Glyf {
    QByteArray glyf;
    std::vector<quint32> loca;
    int maxPoints = 0;
    int maxContours = 0;
    QRect all;
};

Glyf buildGlyf(const TtfFont& font)
{
    Glyf out;
    Bytes b;
    for (const TtfGlyph& g : font.Glyphs) {
        out.loca.push_back(quint32(b.size()));
        if (g.Contours.empty())
            continue;
        const QRect r = bounds(g);
        out.all = out.all.isNull() ? r : out.all.united(r);
        b.u16(int(g.Contours.size()));
        b.u16(r.left());
        b.u16(r.top());
        b.u16(r.right());
        b.u16(r.bottom());
        int points = 0;
        for (const auto& contour : g.Contours) {
            points += int(contour.size());
            b.u16(points - 1);
        }
        b.u16(0);  // no instructions
        for (int i = 0; i < points; ++i)
            b.u8(0x01);  // on curve; x and y as 16-bit deltas
        QPoint last;
        for (const auto& contour : g.Contours)
            for (const QPoint& p : contour) {
                b.u16(p.x() - last.x());
                last.setX(p.x());
            }
        last = {};
        for (const auto& contour : g.Contours)
            for (const QPoint& p : contour) {
                b.u16(p.y() - last.y());
                last.setY(p.y());
            }
        b.pad4();
        out.maxPoints = std::max(out.maxPoints, points);
        out.maxContours = std::max(out.maxContours, int(g.Contours.size()));
    }
    out.loca.push_back(quint32(b.size()));
    out.glyf = b.data();
    return out;
}

QByteArray head(const TtfFont& font, const QRect& all)
{
    Bytes b;
    b.u32(0x00010000);
    b.u32(0x00010000);
    b.u32(0);  // checkSumAdjustment, set once the whole font is known
    b.u32(0x5F0F3CF5);
    b.u16(0x000B);
    b.u16(font.UnitsPerEm);
    b.zeros(16);  // created, modified
    b.u16(all.left());
    b.u16(all.top());
    b.u16(all.right());
    b.u16(all.bottom());
    b.u16(0);  // macStyle
    b.u16(8);  // lowestRecPPEM
    b.u16(2);
    b.u16(1);  // long loca offsets
    b.u16(0);
    return b.data();
}

QByteArray hhea(const TtfFont& font, const QRect& all)
{
    int maxAdvance = 0;
    for (const TtfGlyph& g : font.Glyphs)
        maxAdvance = std::max(maxAdvance, g.Advance);
    Bytes b;
    b.u32(0x00010000);
    b.u16(font.Ascent);
    b.u16(-font.Descent);
    b.u16(0);
    b.u16(maxAdvance);
    b.u16(std::min(all.left(), 0));
    b.u16(0);
    b.u16(all.right());
    b.u16(1);  // caret slope rise
    b.u16(0);
    b.u16(0);
    b.zeros(8);
    b.u16(0);
    b.u16(int(font.Glyphs.size()));
    return b.data();
}

QByteArray maxp(const TtfFont& font, const Glyf& glyf)
{
    Bytes b;
    b.u32(0x00010000);
    b.u16(int(font.Glyphs.size()));
    b.u16(glyf.maxPoints);
    b.u16(glyf.maxContours);
    b.u16(0);
    b.u16(0);
    b.u16(2);  // maxZones
    b.zeros(18);
    return b.data();
}

QByteArray hmtx(const TtfFont& font)
{
    Bytes b;
    for (const TtfGlyph& g : font.Glyphs) {
        b.u16(g.Advance);
        b.u16(g.Contours.empty() ? 0 : bounds(g).left());
    }
    return b.data();
}

QByteArray loca(const Glyf& glyf)
{
    Bytes b;
    for (quint32 offset : glyf.loca)
        b.u32(offset);
    return b.data();
}

QByteArray cmap(const TtfFont& font)
{
    std::map<int, int> codes;  // code point -> glyph index
    for (std::size_t i = 0; i < font.Glyphs.size(); ++i) {
        const char32_t c = font.Glyphs[i].CodePoint;
        if (c > 0 && c < 0xFFFF)
            codes[int(c)] = int(i);
    }
    const int segments = int(codes.size()) + 1;
    const auto [power, exponent] = binarySearchTerms(segments);
    Bytes sub;
    const int length = 16 + 8 * segments;
    sub.u16(4);
    sub.u16(length);
    sub.u16(0);
    sub.u16(segments * 2);
    sub.u16(power * 2);
    sub.u16(exponent);
    sub.u16(segments * 2 - power * 2);
    for (const auto& [code, glyph] : codes)
        sub.u16(code);
    sub.u16(0xFFFF);
    sub.u16(0);
    for (const auto& [code, glyph] : codes)
        sub.u16(code);
    sub.u16(0xFFFF);
    for (const auto& [code, glyph] : codes)
        sub.u16((glyph - code) & 0xFFFF);
    sub.u16(1);
    for (int i = 0; i < segments; ++i)
        sub.u16(0);
    Bytes b;
    b.u16(0);
    b.u16(1);
    b.u16(3);  // Windows, Unicode BMP
    b.u16(1);
    b.u32(12);
    b.raw(sub.data());
    return b.data();
}

QByteArray name(const TtfFont& font)
{
    const QString names[][2] = {{QStringLiteral("1"), font.Family},
                                {QStringLiteral("2"), QStringLiteral("Regular")},
                                {QStringLiteral("3"), font.PostScriptName + QStringLiteral("-1.0")},
                                {QStringLiteral("4"), font.Family},
                                {QStringLiteral("6"), font.PostScriptName}};
    Bytes strings;
    Bytes records;
    for (const auto& [id, text] : names) {
        records.u16(3);
        records.u16(1);
        records.u16(0x0409);
        records.u16(id.toInt());
        records.u16(int(text.size()) * 2);
        records.u16(strings.size());
        for (QChar c : text)
            strings.u16(c.unicode());
    }
    Bytes b;
    b.u16(0);
    b.u16(int(std::size(names)));
    b.u16(6 + 12 * int(std::size(names)));
    b.raw(records.data());
    b.raw(strings.data());
    return b.data();
}

QByteArray os2(const TtfFont& font)
{
    int first = 0xFFFF, last = 0, total = 0, count = 0;
    for (const TtfGlyph& g : font.Glyphs) {
        if (g.CodePoint > 0) {
            first = std::min(first, int(g.CodePoint));
            last = std::max(last, int(g.CodePoint));
        }
        if (g.Advance > 0) {
            total += g.Advance;
            ++count;
        }
    }
    Bytes b;
    b.u16(4);
    b.u16(count ? total / count : 0);
    b.u16(400);  // regular
    b.u16(5);    // normal width
    b.u16(0);    // installable
    for (int v : {650, 600, 0, 75, 650, 600, 0, 350})
        b.u16(v);  // sub- and superscript sizes and offsets
    b.u16(50);   // strikeout size
    b.u16(300);  // strikeout position
    b.u16(0);
    b.zeros(10);  // panose
    b.zeros(16);  // unicode ranges
    b.tag("FLUX");
    b.u16(0x40);  // regular
    b.u16(first);
    b.u16(last);
    b.u16(font.Ascent);
    b.u16(-font.Descent);
    b.u16(0);
    b.u16(font.Ascent);
    b.u16(font.Descent);
    b.u32(1);  // Latin 1 code page
    b.u32(0);
    b.u16(500);  // x height
    b.u16(700);  // cap height
    b.u16(0);
    b.u16(32);
    b.u16(1);
    return b.data();
}

QByteArray post()
{
    Bytes b;
    b.u32(0x00030000);
    b.u32(0);
    b.u16(-100);
    b.u16(50);
    b.zeros(20);
    return b.data();
}

} // namespace

QByteArray WriteTtf(const TtfFont& font)
{
    const Glyf glyf = buildGlyf(font);
    // Sorted by tag, as the table directory requires.
    std::vector<std::pair<const char*, QByteArray>> tables = {
        {"OS/2", os2(font)},       {"cmap", cmap(font)},       {"glyf", glyf.glyf},
        {"head", head(font, glyf.all)}, {"hhea", hhea(font, glyf.all)}, {"hmtx", hmtx(font)},
        {"loca", loca(glyf)},      {"maxp", maxp(font, glyf)}, {"name", name(font)},
        {"post", post()},
    };
    const int count = int(tables.size());
    const auto [power, exponent] = binarySearchTerms(count);
    Bytes directory;
    directory.u32(0x00010000);
    directory.u16(count);
    directory.u16(power * 16);
    directory.u16(exponent);
    directory.u16(count * 16 - power * 16);
    Bytes body;
    const int start = 12 + 16 * count;
    int headOffset = 0;
    for (const auto& [tag, data] : tables) {
        if (QByteArray(tag) == "head")
            headOffset = start + body.size();
        directory.tag(tag);
        directory.u32(checksum(data));
        directory.u32(quint32(start + body.size()));
        directory.u32(quint32(data.size()));
        body.raw(data);
        body.pad4();
    }
    QByteArray file = directory.data() + body.data();
    const quint32 adjustment = 0xB1B0AFBAu - checksum(file);
    for (int i = 0; i < 4; ++i)
        file[headOffset + 8 + i] = char((adjustment >> (24 - 8 * i)) & 0xFF);
    return file;
}

} // namespace skin_gen
