#include "app/control_factory.h"

#include "app/dpi_scaling.h"
#include "app/fonts.h"
#include "app/glyphs.h"
#include "app/skinned_kinds.h"
#include "app/system_colors.h"
#include "discovery/box/device_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>

namespace app {
namespace {

QWidget* createPanel(const ControlSpec& desc, QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);  // lowered inner bevel
    panel->setLineWidth(3);
    if (desc.color != kNoColor) {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(desc.color));
        panel->setPalette(palette);
    }
    panel->setAutoFillBackground((desc.flags & kOwnBackground) != 0);
    return panel;
}

QWidget* createSpeedButton(const ControlSpec& desc, QWidget* parent)
{
    TkSpeedButton* button = Create_Speed_Button(parent);
    if (desc.glyph != Glyph::None) {
        const QPixmap glyph = desc.glyph == Glyph::Zero ? Zero_Glyph() : Cal_Glyph();
        button->setIcon(QIcon(glyph));
        button->setIconSize(glyph.size());
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    button->setText(QString::fromUtf8(desc.text));
    return button;
}

QWidget* createLabel(const ControlSpec& desc, QWidget* parent)
{
    QLabel* label = desc.kind == ControlKind::SkinnedLabel ? Create_Label(parent) : new QLabel(parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(QString::fromUtf8(desc.text));
    if (desc.flags & kAlignRight)
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    return label;
}

QWidget* createEdit(const ControlSpec& desc, QWidget* parent)
{
    TkEdit* edit = Create_Edit(parent);
    edit->setText(QString::fromUtf8(desc.text));
    if (desc.flags & kAlignCenter)
        edit->setAlignment(Qt::AlignCenter);
    edit->setReadOnly((desc.flags & kReadOnly) != 0);
    return edit;
}

// The stored colour is the box's own background colour. Like a check box
// drawn by the platform's visual style it does not fill its rectangle with
// it (the text has the same dark colour): the window shows through.
QWidget* createCheckBox(const ControlSpec& desc, QWidget* parent)
{
    auto* box = new QCheckBox(QString::fromUtf8(desc.text), parent);
    box->setChecked((desc.flags & kChecked) != 0);
    if (desc.sysColor != SysColor::None) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Window, System_Color(desc.sysColor));
        box->setPalette(palette);
    }
    return box;
}

QWidget* createDeviceBox(const ControlSpec& desc, QWidget* parent)
{
    auto* box = new discovery::TcmDeviceBox(parent);
    box->setFrame((desc.flags & kFlat) == 0);
    return box;
}

QWidget* createByKind(const ControlSpec& desc, QWidget* parent)
{
    switch (desc.kind) {
    case ControlKind::Panel: return createPanel(desc, parent);
    case ControlKind::Label:
    case ControlKind::SkinnedLabel: return createLabel(desc, parent);
    case ControlKind::SpeedButton: return createSpeedButton(desc, parent);
    case ControlKind::CheckBox: return createCheckBox(desc, parent);
    case ControlKind::DeviceBox: return createDeviceBox(desc, parent);
    case ControlKind::Edit: return createEdit(desc, parent);
    }
    return nullptr;
}

void applyFont(QWidget* widget, const FontSpec& font, int ppi)
{
    if (font.family)
        widget->setFont(Make_Font(font, ppi));
    if (font.color != SysColor::None) {
        QPalette palette = widget->palette();
        const QColor color = System_Color(font.color);
        palette.setColor(QPalette::WindowText, color);
        palette.setColor(QPalette::ButtonText, color);
        palette.setColor(QPalette::Text, color);
        widget->setPalette(palette);
    }
}

} // namespace

QWidget* Create_Control(const ControlSpec& desc, QWidget* parent, int ppi)
{
    QWidget* widget = createByKind(desc, parent);
    widget->setObjectName(QString::fromUtf8(desc.name));
    applyFont(widget, desc.font, ppi);
    const Bounds b = Scale_Bounds(desc.stored, ppi);
    widget->setGeometry(b.left, b.top, b.width, b.height);
    widget->setEnabled((desc.flags & kDisabled) == 0);
    widget->setVisible((desc.flags & kHidden) == 0);
    return widget;
}

} // namespace app
