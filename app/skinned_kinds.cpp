#include "app/skinned_kinds.h"

namespace app {

TkSpeedButton* Create_Speed_Button(QWidget* parent)
{
    auto* button = new TkSpeedButton(parent);
    // A speed button never takes the keyboard focus.
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

TkEdit* Create_Edit(QWidget* parent)
{
    return new TkEdit(parent);
}

TkLabel* Create_Label(QWidget* parent)
{
    auto* label = new TkLabel(parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace app
