#pragma once
// The skinned kinds of control of the main window (speed button, edit box,
// label): the skinning layer's controls, made through these factory
// functions so the window builds them all alike.

#include "skin/controls/edit.h"
#include "skin/controls/label.h"
#include "skin/controls/speed_button.h"

class QWidget;

namespace app {

using TkSpeedButton = skin::TkSpeedButton;
using TkEdit = skin::TkEdit;
using TkLabel = skin::TkLabel;

TkSpeedButton* Create_Speed_Button(QWidget* parent);
TkEdit* Create_Edit(QWidget* parent);
TkLabel* Create_Label(QWidget* parent);

} // namespace app
