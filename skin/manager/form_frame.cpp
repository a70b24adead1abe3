#include "skin/manager/form_frame.h"

#include "skin/render/skin_render.h"
#include "skin/model/element_image.h"

#include <QPainter>
#include <QPainterPath>

namespace skin {
namespace {

const QString kForm = QStringLiteral("FORM");
const QString kFormTitle = QStringLiteral("FORMTITLE");

QSize glyphSize(const TkSkinModel& model, int index)
{
    if (!model.IsValidImgIndex(index))
        return {22, 20};
    const TkMaskData& e = model.ma[std::size_t(index)];
    return {e.Width, e.Height};
}

// A plain button face and sign when the skin has no glyph of its own.
void drawFallbackButton(QPainter& p, const QRect& r, TkTitleButton which, int state, const QColor& ink)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (state > 0) {
        QColor face = ink;
        face.setAlpha(state == 1 ? 40 : 80);
        p.setPen(Qt::NoPen);
        p.setBrush(which == TkTitleButton::Close && state > 0 ? QColor(210, 60, 50, state == 1 ? 200 : 255) : face);
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
    QPen pen(which == TkTitleButton::Close && state > 0 ? QColor(Qt::white) : ink, 1.6);
    p.setPen(pen);
    const QPointF c = QRectF(r).center();
    if (which == TkTitleButton::Close) {
        p.drawLine(c + QPointF(-4, -4), c + QPointF(4, 4));
        p.drawLine(c + QPointF(-4, 4), c + QPointF(4, -4));
    } else {
        p.drawLine(c + QPointF(-5, 4), c + QPointF(5, 4));
    }
    p.restore();
}

int buttonState(const TkFrameState& s, TkTitleButton b)
{
    if (s.Pressed == b)
        return 2;
    return s.Hot == b ? 1 : 0;
}

} // namespace

TkTitleButton TkFrameLayout::ButtonAt(QPoint point) const
{
    if (CloseButton.contains(point))
        return TkTitleButton::Close;
    if (MinimizeButton.contains(point))
        return TkTitleButton::Minimize;
    return TkTitleButton::None;
}

TkFrameLayout FrameLayout(const TkSkinModel& model, QSize size, bool hasMinimize)
{
    const TkSkinData& data = model.CommonSkinData;
    TkFrameLayout layout;
    layout.Border = std::clamp(data.ExBorderWidth, 0, 16);
    layout.TitleHeight = std::clamp(data.ExTitleHeight, 16, 64);
    layout.Caption = QRect(0, 0, size.width(), layout.TitleHeight);
    const auto& glyphs = model.ConstData.TitleGlyphs;
    const QSize closeSize = glyphSize(model, glyphs[tgClose]);
    const QSize minSize = glyphSize(model, glyphs[tgMin]);
    const int spacing = std::max(data.BISpacing, 2);
    const int right = size.width() - layout.Border - std::max(data.BIRightMargin, 2);
    const auto top = [&](QSize s) {
        return data.BITopMargin > 0 ? data.BITopMargin : (layout.TitleHeight - s.height() + 1) / 2;
    };
    layout.CloseButton = QRect(QPoint(right - closeSize.width(), top(closeSize)), closeSize);
    if (hasMinimize)
        layout.MinimizeButton = QRect(QPoint(layout.CloseButton.left() - spacing - minSize.width(), top(minSize)), minSize);
    return layout;
}

std::optional<QColor> PlainClientColor(const TkSkinModel& model)
{
    const int form = model.GetSkinIndex(kForm);
    if (!model.IsValidSkinIndex(form))
        return ToQColor(model.Palette[pcMainColor]);
    const TkGenState& s = model.gd[std::size_t(form)].Props[0];
    if (s.Transparency == 0 && (s.GradientPercent <= 0 || s.GradientArray.empty())
        && (s.ImagePercent <= 0 || s.TextureIndex < 0))
        return ToQColor(s.Color);
    return std::nullopt;
}

void PaintFormFrame(QImage& image, const TkSkinModel& model, const TkFrameLayout& layout, const TkFrameState& state)
{
    const QRect all = image.rect();
    const int form = model.GetSkinIndex(kForm);
    const int title = model.GetSkinIndex(kFormTitle);
    TkBeneath beneath;
    beneath.Color = ToQColor(model.Palette[pcMainColor]);
    if (model.IsValidSkinIndex(form))
        PaintSectionBackground(image, all, model, model.gd[std::size_t(form)].Props[0], beneath);
    else
        image.fill(beneath.Color);
    // The caption band on its own, over the part of the face beneath it.
    TkBeneath under;
    under.Image = image.copy(layout.Caption);
    QImage caption = under.Image;
    if (model.IsValidSkinIndex(title))
        PaintSectionItem(caption, caption.rect(), model, title, state.Active ? 1 : 0, under);
    QPainter p(&image);
    p.drawImage(layout.Caption.topLeft(), caption);
    if (model.IsValidSkinIndex(form))
        DrawBorderElement(p, model, model.gd[std::size_t(form)].BorderIndex, all, state.Active ? 1 : 0);

    // Icon and title text.
    int x = layout.Border + 8;
    if (!state.Icon.isNull()) {
        const int s = std::min(layout.TitleHeight - 8, 20);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(x, (layout.TitleHeight - s) / 2, s, s), state.Icon);
        x += s + 6;
    }
    const int textRight = (layout.MinimizeButton.isEmpty() ? layout.CloseButton : layout.MinimizeButton).left() - 4;
    TkTextLook look;
    look.Color = Qt::black;
    if (model.IsValidSkinIndex(title)) {
        const TkGeneralData& g = model.gd[std::size_t(title)];
        look = TextLookOf(g.Props[std::size_t(LimitState(g, state.Active ? 1 : 0))]);
    }
    p.setFont(state.Font);
    const QRect textRect(x, 0, std::max(0, textRight - x), layout.TitleHeight);
    const QString text = QFontMetrics(state.Font).elidedText(state.Title, Qt::ElideRight, textRect.width());
    DrawSkinText(p, textRect, Qt::AlignLeft | Qt::AlignVCenter, text, look);

    // Buttons.
    const auto& glyphs = model.ConstData.TitleGlyphs;
    const auto button = [&](TkTitleButton which, const QRect& r, int glyph) {
        if (r.isEmpty())
            return;
        const int s = buttonState(state, which);
        const QImage piece = ElementImage(model, glyph, s);
        if (!piece.isNull())
            p.drawImage(r.topLeft(), piece);
        else
            drawFallbackButton(p, r, which, s, look.Color);
    };
    button(TkTitleButton::Close, layout.CloseButton, glyphs[tgClose]);
    button(TkTitleButton::Minimize, layout.MinimizeButton, glyphs[tgMin]);
}

} // namespace skin
