#pragma once
// What the skinned controls share: their skin data, the section lookup, the
// hot rule, the hover glow, the outer effect and one handling of the skin
// commands.

#include "skin/manager/beneath.h"
#include "skin/manager/skin_manager.h"
#include "skin/render/skin_render.h"

#include <QPointer>
#include <QString>

#include <optional>

class QEvent;
class QWidget;

namespace skin {

class TkSkinCommandEvent;

enum class TkOuterVisibility { ovNone, ovAlways };

struct TkxOuterEffects {
    TkOuterVisibility Visibility = TkOuterVisibility::ovNone;
};

// The skin data of a control (TkCommonData; the buttons and the edit carry
// the TkCtrlSkinData fields too).
class TkCommonData {
public:
    // Published.
    QString SkinSection;                 // empty: the control kind's default section
    QPointer<TkSkinManager> SkinManager; // empty: the default manager
    bool CustomColor = false;
    bool CustomFont = false;
    TkxOuterEffects OuterEffects;
    int HUEOffset = 0;
    int Saturation = 0;
    TColor ColorTone = clNone;

    // Run time.
    int SkinIndex = -1;
    int BorderIndex = -1;
    bool FMouseAbove = false;
    bool FFocused = false;
    bool BGChanged = true;
    bool FUpdating = false;
    QImage FCacheBmp;
    QPointer<QWidget> OuterEffect;       // the outer effect drawn around the control

    // The control's manager: its own or the default one.
    TkSkinManager* Manager() const;
    // The manager exists, the section is valid and (with NeedActive) the skin is applied.
    bool Skinned(bool NeedActive = true) const;
    // Section lookup; DefaultSection asks the control itself (KM_DEFSECTION).
    void UpdateIndexes(QWidget* Control);
    // The section of this control, or nullptr.
    const TkGeneralData* Section() const;
    // The control's own touches to its section item.
    TkItemLook ItemLook(std::optional<QColor> Custom) const;
};

// A control is hot when enabled and focused, or when the mouse is over it
// (not for edit-like controls, nor with the manager's NoMouseHover).
bool IsHot(const QWidget* Control, const TkCommonData& Data, bool FocusOnly);

// Shows or removes the hover glow of a control by the section's glow rules.
void UpdateHoverGlow(QWidget* Control, const TkCommonData& Data, bool Show);

// Shows, moves or removes the outer effect around a control: shown with
// OuterEffects.Visibility ovAlways, the skin applied, outer effects allowed
// and the section's OuterMode at least 1; drawn from the section's
// "OUTERMASK" or else from the manager's outer effect OuterMode - 1.
void UpdateOuterEffect(QWidget* Control, TkCommonData& Data);

// The skin commands as the speed button and the edit answer them: a new
// skin (1), removal (2) and refresh (3) from their own manager, the default
// section query (9), the is-skinned query (7) where the kind answers it,
// section repaint (13), update end (18) and rebuild (23).
class TkSkinnedControl {
public:
    TkCommonData SkinData;
    // A set of TkDisabledKind bits.
    int DisabledKind = dkBlended;

    virtual ~TkSkinnedControl() = default;

protected:
    explicit TkSkinnedControl(QWidget* Self) : fSelf(Self) {}

    // The section a control of this kind uses when SkinSection is empty.
    virtual QString DefaultSection() const = 0;
    // After a new skin was set (Skinned: the control has a section in it) or
    // the skin was removed (Skinned false).
    virtual void SkinChanged(bool Skinned) { (void)Skinned; }
    virtual bool AnswersIsSkinned() const { return false; }

    // Handles a skin command; false for any other event.
    bool HandleSkinCommand(QEvent* Event);
    // After the control handled a show, hide, move or resize: the hover
    // glow goes (it no longer fits), the outer effect follows.
    void FollowGeometry(const QEvent* Event);

private:
    QWidget* fSelf;
};

} // namespace skin
