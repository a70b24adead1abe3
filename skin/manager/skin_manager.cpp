#include "skin/manager/skin_manager.h"

#include "runtime/application.h"
#include "runtime/message_box.h"
#include "skin/archive/skin_archive.h"
#include "skin/manager/auto_skinning.h"
#include "skin/manager/form_provider.h"
#include "skin/manager/hover_glow.h"
#include "skin/manager/preview_server.h"
#include "skin/manager/skin_change.h"
#include "skin/manager/skin_command.h"

#include <QApplication>
#include <QStyle>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QWidget>

namespace skin {
namespace {

TkSkinManager* gDefault = nullptr;
bool gSkinLoading = false;
std::optional<bool> gForcedAnimation;
bool gStdDialogsSkinned = false;

const QString kOptionsFile = QStringLiteral("Options.dat");

// Sets a flag for the length of a scope.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : fFlag(flag), fOld(flag) { fFlag = true; }
    ~FlagScope() { fFlag = fOld; }

private:
    bool& fFlag;
    bool fOld;
};

int systemDpi()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || !QGuiApplication::primaryScreen())
        return 96;
    return int(QGuiApplication::primaryScreen()->logicalDotsPerInch() + 0.5);
}

bool isForm(const QWidget* w)
{
    return w->isWindow() && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip
        && !w->property("Loading").toBool() && !w->property("fluxmiraSkinOverlay").toBool();
}

void sendToTree(QWidget* widget, int command, QObject* manager, const QString& section)
{
    TkSkinCommandEvent event(command, manager);
    event.Section = section;
    SendSkinCommand(widget, event);
    // A copy: answering a command may add children (outer effects, glows).
    const QObjectList children = widget->children();
    for (QObject* child : children) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && !w->isWindow())
            sendToTree(w, command, manager, section);
    }
}

} // namespace

QString DefaultThirdList(int index) { return index == tpButton ? QStringLiteral("TButton") : QStringLiteral(" "); }

TkSkinManager::TkSkinManager(QObject* owner) : QObject(owner), fModel(std::make_unique<TkSkinModel>())
{
    fSysFontScale = SysFontScaleFromDpi(systemDpi());
    fAutoSkinner = std::make_unique<TkAutoSkinner>(this);
    if (!gDefault) {
        gDefault = this;
        fIsDefault = true;
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            fPreviewServer = std::make_unique<TkPreviewServer>();
            fPreviewServer->OnRecord = [this](const TkxSkinData& record) { QueuePreview(record); };
            fPreviewServer->Listen(TkPreviewServer::DefaultPath());
        }
    }
    completeThirdLists();
    if (fSkinDirectory.isEmpty())
        fSkinDirectory = QStringLiteral("c:\\Skins");
}

TkSkinManager::~TkSkinManager()
{
    // The owner is being destroyed: the windows are not told, only let go.
    if (fIsDefault)
        TkHoverGlow::RemoveAll();
    uninstallHook();
    fModel->CommonSkinData.Active = false;
    if (gDefault == this)
        gDefault = nullptr;
}

TkSkinManager* TkSkinManager::DefaultManager() { return gDefault; }

bool TkSkinManager::SkinLoading() { return gSkinLoading; }

void TkSkinManager::completeThirdLists()
{
    for (int i = 0; i < kThirdListCount; ++i) {
        if (fThirdParty[std::size_t(i)].isEmpty())
            fThirdParty[std::size_t(i)] = DefaultThirdList(i);
        QStringList names = fThirdParty[std::size_t(i)].split(u'\n');
        for (QString& name : names) {
            if (name.endsWith(u'\r'))
                name.chop(1);
        }
        fThirdLists[std::size_t(i)] = names;
    }
}

void TkSkinManager::SetThirdParty(int index, const QString& text)
{
    if (index < 0 || index >= kThirdListCount)
        return;
    fThirdParty[std::size_t(index)] = text;
    if (!fReading)
        completeThirdLists();
}

void TkSkinManager::SetInternalSkins(const TkStoredSkins& value) { fInternalSkins = value; }

void TkSkinManager::SetSkinDirectory(const QString& value) { fSkinDirectory = value; }

void TkSkinManager::SetSkinningRules(int value)
{
    fSkinningRules = value;
    recordDialogRule();
}

void TkSkinManager::recordDialogRule()
{
    if (fIsDefault)
        gStdDialogsSkinned = fActive && (fSkinningRules & srStdDialogs);
}

void TkSkinManager::SetIsDefault(bool value)
{
    if (value == fIsDefault)
        return;
    if (value) {
        if (gDefault && gDefault != this)
            gDefault->SetIsDefault(false);
        gDefault = this;
        fIsDefault = true;
        if (SkinActive())
            installHook();
    } else {
        uninstallHook();
        fIsDefault = false;
        if (gDefault == this)
            gDefault = nullptr;
    }
}

QString TkSkinManager::SkinInfo() const
{
    if (!SkinActive())
        return QStringLiteral("N/A");
    return QString::number(fModel->CommonSkinData.Version, 'g', 15);
}

QString TkSkinManager::Version() const { return QStringLiteral("1.0"); }

QString TkSkinManager::GetFullSkinDirectory() const
{
    return FullSkinDirectory(fSkinDirectory, QCoreApplication::applicationDirPath());
}

int TkSkinManager::GetScale() const
{
    switch (Options.ScaleMode) {
    case TkScaleMode::smOldMode: return 0;
    case TkScaleMode::smAuto: return fSysFontScale;
    default: return int(Options.ScaleMode) - int(TkScaleMode::sm100);
    }
}

int TkSkinManager::ScaleInt(int value, int sysScale) const
{
    return ScaleIntBy(value, sysScale, GetScale(), Options.ScaleMode);
}

// --- Choosing and loading a skin ---

void TkSkinManager::SetSkinName(const QString& value)
{
    const QString old = fSkinName;
    fSkinName = value;
    if (fActive) {
        if (OnBeforeChange)
            OnBeforeChange(this);
        if (fExtendedBorders && AnimationAllowed(AnimEffects.SkinChanging))
            TkSkinChangeOverlay::StartAll(AnimEffects.SkinChanging.Time);
        const bool wasActive = SkinActive();
        if (!loadNamed())
            fSkinName = old;
        if (!fActive)
            deactivate();
        else if (!fNoAutoUpdate)
            activate(true);
        if (!wasActive && SkinActive() && !fReading && OnActivate)
            OnActivate(this);
        if (!fNoAutoUpdate && OnAfterChange)
            OnAfterChange(this);
    }
    fSkinList.SkinChanged();
    if (OnSkinListChanged)
        OnSkinListChanged(this);
    recordDialogRule();
}

// Steps 3 to 6 of a name change: the stored name, where the skin comes from, the load.
bool TkSkinManager::loadNamed()
{
    FlagScope loading(gSkinLoading);
    if (fSkinName.size() > 4 && fSkinName.right(4).compare(QStringLiteral(".skz"), Qt::CaseInsensitive) == 0)
        fSkinName.chop(4);
    const QString dir = GetFullSkinDirectory();
    fSkinIsPacked = QFileInfo(dir + fSkinName + QStringLiteral(".skz")).isFile();
    if (fPreviewMode && QFileInfo(dir + fSkinName).isDir())
        fSkinIsPacked = false;
    try {
        if (fSkinIsPacked)
            ReloadPackedSkin();
        else
            ReloadSkin();
        return true;
    } catch (const std::exception& e) {
        showError(e.what());
        return false;
    }
}

std::unique_ptr<TkSkinModel> TkSkinManager::newModel() const
{
    auto model = std::make_unique<TkSkinModel>();
    model->Scale = GetScale();
    model->HueOffset = fHueOffset;
    model->Saturation = fSaturation;
    model->Brightness = fBrightness;
    model->CommonSections = fCommonSections;
    model->OnVersionWarning = [this](const std::string& text) {
        const_cast<TkSkinManager*>(this)->showUnskinnedBox(text, "Warning", runtime::BoxIcon::Warning, false);
    };
    return model;
}

// Loads into a fresh model and puts it in place only when the whole load
// succeeded, so a broken skin leaves the current one as it was.
void TkSkinManager::install(std::unique_ptr<TkSkinModel> model, const TkLoadSource& source)
{
    model->Load(source);
    model->CommonSkinData.SkinPath = source.SkinPath;
    model->CommonSkinData.Active = false;
    const bool keep = fModel->CommonSkinData.Active;
    fModel = std::move(model);
    fModel->CommonSkinData.Active = keep;
    if (OnSkinLoading)
        OnSkinLoading(this);
}

void TkSkinManager::ReloadSkin()
{
    if (!fActive)
        return;
    FlagScope loading(gSkinLoading);
    QString skinPath = GetFullSkinDirectory() + fSkinName + u'/';
    std::optional<TkOptionsTable> options;
    std::unique_ptr<TkxSkinConvertor> convertor;
    if (fPreviewMode) {
        options = TkOptionsTable::FromBytes(fPreviewBuffer.Data);
    } else if (QFile file(skinPath + kOptionsFile); QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly)) {
        options = TkOptionsTable::FromBytes(file.readAll());
        fSkinIsPacked = false;
    } else {
        skinPath.clear();
        const TkStoredSkin* chosen = nullptr;
        for (const TkStoredSkin& s : fInternalSkins) {
            if (s.Name == fSkinName) {
                chosen = &s;
                break;
            }
        }
        if (!chosen && !fInternalSkins.empty()) {
            chosen = &fInternalSkins.front();
            fSkinName = chosen->Name;
        }
        if (!chosen) {
            fActive = false;
            return;
        }
        fSkinIsPacked = !chosen->PackedData.isEmpty();
        if (fSkinIsPacked) {
            convertor = std::make_unique<TkxSkinConvertor>();
            convertor->PackedData = chosen->PackedData;  // shared, not copied
            UnpackSkinArchive(*convertor, [this](const std::string& text) {
                showUnskinnedBox(text, "Error", runtime::BoxIcon::Error, true);
            });
            convertor->PackedData.clear();
            if (!convertor->Options)
                throw runtime::Error(InternalFormatErrorText(fSkinName.toStdString()));
            options = TkOptionsTable::FromBytes(*convertor->Options);
        }
    }
    install(newModel(), {options ? &*options : nullptr, convertor.get(), skinPath});
}

void TkSkinManager::ReloadPackedSkin()
{
    if (!fActive)
        return;
    FlagScope loading(gSkinLoading);
    std::unique_ptr<TkxSkinConvertor> convertor;
    LoadPackedSkinFile(GetFullSkinDirectory() + fSkinName + QStringLiteral(".skz"), convertor,
                       [this](const std::string& text) {
                           showUnskinnedBox(text, "Error", runtime::BoxIcon::Error, true);
                       });
    if (!convertor || !convertor->Options)
        throw runtime::Error(InternalFormatErrorText(fSkinName.toStdString()));
    const TkOptionsTable options = TkOptionsTable::FromBytes(*convertor->Options);
    install(newModel(), {&options, convertor.get(), GetFullSkinDirectory()});
}

void TkSkinManager::showError(const std::string& text, bool warning)
{
    runtime::ShowMessageBox(text, warning ? "Warning" : "Error",
                            warning ? runtime::BoxIcon::Warning : runtime::BoxIcon::Error);
}

void TkSkinManager::showUnskinnedBox(const std::string& text, const std::string& caption, runtime::BoxIcon icon,
                                     bool sysColors)
{
    const int rules = fSkinningRules;
    const bool changeSysColors = Options.ChangeSysColors;
    fSkinningRules &= ~srStdDialogs;
    if (sysColors)
        Options.ChangeSysColors = false;
    runtime::ShowMessageBox(text, caption, icon);
    fSkinningRules = rules;
    Options.ChangeSysColors = changeSysColors;
}

// --- Applying and removing ---

void TkSkinManager::Loaded()
{
    fReading = false;
    if (fSkinDirectory.isEmpty())
        fSkinDirectory = QStringLiteral("c:\\Skins");
    if (MenuSupport.IcoLineSkin.isEmpty())
        MenuSupport.IcoLineSkin = QStringLiteral("ICOLINE");
    completeThirdLists();
    const bool wasActive = SkinActive();
    if (fActive && !fSkinName.isEmpty())
        activate(false);
    if (!wasActive && SkinActive() && OnActivate)
        OnActivate(this);
}

void TkSkinManager::AttachForm(QWidget* window)
{
    if (fIsDefault && SkinActive() && window)
        fAutoSkinner->Offer(window);
}

void TkSkinManager::activate(bool repaint)
{
    if (fReading)
        return;
    FlagScope state(fSkinLoadingState);
    if (fIsDefault)
        TkHoverGlow::RemoveAll();
    // Painted once, with the whole new skin, when the freezer goes.
    const TkFormFreezer freezer(repaint);
    fModel->CommonSkinData.Active = false;
    Broadcast(KM_SETNEWSKIN);
    fModel->CommonSkinData.Active = true;
    if (fIsDefault && !fHookInstalled)
        installHook();
    applyFontMode();
    if (repaint)
        RepaintForms(false);
}

// The application font the skin asks for (fmFromSkin: its MainFont, or the
// stored default when it names none; fmCustom: Fonts.MainFont).
void TkSkinManager::applyFontMode()
{
    if (Fonts.MainMode == TkFontMode::fmDefault)
        return;
    if (fDefStoredFontName.isEmpty())
        StoreDefFont();
    QString name = Fonts.MainMode == TkFontMode::fmCustom ? Fonts.MainFont : fModel->CommonSkinData.MainFont;
    if (name.isEmpty())
        name = fDefStoredFontName;
    ChangeAppFont(name, false);
}

void TkSkinManager::deactivate()
{
    if (Fonts.MainMode != TkFontMode::fmDefault && !QCoreApplication::closingDown() && !fDefStoredFontName.isEmpty())
        ChangeAppFont(fDefStoredFontName, false);
    if (fIsDefault)
        TkHoverGlow::RemoveAll();
    uninstallHook();
    fModel->CommonSkinData.Active = false;
    Broadcast(KM_REMOVESKIN);
    fModel = std::make_unique<TkSkinModel>();
    if (OnDeactivate)
        OnDeactivate(this);
}

void TkSkinManager::SetActive(bool value)
{
    if (value == fActive)
        return;
    fActive = value;
    if (fReading)
        return;
    if (value)
        SetSkinName(fSkinName);
    else
        deactivate();
    recordDialogRule();
}

void TkSkinManager::installHook()
{
    fAutoSkinner->Install();
    fHookInstalled = true;
    // Windows already on screen are offered now rather than at their next activation.
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible())
                fAutoSkinner->Offer(w);
        }
    }
}

void TkSkinManager::uninstallHook()
{
    if (fAutoSkinner)
        fAutoSkinner->Uninstall();
    fHookInstalled = false;
}

void TkSkinManager::Broadcast(int command, const QString& section)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    const QWidgetList forms = QApplication::topLevelWidgets();
    for (auto it = forms.crbegin(); it != forms.crend(); ++it) {
        if (isForm(*it))
            sendToTree(*it, command, this, section);
    }
    for (TkxProvider* provider : TkxProvider::Attachments()) {
        if (provider->Window()->isVisible() || command == KM_SETNEWSKIN || command == KM_REMOVESKIN) {
            TkSkinCommandEvent event(command, this);
            event.Section = section;
            SendSkinCommand(provider, event);
        }
    }
}

void TkSkinManager::UpdateSkin(bool repaint)
{
    if (fActive)
        activate(repaint);
}

void TkSkinManager::UpdateSkinSection(const QString& sectionName)
{
    Broadcast(KM_REPAINTSECTION, sectionName.toUpper());
}

void TkSkinManager::RepaintForms(bool)
{
    Broadcast(KM_BEFOREREFRESH);
    Broadcast(KM_REFRESH);
    for (TkxProvider* provider : TkxProvider::Attachments())
        provider->Window()->update();
}

void TkSkinManager::EndUpdate(bool repaint, bool allowAnimation)
{
    fNoAutoUpdate = false;
    const bool animation = AnimEffects.SkinChanging.Active;
    if (!allowAnimation)
        AnimEffects.SkinChanging.Active = false;
    UpdateSkin(repaint);
    AnimEffects.SkinChanging.Active = animation;
    if (OnAfterChange)
        OnAfterChange(this);
}

QStringList TkSkinManager::GetExternalSkinNames() const
{
    QStringList names;
    const QDir dir(GetFullSkinDirectory());
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (info.fileName().startsWith(u'.'))
            continue;
        if (info.isFile() && info.fileName().endsWith(QStringLiteral(".skz"), Qt::CaseSensitive))
            names << info.fileName().chopped(4);
        else if (info.isDir() && QFileInfo(info.filePath() + u'/' + kOptionsFile).isFile())
            names << info.fileName();
    }
    return names;
}

QStringList TkSkinManager::GetSkinNames() const
{
    QStringList names;
    if (fSkinsFilter & sfiInternal) {
        for (const TkStoredSkin& s : fInternalSkins)
            names << s.Name;
    }
    if (fSkinsFilter & sfiExternal)
        names << GetExternalSkinNames();
    return names;
}

int TkSkinManager::ManagerState() const
{
    return (fFontChanging ? msFontChanging : 0) | (fSkinLoadingState ? msSkinLoading : 0);
}

void TkSkinManager::StoreDefFont()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        fDefStoredFontName = QGuiApplication::font().family();
}

void TkSkinManager::ChangeAppFont(const QString& fontName, bool doLockForms)
{
    if (fontName.isEmpty() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QFont font = QApplication::font();
    if (font.family() == fontName)
        return;
    FlagScope changing(fFontChanging);
    const TkFormFreezer freezer(doLockForms);
    fDefOldFontName = font.family();
    fDefNewFontName = fontName;
    font.setFamilies({fontName});
    QApplication::setFont(font);
    Broadcast(KM_FONTCHANGED);
    if (OnFontChanged)
        OnFontChanged(this);
}

bool TkSkinManager::PlatformAnimates(const QWidget* widget)
{
    if (gForcedAnimation)
        return *gForcedAnimation;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    if (platform == u"offscreen" || platform == u"minimal")
        return false;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    return style->styleHint(QStyle::SH_Widget_Animation_Duration, nullptr, widget) > 0;
}

void TkSkinManager::ForcePlatformAnimates(std::optional<bool> forced) { gForcedAnimation = forced; }

bool TkSkinManager::AnimationAllowed(const TkxAnimation& kind, const QWidget* widget) const
{
    return Effects.AllowAnimation && kind.Active && kind.Time > 0 && PlatformAnimates(widget);
}

// --- Live preview ---

void TkSkinManager::QueuePreview(const TkxSkinData& record)
{
    if (record.Magic != kPreviewMagic)
        return;
    fPreviewBuffer = record;
    PostSkinCommand(this, KM_APPLYPREVIEW, this);
}

void TkSkinManager::applyPreview()
{
    const QString oldDirectory = fSkinDirectory;
    const QString oldName = fSkinName;
    BeginUpdate();
    {
        FlagScope preview(fPreviewMode);
        fSkinDirectory = QString::fromLocal8Bit(fPreviewBuffer.SkinDir);
        SetSkinName(QString::fromLocal8Bit(fPreviewBuffer.SkinName));
        if (fSkinName == oldName && QString::fromLocal8Bit(fPreviewBuffer.SkinName) != oldName)
            fSkinDirectory = oldDirectory;  // the preview did not load: keep where the skin came from
    }
    EndUpdate(true, false);
}

bool TkSkinManager::event(QEvent* event)
{
    if (event->type() != TkSkinCommandEvent::EventType())
        return QObject::event(event);
    if (static_cast<TkSkinCommandEvent*>(event)->Command == KM_APPLYPREVIEW)
        runtime::RunGuarded([this] { applyPreview(); });
    return true;
}

} // namespace skin
