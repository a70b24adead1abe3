#include "skin/manager/beneath.h"

#include "skin/manager/skin_command.h"

#include <QWidget>

namespace skin {

TkBeneath QueryBeneath(const QWidget* control)
{
    TkBeneath beneath;
    QWidget* parent = control->parentWidget();
    if (!parent) {
        beneath.Color = beneath.ParentColor = control->palette().color(QPalette::Window);
        return beneath;
    }
    beneath.ParentColor = parent->palette().color(parent->backgroundRole());
    TkSkinCommandEvent event(KM_GETBACKGROUND);
    event.Bounds = control->geometry();
    SendSkinCommand(parent, event);
    if (event.Answered) {
        beneath.Updating = event.Updating;
        if (!event.BeneathImage.isNull() && event.BeneathImage.size() == control->size())
            beneath.Image = event.BeneathImage;
        else
            beneath.Color = event.BeneathColor.isValid() ? event.BeneathColor : parent->palette().color(QPalette::Window);
        return beneath;
    }
    beneath.Color = beneath.ParentColor;
    return beneath;
}

} // namespace skin
