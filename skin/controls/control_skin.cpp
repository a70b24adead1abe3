#include "skin/controls/control_skin.h"

#include "skin/controls/outer_effect.h"
#include "skin/manager/hover_glow.h"
#include "skin/manager/skin_command.h"

#include <QApplication>
#include <QWidget>

namespace skin {
namespace {

struct OuterPlan {
    int Element = -1;
    QMargins Offsets;
    int Opacity = 0;
};

int offset(int value) { return std::max(value, 0); }

// Which element the outer effect of a section is drawn with, if any.
OuterPlan outerPlan(const TkSkinModel& model, const TkGeneralData& g)
{
    OuterPlan plan;
    if (g.OuterMode < 1)
        return plan;
    if (model.IsValidImgIndex(g.OuterMask)) {
        plan.Element = g.OuterMask;
        plan.Offsets = {offset(g.OuterOffset.Left), offset(g.OuterOffset.Top), offset(g.OuterOffset.Right),
                        offset(g.OuterOffset.Bottom)};
        plan.Opacity = g.OuterOpacity;
        return plan;
    }
    const int entry = g.OuterMode - 1;
    if (entry > 1)
        return plan;
    const TkxOutEffData& e = model.oe[std::size_t(entry)];
    if (e.Source == 0 || !model.IsValidImgIndex(e.Mask))
        return plan;
    plan.Element = e.Mask;
    plan.Offsets = {offset(e.OffsetL), offset(e.OffsetT), offset(e.OffsetR), offset(e.OffsetB)};
    plan.Opacity = e.Opacity;
    return plan;
}

void dropOuterEffect(TkCommonData& data)
{
    if (data.OuterEffect) {
        data.OuterEffect->hide();
        data.OuterEffect->deleteLater();
    }
    data.OuterEffect = nullptr;
}

} // namespace

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

TkItemLook TkCommonData::ItemLook(std::optional<QColor> custom) const
{
    return {CustomColor ? custom : std::nullopt, HUEOffset, Saturation, ColorTone};
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
    TkHoverGlow::Update(control, data.Manager(), data.SkinIndex, show && data.Skinned());
}

void UpdateOuterEffect(QWidget* control, TkCommonData& data)
{
    const TkSkinManager* m = data.Manager();
    const TkGeneralData* g = data.Section();
    // Also during the broadcast of a new skin, before it is marked applied.
    const bool wanted = data.OuterEffects.Visibility == TkOuterVisibility::ovAlways && m && m->Active()
        && m->Effects.AllowOuterEffects && g && control->parentWidget() && control->isVisible();
    const OuterPlan plan = wanted ? outerPlan(m->Model(), *g) : OuterPlan{};
    dropOuterEffect(data);
    if (plan.Element < 0)
        return;
    const QRect around = control->geometry().marginsAdded(plan.Offsets);
    auto* effect = new TkOuterEffect(control, m->Model(), plan.Element, around, plan.Opacity);
    effect->show();
    data.OuterEffect = effect;
}

void TkSkinnedControl::FollowGeometry(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::Hide:
    case QEvent::Move:
        TkHoverGlow::Hide(fSelf);
        UpdateOuterEffect(fSelf, SkinData);
        break;
    case QEvent::Show:
    case QEvent::Resize:
        UpdateOuterEffect(fSelf, SkinData);
        break;
    default:
        break;
    }
}

bool TkSkinnedControl::HandleSkinCommand(QEvent* event)
{
    if (event->type() != TkSkinCommandEvent::EventType())
        return false;
    auto& e = *static_cast<TkSkinCommandEvent*>(event);
    const bool own = e.Manager == SkinData.Manager();
    switch (e.Command) {
    case KM_SETNEWSKIN:
    case KM_REFRESH:
        if (own) {
            SkinData.UpdateIndexes(fSelf);
            if (e.Command == KM_SETNEWSKIN)
                SkinChanged(SkinData.Skinned(false));
            UpdateOuterEffect(fSelf, SkinData);
            fSelf->update();
        }
        break;
    case KM_REMOVESKIN:
        if (own) {
            SkinData.SkinIndex = -1;
            SkinData.BorderIndex = -1;
            SkinData.FCacheBmp = QImage();
            TkHoverGlow::Hide(fSelf);
            dropOuterEffect(SkinData);
            SkinChanged(false);
            fSelf->update();
        }
        break;
    case KM_DEFSECTION:
        if (const TkSkinManager* m = SkinData.Manager())
            e.Result = 1 + m->GetSkinIndex(DefaultSection());
        break;
    case KM_ISSKINNED:
        if (AnswersIsSkinned())
            e.Result = 1;
        break;
    case KM_REPAINTSECTION:
        if (const TkGeneralData* g = SkinData.Section();
            e.Section.isEmpty() || (g && g->ClassName.compare(e.Section, Qt::CaseInsensitive) == 0))
            fSelf->update();
        break;
    case KM_UPDATEEND:
        SkinData.FUpdating = false;
        fSelf->update();
        break;
    case KM_REBUILD:
        SkinData.BGChanged = true;
        fSelf->update();
        break;
    default:
        break;
    }
    return true;
}

} // namespace skin
