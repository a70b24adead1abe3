#pragma once
// Every message box of the program goes through here, so there is one place
// that shows them (and one place tests watch to close them).

#include <string>

class QWidget;

namespace runtime {

enum class BoxIcon { None, Information, Warning, Error };

// Shows a modal box with an OK button and returns when it is closed.
// Text and caption are UTF-8.
void ShowMessageBox(const std::string& text, const std::string& caption = "Fluxmira",
                    BoxIcon icon = BoxIcon::Information, QWidget* parent = nullptr);

// The application's default error report: the error's text in a message box.
void ShowErrorReport(const std::string& text);

} // namespace runtime
