#pragma once
// TkSkinManager: chooses where the current skin comes from (a packed file, a
// folder or an internal skin), loads it into its model and tells every
// window and skinned control when a skin is set, refreshed or removed.
//
// The first manager of the process is the default manager. Only it skins
// ordinary windows automatically (an application-wide event filter, see
// auto_skinning.h) and listens for live preview records (preview_server.h).
//
// Loading state: a window that builds its stored values calls BeginLoading()
// before setting the properties and Loaded() once at the end; the activation
// broadcast is held back until then.

#include "runtime/message_box.h"
#include "skin/archive/stored_skin.h"
#include "skin/manager/preview_record.h"
#include "skin/manager/skin_list.h"
#include "skin/manager/skin_paths.h"
#include "skin/model/skin_model.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace skin {

class TkAutoSkinner;
class TkPreviewServer;

enum TkSkinsFilterItem { sfiInternal = 1, sfiExternal = 2 };
enum TkManagerStateItem { msFontChanging = 1, msSkinLoading = 2 };
enum TkSkinningRule { srStdForms = 1, srStdDialogs = 2, srThirdParty = 4 };

inline constexpr int kThirdListCount = 23;
// The ThirdParty lists, in their order.
enum TkThirdList {
    tpEdit, tpButton, tpBitBtn, tpCheckBox, tpComboBox, tpGrid, tpGroupBox, tpListView, tpPanel, tpTreeView,
    tpMaskEdit, tpVirtualList, tpExtGrid, tpPageControl, tpTabControl, tpToolBar, tpStatusBar, tpSpeedButton,
    tpScrollControl, tpUpDown, tpScrollBar, tpStaticText, tpNativePaint
};
// The default text of a ThirdParty list: a single space, "TButton" for the buttons.
QString DefaultThirdList(int Index);

enum class TkArrowsStyle { arsDefault, arsSolid, arsLines };
enum class TkOptimizingPriority { opSpeed, opMemory };

struct TkxOptions {
    bool NoMouseHover = false;
    bool StdGlyphsOrder = false;
    bool ChangeSysColors = false;
    bool CheckEmptyAlpha = false;
    bool StdImgTransparency = false;
    bool NativeBordersMaximized = false;
    TkScaleMode ScaleMode = TkScaleMode::smOldMode;
    TkArrowsStyle ArrowsStyle = TkArrowsStyle::arsDefault;
    TkOptimizingPriority OptimizingPriority = TkOptimizingPriority::opSpeed;
};

struct TkxSkinEffects {
    bool AllowGlowing = true;
    bool AllowAnimation = true;
    bool AllowAeroBluring = true;
    bool AllowOuterEffects = true;
    bool DiscoloredGlyphs = false;
};

struct TkxAnimation {
    bool Active = true;
    int Time = 100;  // ms
    int Mode = 0;
};

struct TkxAnimEffects {
    TkxAnimation BlendOnMoving, Buttons, DialogShow, DialogHide, FormShow, FormHide, Minimizing, PageChange,
        SkinChanging;
};

struct TkxButtonsSupport {
    bool ShowFocusRect = true;
    bool ShiftContentOnClick = false;
};

struct TkxLabelsSupport {
    bool TransparentAlways = true;
};

struct TkxScrollBarsSupport {
    int ScrollSize = -1;
    int ButtonsSize = -1;
};

struct TkxMenuSupport {
    bool UseExtraLine = false;
    QString IcoLineSkin;  // "ICOLINE" after loading when empty
};

enum class TkFontMode { fmDefault, fmFromSkin, fmCustom };

struct TkxFonts {
    QString MainFont;
    TkFontMode MainMode = TkFontMode::fmDefault;
};

class TkSkinManager : public QObject {
    Q_OBJECT
public:
    explicit TkSkinManager(QObject* owner = nullptr);
    ~TkSkinManager() override;

    // The default manager of the process (the first one), or nullptr.
    static TkSkinManager* DefaultManager();
    // True while any manager loads a skin.
    static bool SkinLoading();

    // --- Stored properties ---
    bool Active() const { return fActive; }
    void SetActive(bool Value);
    QString SkinName() const { return fSkinName; }
    void SetSkinName(const QString& Value);
    QString SkinDirectory() const { return fSkinDirectory; }
    void SetSkinDirectory(const QString& Value);
    const TkStoredSkins& InternalSkins() const { return fInternalSkins; }
    void SetInternalSkins(const TkStoredSkins& Value);
    int SkinsFilter() const { return fSkinsFilter; }
    void SetSkinsFilter(int Value) { fSkinsFilter = Value; }
    int SkinningRules() const { return fSkinningRules; }
    void SetSkinningRules(int Value);
    const std::array<QString, kThirdListCount>& ThirdParty() const { return fThirdParty; }
    void SetThirdParty(int Index, const QString& Text);
    const std::array<QStringList, kThirdListCount>& ThirdLists() const { return fThirdLists; }
    bool IsDefault() const { return fIsDefault; }
    void SetIsDefault(bool Value);
    bool SkinnedPopups() const { return fSkinnedPopups; }
    void SetSkinnedPopups(bool Value) { fSkinnedPopups = Value; }
    bool ExtendedBorders() const { return fExtendedBorders; }
    void SetExtendedBorders(bool Value) { fExtendedBorders = Value; }
    int HueOffset() const { return fHueOffset; }
    void SetHueOffset(int Value) { fHueOffset = Value; }
    int Saturation() const { return fSaturation; }
    void SetSaturation(int Value) { fSaturation = Value; }
    int Brightness() const { return fBrightness; }
    void SetBrightness(int Value) { fBrightness = Value; }
    const QStringList& CommonSections() const { return fCommonSections; }
    void SetCommonSections(const QStringList& Value) { fCommonSections = Value; }
    // "N/A" while no skin is active, else the skin's version ("10" for 10.00).
    QString SkinInfo() const;
    void SetSkinInfo(const QString&) {}
    QString Version() const;

    TkxOptions Options;
    TkxSkinEffects Effects;
    TkxAnimEffects AnimEffects;
    TkxButtonsSupport ButtonsOptions;
    TkxLabelsSupport LabelsOptions;
    TkxScrollBarsSupport ScrollsOptions;
    TkxMenuSupport MenuSupport;
    TkxFonts Fonts;

    // --- Events (unassigned ones are skipped) ---
    std::function<void(TkSkinManager*)> OnActivate;
    std::function<void(TkSkinManager*)> OnDeactivate;
    std::function<void(TkSkinManager*)> OnBeforeChange;
    std::function<void(TkSkinManager*)> OnAfterChange;
    std::function<void(TkSkinManager*)> OnSkinLoading;
    std::function<void(TkSkinManager*)> OnSkinListChanged;
    std::function<void(TkSkinManager*)> OnFontChanged;
    std::function<void(TkSkinManager*)> OnScaleChanged;
    std::function<void(TkSkinManager*)> OnScaleModeChange;
    // May refuse a dialog that belongs to no form by setting Allow to false.
    std::function<void(QWidget* Dialog, bool& Allow)> OnSysDlgInit;

    // --- Loading state of the owning window ---
    void BeginLoading() { fReading = true; }
    bool Reading() const { return fReading; }
    void Loaded();

    // msFontChanging and msSkinLoading bits while they happen.
    int ManagerState() const;

    // --- Operations ---
    void UpdateSkin(bool Repaint = true);
    void UpdateSkinSection(const QString& SectionName);
    void RepaintForms(bool DoLockForms = true);
    void BeginUpdate() { fNoAutoUpdate = true; }
    void EndUpdate(bool Repaint = true, bool AllowAnimation = true);
    void ReloadSkin();
    void ReloadPackedSkin();
    QString GetFullSkinDirectory() const;
    QStringList GetSkinNames() const;
    QStringList GetExternalSkinNames() const;
    int GetScale() const;
    int ScaleInt(int Value, int SysScale = 0) const;
    int SysFontScale() const { return fSysFontScale; }

    // The skins to choose from, with their previews (filled by UpdateData).
    TkxSkinListController& SkinListController() { return fSkinList; }

    // --- Application font ---
    // Gives the application font the family FontName (keeping its size),
    // tells every window (KM_FONTCHANGED) and fires OnFontChanged; with
    // DoLockForms the skinned forms are not painted in between.
    void ChangeAppFont(const QString& FontName, bool DoLockForms = true);
    // Remembers the application font's family as the default one, restored
    // when a skin that changed the font goes away.
    void StoreDefFont();
    QString DefStoredFontName() const { return fDefStoredFontName; }
    QString DefOldFontName() const { return fDefOldFontName; }
    QString DefNewFontName() const { return fDefNewFontName; }

    // --- Animations ---
    // An animation of this kind may run on Widget: the skin's effects allow
    // animation, the kind is active with a duration, and the platform animates.
    bool AnimationAllowed(const TkxAnimation& Kind, const QWidget* Widget = nullptr) const;
    // The platform animates widgets: its style's widget animation duration is
    // not 0 and it shows frames on a screen (not the offscreen or minimal
    // platform), unless forced one way or the other.
    static bool PlatformAnimates(const QWidget* Widget = nullptr);
    // Lets tests on a platform without a screen run the animations (true) or
    // keep them off (false); nullopt returns to the platform's own answer.
    static void ForcePlatformAnimates(std::optional<bool> Forced);

    // --- The loaded skin ---
    const TkSkinModel& Model() const { return *fModel; }
    TkSkinModel& Model() { return *fModel; }
    const TkSkinData& CommonSkinData() const { return fModel->CommonSkinData; }
    bool SkinIsPacked() const { return fSkinIsPacked; }
    // A skin is applied.
    bool SkinActive() const { return fModel->CommonSkinData.Active; }
    int GetSkinIndex(const QString& Section) const { return fModel->GetSkinIndex(Section); }
    // Offers a window (normally the owner, once it is built) to automatic skinning.
    void AttachForm(QWidget* Window);

    // --- Live preview ---
    // Copies a checked record into the preview buffer and posts KM_APPLYPREVIEW.
    void QueuePreview(const TkxSkinData& Record);
    const TkPreviewServer* PreviewServer() const { return fPreviewServer.get(); }
    bool PreviewInProgress() const { return fPreviewMode; }

    // Sends a command to every window and control (see the .cpp for the order).
    void Broadcast(int Command, const QString& Section = QString());

    TkAutoSkinner* AutoSkinner() const { return fAutoSkinner.get(); }
    bool GlobalHookInstalled() const { return fHookInstalled; }

protected:
    bool event(QEvent* Event) override;

private:
    void completeThirdLists();
    bool loadNamed();
    std::unique_ptr<TkSkinModel> newModel() const;
    void install(std::unique_ptr<TkSkinModel> Model, const TkLoadSource& Source);
    void activate(bool Repaint);
    void deactivate();
    void installHook();
    void uninstallHook();
    void applyPreview();
    void applyFontMode();
    void showError(const std::string& Text, bool Warning = false);
    // A box shown with the dialog skinning rule (and, with SysColors, the
    // system colour option) switched off, both restored afterwards.
    void showUnskinnedBox(const std::string& Text, const std::string& Caption, runtime::BoxIcon Icon, bool SysColors);
    void recordDialogRule();

    bool fActive = true;
    QString fSkinName;
    QString fSkinDirectory;
    TkStoredSkins fInternalSkins;
    int fSkinsFilter = sfiInternal | sfiExternal;
    int fSkinningRules = srStdForms | srStdDialogs | srThirdParty;
    std::array<QString, kThirdListCount> fThirdParty;
    std::array<QStringList, kThirdListCount> fThirdLists;
    bool fIsDefault = false;
    bool fSkinnedPopups = true;
    bool fExtendedBorders = false;
    int fHueOffset = 0;
    int fSaturation = 0;
    int fBrightness = 0;
    QStringList fCommonSections;

    std::unique_ptr<TkSkinModel> fModel;
    bool fSkinIsPacked = false;
    bool fNoAutoUpdate = false;
    bool fReading = false;
    bool fSkinLoadingState = false;  // msSkinLoading
    bool fFontChanging = false;      // msFontChanging
    QString fDefStoredFontName;
    QString fDefOldFontName;
    QString fDefNewFontName;
    bool fHookInstalled = false;
    bool fPreviewMode = false;
    int fSysFontScale = 0;
    TkxSkinData fPreviewBuffer;
    std::unique_ptr<TkAutoSkinner> fAutoSkinner;
    std::unique_ptr<TkPreviewServer> fPreviewServer;
    TkxSkinListController fSkinList{this};
};

} // namespace skin
