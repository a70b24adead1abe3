#include "skin/controls/control_skin.h"

#include "skin/manager/hover_glow.h"
#include "skin/manager/skin_command.h"

#include <QApplication>
#include <QWidget>

namespace skin {

TkSkinManager* TkCommonData::Manager() const
{
    return SkinManager ? SkinManager.data() : TkSkinManager::DefaultManager();
}

bool TkCommonData::Skinned(bool needActive) const
{
    const TkSkinManager* m = Manager();
    return m && m->Model().IsValidSkinIndex(SkinIndex) && (!needActive || m->SkinActive());
}

void TkCommonData::UpdateIndexes(QWidget* control)
{
    BGChanged = true;
    const TkSkinManager* m = Manager();
    if (!m || !m->Active()) {
        SkinIndex = -1;
    } else if (!SkinSection.isEmpty()) {
        SkinIndex = m->GetSkinIndex(SkinSection);
    } else {
        SkinIndex = SendSkinCommand(control, KM_DEFSECTION, const_cast<TkSkinManager*>(m)) - 1;
    }
    BorderIndex = -1;
    if (m && m->Model().IsValidSkinIndex(SkinIndex))
        BorderIndex = m->Model().gd[std::size_t(SkinIndex)].BorderIndex;
}

const TkGeneralData* TkCommonData::Section() const
{
    const TkSkinManager* m = Manager();
    if (!m || !m->Model().IsValidSkinIndex(SkinIndex))
        return nullptr;
    return &m->Model().gd[std::size_t(SkinIndex)];
}

TkBeneath QueryBeneath(const QWidget* control)
{
    TkBeneath beneath;
    QWidget* parent = control->parentWidget();
    if (!parent) {
        beneath.Color = control->palette().color(QPalette::Window);
        return beneath;
    }
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
    beneath.Color = parent->palette().color(parent->backgroundRole());
    return beneath;
}

bool IsHot(const QWidget* control, const TkCommonData& data, bool focusOnly)
{
    if (!control->isEnabled())
        return false;
    if (control->hasFocus())
        return true;
    const TkSkinManager* m = data.Manager();
    if (focusOnly || (m && m->Options.NoMouseHover))
        return false;
    return data.FMouseAbove;
}

void UpdateHoverGlow(QWidget* control, const TkCommonData& data, bool show)
{
    const TkSkinManager* m = data.Manager();
    if (!show || !m || !data.Skinned() || !m->Effects.AllowGlowing || m->Options.NoMouseHover
        || QWidget::mouseGrabber() || !control->isEnabled()) {
        TkHoverGlow::Hide(control);
        return;
    }
    TkHoverGlow::Show(control, m->Model(), data.SkinIndex);
}

} // namespace skin
