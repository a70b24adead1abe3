#pragma once
// Skinned popup menus. While the default manager has a skin applied and its
// SkinnedPopups is set, every popup menu of the process (context menus of
// edits included) is drawn by TkMenuStyle: the panel and its border from
// section "MAINMENU", the highlighted item from the hot state of "MENUITEM"
// (or of "MAINMENU" when the skin has no menu item section), the item texts
// in the sections' font colours, check marks and submenu arrows from the
// symbol font. Without a skin the style draws like the application's.

#include <QProxyStyle>

class QMenu;

namespace skin {

class TkMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    // The one style of the skinned menus (owned by the application).
    static TkMenuStyle* Instance();

    void drawPrimitive(PrimitiveElement Element, const QStyleOption* Option, QPainter* Painter,
                       const QWidget* Widget = nullptr) const override;
    void drawControl(ControlElement Element, const QStyleOption* Option, QPainter* Painter,
                     const QWidget* Widget = nullptr) const override;
    int pixelMetric(PixelMetric Metric, const QStyleOption* Option = nullptr,
                    const QWidget* Widget = nullptr) const override;

private:
    TkMenuStyle() = default;
};

// Gives a menu the skinned style once; true when it has it.
bool SkinPopupMenu(QMenu* Menu);
bool IsSkinnedMenu(const QMenu* Menu);

} // namespace skin
