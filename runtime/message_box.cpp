#include "runtime/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace runtime {
namespace {

QMessageBox::Icon toQt(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Error: return QMessageBox::Critical;
    case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void ShowMessageBox(const std::string& text, const std::string& caption, BoxIcon icon, QWidget* parent)
{
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(toQt(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, parent);
    box.exec();
}

void ShowErrorReport(const std::string& text)
{
    ShowMessageBox(text, "Fluxmira", BoxIcon::Error);
}

} // namespace runtime
