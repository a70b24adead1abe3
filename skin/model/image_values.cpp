#include "skin/model/image_values.h"

#include "runtime/error.h"
#include "skin/model/options_table.h"

#include <QStringList>

#include <algorithm>

namespace skin {
namespace {

QRect rectField(QStringView value)
{
    const int left = DigitField(value, 2, 4);
    const int top = DigitField(value, 7, 4);
    const int right = DigitField(value, 12, 4);
    const int bottom = DigitField(value, 17, 4);
    return QRect(left, top, right - left, bottom - top);
}

int lenientField(const QList<QStringView>& fields, int index)
{
    if (index >= fields.size())
        return 0;
    return ParseInt32(fields[index]).value_or(0);
}

} // namespace

int DigitField(QStringView Value, int Position, int Length)
{
    const qsizetype start = std::min<qsizetype>(Position - 1, Value.size());
    const QStringView text = Value.sliced(start, std::min<qsizetype>(Length, Value.size() - start));
    const auto number = ParseInt32(text);
    if (!number)
        throw runtime::ConvertError("'" + text.toString().toStdString() + "' is not a valid integer value");
    return *number;
}

TkGlyphValue ParseGlyphValue(QStringView Value)
{
    TkGlyphValue glyph;
    glyph.R = rectField(Value);
    glyph.ImageCount = DigitField(Value, 22, 1);
    glyph.MaskType = DigitField(Value, 24, 1);
    return glyph;
}

TkBorderValue ParseBorderValue(QStringView Value)
{
    TkBorderValue border;
    border.R = rectField(Value);
    border.WL = DigitField(Value, 22, 4);
    border.WT = DigitField(Value, 27, 4);
    border.WR = DigitField(Value, 32, 4);
    border.WB = DigitField(Value, 37, 4);
    border.ImageCount = DigitField(Value, 42, 1);
    border.MaskType = DigitField(Value, 44, 1);
    border.DrawMode = DigitField(Value, 46, 1);
    border.BorderWidth = DigitField(Value, 48, 1);
    return border;
}

TkTextureValue ParseTextureValue(QStringView Value)
{
    TkTextureValue texture;
    texture.R = rectField(Value);
    texture.DrawMode = DigitField(Value, 22, 2);
    if (Value.size() >= 25)
        texture.MaskType = DigitField(Value, 25, 1);
    if (Value.size() > 26)
        texture.FileName = Value.sliced(26).toString();
    return texture;
}

TkExternalValue ParseExternalValue(QStringView Value)
{
    const QList<QStringView> fields = Value.split(u'!');
    TkExternalValue external;
    // fields[0] is the empty text before the leading "!".
    external.FileName = fields.size() > 1 ? fields[1].toString() : QString();
    external.ImageCount = lenientField(fields, 2);
    external.MaskType = lenientField(fields, 3);
    external.ImgType = std::clamp(lenientField(fields, 4), 0, 4);
    external.HasWidths = fields.size() - 1 >= 5;
    external.WL = lenientField(fields, 5);
    external.WT = lenientField(fields, 6);
    external.WR = lenientField(fields, 7);
    external.WB = lenientField(fields, 8);
    external.DrawMode = lenientField(fields, 9);
    return external;
}

} // namespace skin
