#pragma once
// What the skinned controls share: their skin data, the section lookup, the
// query for what lies beneath them and the answers to skin commands.

#include "skin/controls/skin_render.h"
#include "skin/manager/skin_manager.h"

#include <QPointer>
#include <QString>

#include <optional>

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

    // The control's manager: its own or the default one.
    TkSkinManager* Manager() const;
    // The manager exists, the section is valid and (with NeedActive) the skin is applied.
    bool Skinned(bool NeedActive = true) const;
    // Section lookup; DefaultSection asks the control itself (KM_DEFSECTION).
    void UpdateIndexes(QWidget* Control);
    // The section of this control, or nullptr.
    const TkGeneralData* Section() const;
};

// What lies beneath a control: asks its parent (KM_GETBACKGROUND); a parent
// that does not answer gives the colour of its background role.
TkBeneath QueryBeneath(const QWidget* Control);

// A control is hot when enabled and focused, or when the mouse is over it
// (not for edit-like controls, nor with the manager's NoMouseHover).
bool IsHot(const QWidget* Control, const TkCommonData& Data, bool FocusOnly);

// Shows or removes the hover glow of a control by the section's glow rules.
void UpdateHoverGlow(QWidget* Control, const TkCommonData& Data, bool Show);

} // namespace skin
