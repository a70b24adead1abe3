#include "app/control_factory.h"

#include "app/dpi_scaling.h"
#include "app/fonts.h"
#include "app/glyphs.h"
#include "app/skinned_kinds.h"
#include "app/system_colors.h"
#include "discovery/device_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>

namespace app {
namespace {

QWidget* createPanel(const ControlSpec& spec, QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);  // lowered inner bevel
    panel->setLineWidth(3);
    if (spec.color != kNoColor) {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(spec.color));
        panel->setPalette(palette);
    }
    panel->setAutoFillBackground((spec.flags & kOwnBackground) != 0);
    return panel;
}

QWidget* createSpeedButton(const ControlSpec& spec, QWidget* parent)
{
    TkSpeedButton* button = Create_Speed_Button(parent);
    if (spec.glyph != Glyph::None) {
        const QPixmap glyph = spec.glyph == Glyph::Zero ? Zero_Glyph() : Cal_Glyph();
        button->setIcon(QIcon(glyph));
        button->setIconSize(glyph.size());
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    button->setText(QString::fromUtf8(spec.text));
    return button;
}

QWidget* createLabel(const ControlSpec& spec, QWidget* parent)
{
    QLabel* label = spec.kind == ControlKind::SkinnedLabel ? Create_Label(parent) : new QLabel(parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(QString::fromUtf8(spec.text));
    if (spec.flags & kAlignRight)
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    return label;
}

QWidget* createEdit(const ControlSpec& spec, QWidget* parent)
{
    TkEdit* edit = Create_Edit(parent);
    edit->setText(QString::fromUtf8(spec.text));
    if (spec.flags & kAlignCenter)
        edit->setAlignment(Qt::AlignCenter);
    edit->setReadOnly((spec.flags & kReadOnly) != 0);
    return edit;
}

QWidget* createCheckBox(const ControlSpec& spec, QWidget* parent)
{
    auto* box = new QCheckBox(QString::fromUtf8(spec.text), parent);
    box->setChecked((spec.flags & kChecked) != 0);
    return box;
}

QWidget* createDeviceBox(const ControlSpec& spec, QWidget* parent)
{
    auto* box = new discovery::TcmDeviceBox(parent);
    box->setFrame((spec.flags & kFlat) == 0);
    return box;
}

QWidget* createByKind(const ControlSpec& spec, QWidget* parent)
{
    switch (spec.kind) {
    case ControlKind::Panel: return createPanel(spec, parent);
    case ControlKind::Label:
    case ControlKind::SkinnedLabel: return createLabel(spec, parent);
    case ControlKind::SpeedButton: return createSpeedButton(spec, parent);
    case ControlKind::CheckBox: return createCheckBox(spec, parent);
    case ControlKind::DeviceBox: return createDeviceBox(spec, parent);
    case ControlKind::Edit: return createEdit(spec, parent);
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

QWidget* Create_Control(const ControlSpec& spec, QWidget* parent, int ppi)
{
    QWidget* widget = createByKind(spec, parent);
    widget->setObjectName(QString::fromUtf8(spec.name));
    applyFont(widget, spec.font, ppi);
    const Bounds b = Scale_Bounds(spec.stored, ppi);
    widget->setGeometry(b.left, b.top, b.width, b.height);
    widget->setEnabled((spec.flags & kDisabled) == 0);
    widget->setVisible((spec.flags & kHidden) == 0);
    return widget;
}

} // namespace app
