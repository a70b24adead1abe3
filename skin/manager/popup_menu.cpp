#include "skin/manager/popup_menu.h"

#include "skin/manager/skin_manager.h"
#include "skin/render/skin_render.h"
#include "skin/resources/startup_resources.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionMenuItem>

#include <optional>

namespace skin {
namespace {

const char* kSkinnedProperty = "fluxmiraSkinnedMenu";

// What the skin says about menus, when a skin with a "MAINMENU" section is applied.
struct MenuLook {
    const TkSkinModel* Model = nullptr;
    int Panel = -1;      // "MAINMENU"
    int Item = -1;       // "MENUITEM", or the panel section
    QColor Face;
    QColor Text;
    QColor HotText;
};

std::optional<MenuLook> currentLook()
{
    const TkSkinManager* m = TkSkinManager::DefaultManager();
    if (!m || !m->SkinActive() || !m->SkinnedPopups())
        return std::nullopt;
    const TkSkinModel& model = m->Model();
    MenuLook look;
    look.Model = &model;
    look.Panel = model.ConstData.Sections[ssMainMenu];
    if (!model.IsValidSkinIndex(look.Panel))
        return std::nullopt;
    const int item = model.ConstData.Sections[ssMenuItem];
    look.Item = model.IsValidSkinIndex(item) ? item : look.Panel;
    const TkGeneralData& panel = model.gd[std::size_t(look.Panel)];
    const TkGeneralData& items = model.gd[std::size_t(look.Item)];
    look.Face = ToQColor(panel.Props[0].Color);
    look.Text = ToQColor(items.Props[0].FontColor.Color);
    look.HotText = ToQColor(items.Props[std::size_t(LimitState(items, 1))].FontColor.Color);
    return look;
}

int panelWidth(const MenuLook& look)
{
    const TkSkinModel& model = *look.Model;
    const int border = model.gd[std::size_t(look.Panel)].BorderIndex;
    if (!model.IsValidImgIndex(border))
        return 1;
    const TkMaskData& e = model.ma[std::size_t(border)];
    return std::max({1, int(e.WL), int(e.WT), int(e.WR), int(e.WB)});
}

void drawPanel(const MenuLook& look, QPainter* p, const QRect& rect)
{
    TkBeneath beneath;
    beneath.Color = look.Face;
    QImage image = BeneathImage(beneath, rect.size());
    PaintSectionItem(image, image.rect(), *look.Model, look.Panel, 0, beneath);
    p->drawImage(rect.topLeft(), image);
}

// A mark of the symbol font centred in Rect; a drawn one when the font is missing.
void drawSymbol(QPainter* p, const QRect& rect, char16_t symbol, const QColor& colour)
{
    p->save();
    p->setPen(colour);
    const QString family = SymbolFontFamily();
    if (!family.isEmpty()) {
        QFont font(family);
        font.setPixelSize(std::max(8, rect.height() * 7 / 10));
        p->setFont(font);
        p->drawText(rect, Qt::AlignCenter, QString(QChar(symbol)));
    } else {
        p->setRenderHint(QPainter::Antialiasing);
        const QPointF c = QRectF(rect).center();
        if (symbol == kSymbolCheck)
            p->drawPolyline(QPolygonF({c + QPointF(-4, 0), c + QPointF(-1, 3), c + QPointF(4, -3)}));
        else
            p->drawPolygon(QPolygonF({c + QPointF(-2, -4), c + QPointF(2, 0), c + QPointF(-2, 4)}));
    }
    p->restore();
}

void drawSeparator(const MenuLook& look, QPainter* p, const QRect& r)
{
    const int y = r.center().y();
    p->save();
    p->setPen(MixColor(look.Text, look.Face, 80));
    p->drawLine(r.left() + 4, y, r.right() - 4, y);
    p->restore();
}

void drawItem(const MenuLook& look, const QStyle* style, const QStyleOptionMenuItem& mi, QPainter* p,
              const QWidget* widget)
{
    const QRect r = mi.rect;
    const bool enabled = mi.state & QStyle::State_Enabled;
    const bool selected = enabled && (mi.state & QStyle::State_Selected);
    if (selected) {
        TkBeneath beneath;
        beneath.Color = look.Face;
        QImage image = BeneathImage(beneath, r.size());
        PaintSectionItem(image, image.rect(), *look.Model, look.Item, 1, beneath);
        p->drawImage(r.topLeft(), image);
    }
    QColor text = selected ? look.HotText : look.Text;
    if (!enabled)
        text = MixColor(text, look.Face, kDisabledBlend);

    const int column = std::max(mi.maxIconWidth, 16) + 8;
    const QRect mark(r.left(), r.top(), column, r.height());
    if (mi.checkType != QStyleOptionMenuItem::NotCheckable && mi.checked)
        drawSymbol(p, mark, kSymbolCheck, text);
    else if (!mi.icon.isNull())
        p->drawPixmap(mark.center() - QPoint(8, 8), mi.icon.pixmap(16, enabled ? QIcon::Normal : QIcon::Disabled));
    const int arrow = 16;
    const QRect textRect = r.adjusted(column, 0, -arrow, 0);
    const int mnemonic = style->styleHint(QStyle::SH_UnderlineShortcut, &mi, widget) ? Qt::TextShowMnemonic
                                                                                   : Qt::TextHideMnemonic;
    const qsizetype tab = mi.text.indexOf(u'\t');
    p->save();
    p->setFont(mi.font);
    p->setPen(text);
    p->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | mnemonic, mi.text.left(tab));
    if (tab >= 0)
        p->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter, mi.text.mid(tab + 1));
    p->restore();
    if (mi.menuItemType == QStyleOptionMenuItem::SubMenu)
        drawSymbol(p, QRect(r.right() + 1 - arrow, r.top(), arrow, r.height()), kSymbolSubmenu, text);
}

} // namespace

TkMenuStyle* TkMenuStyle::Instance()
{
    static QPointer<TkMenuStyle> style;
    if (!style) {
        style = new TkMenuStyle;
        style->setParent(qApp);
    }
    return style;
}

void TkMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    const auto look = currentLook();
    if (look && (element == PE_PanelMenu || element == PE_FrameMenu)) {
        drawPanel(*look, painter, option->rect);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void TkMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    const auto look = currentLook();
    const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!look || !mi || (element != CE_MenuItem && element != CE_MenuEmptyArea)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    if (element == CE_MenuEmptyArea)
        drawPanel(*look, painter, option->rect);
    else if (mi->menuItemType == QStyleOptionMenuItem::Separator)
        drawSeparator(*look, painter, mi->rect);
    else
        drawItem(*look, this, *mi, painter, widget);
}

int TkMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (metric == PM_MenuPanelWidth) {
        if (const auto look = currentLook())
            return panelWidth(*look);
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

bool SkinPopupMenu(QMenu* menu)
{
    if (!menu || IsSkinnedMenu(menu))
        return menu != nullptr;
    if (!currentLook())
        return false;
    menu->setProperty(kSkinnedProperty, true);
    menu->setStyle(TkMenuStyle::Instance());
    return true;
}

bool IsSkinnedMenu(const QMenu* menu) { return menu && menu->property(kSkinnedProperty).toBool(); }

} // namespace skin
