#pragma once
// The skinned kinds of control of the main window (speed button, edit box,
// label). Until the skinning layer provides them, ordinary Qt controls with
// the same texts, fonts and events stand in; the window refers to them only
// through these names and the factory functions, so the skinned classes can
// take their place here.

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

class QWidget;

namespace app {

using TkSpeedButton = QToolButton;
using TkEdit = QLineEdit;
using TkLabel = QLabel;

TkSpeedButton* Create_Speed_Button(QWidget* parent);
TkEdit* Create_Edit(QWidget* parent);
TkLabel* Create_Label(QWidget* parent);

} // namespace app
