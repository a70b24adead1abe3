#pragma once
// The in-memory model of a loaded skin: sections (gd), image elements (ma),
// image files (ExtArray), the master bitmap, global values, the two outer
// effects, the palette and the indexes of well-known sections.
//
// The skin manager owns one model. Loading, in this order (Load() runs all):
//   ReadVersion, LoadAllMasks, LoadFonts, LoadAllGeneralData, InitConstantIndexes
// each reading the source given to SetSource (options table, unpacked archive
// or skin folder). Lookups return -1 when nothing is found; a control whose
// section is -1 draws unskinned.
//
// Images: MasterBitmap is ARGB32 with the key colour 0xFF00FF fully
// transparent. External images are ARGB32, or ARGB32_Premultiplied for PNGs
// premultiplied under the skin-version rule. Use ElementImage() to get one
// state image of an element ready to draw.

#include "skin/archive/skin_convertor.h"
#include "skin/model/options_table.h"
#include "skin/model/types.h"

#include <QHash>
#include <QStringList>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace skin {

struct TkLoadSource {
    const TkOptionsTable* Options = nullptr;       // nullptr: no options, all defaults
    const TkxSkinConvertor* Convertor = nullptr;   // files of a packed skin; nullptr for a folder skin
    QString SkinPath;                              // folder of a folder skin, ending in "/"
};

inline constexpr const char* kVersionWarningText =
    "This version of the skin has not complete support by used skin engine release.\r\n"
    "Components must be updated to latest version for using this skin.";

class TkSkinModel {
public:
    TkSkinModel();
    ~TkSkinModel();
    TkSkinModel(const TkSkinModel&) = delete;
    TkSkinModel& operator=(const TkSkinModel&) = delete;

    // --- Settings the manager gives before loading ---
    int Scale = 0;              // scale index 0..3 (100, 125, 150, 200 %), the manager's GetScale
    int HueOffset = 0;
    int Saturation = 0;
    int Brightness = 0;
    QStringList CommonSections; // extra options lines; sections missing from the skin are added
    bool DesktopComposition = true;  // off: premultiplied near-white PNG pixels are capped at 244
    // Shown for a skin newer than the engine (kVersionWarningText); unassigned, skipped.
    std::function<void(const std::string& text)> OnVersionWarning;

    // --- The model ---
    std::vector<TkGeneralData> gd;
    std::vector<TkMaskData> ma;
    std::vector<TkxExtFileData> ExtArray;
    QImage MasterBitmap;
    TkSkinData CommonSkinData;
    std::array<TkxOutEffData, 2> oe;
    TkPalette Palette;
    TkConstantSkinData ConstData;
    std::vector<TkEmbeddedFont> EmbeddedFonts;

    // --- Loading ---
    // Runs the whole sequence on Source; Source is not kept afterwards.
    // Raises runtime::ConvertError for a bad digit field of an image value.
    void Load(const TkLoadSource& Source);
    void SetSource(const TkLoadSource& Source) { fSource = Source; }
    void ReadVersion();
    void LoadAllMasks();
    void LoadFonts();
    void LoadAllGeneralData();
    void InitConstantIndexes();
    void InitMaskIndexes();
    // Frees images and fonts, empties sections, resets every index to -1.
    void Clear();

    // --- Queries ---
    // Lookups keep name and element indexes that follow gd and ma as they
    // grow; change names or owners of existing entries only through Clear().
    int GetSkinIndex(const QString& SkinSection) const;
    bool IsValidSkinIndex(int SkinIndex) const { return SkinIndex >= 0 && SkinIndex < int(gd.size()); }
    bool IsValidImgIndex(int ImageIndex) const { return ImageIndex >= 0 && ImageIndex < int(ma.size()); }
    int GetMaskIndex(int SkinIndex, const QString& Mask) const;
    int GetMaskIndex(const QString& SkinSection, const QString& Mask) const;
    int GetMaskIndex(int SkinIndex, const QString& SkinSection, const QString& Mask) const;
    int GetTextureIndex(int SkinIndex, const QString& PropName) const;
    int GetTextureIndex(int SkinIndex, const QString& SkinSection, const QString& PropName) const;
    int AddNewSection(const QString& AName, int AParentSection, int AStates, int ATransparency,
                      TColor AColor, TColor AFontColor);
    int MakeNewItem(int SkinIndex, const QString& PropertyName, const QString& AClassName,
                    TkxImgType ImgType, const QRect& R, int Count, int DrawMode, int Masktype);
    int GetScale() const { return Scale; }

    TColor GetGlobalColor() const { return Palette[pcMainColor]; }
    TColor GetGlobalFontColor() const { return Palette[pcLabelText]; }
    TColor GetActiveEditColor() const { return Palette[pcEditBG]; }
    TColor GetActiveEditFontColor() const { return Palette[pcEditText]; }
    TColor GetHighLightColor(bool Focused) const
    {
        return Focused ? Palette[pcSelectionBG_Focused] : Palette[pcSelectionBG];
    }
    TColor GetHighLightFontColor(bool Focused) const
    {
        return Focused ? Palette[pcSelectionText_Focused] : Palette[pcSelectionText];
    }

    // The options table of the load in progress (an empty table when none).
    const TkOptionsTable& Options() const;

private:
    friend class TkMaskLoader;
    friend class TkGeneralLoader;

    template <typename Match>
    int findInChain(int SkinIndex, const QString& StopAt, Match match) const;
    void freeFonts();
    void initElementSizes();
    void initSectionIndexes(int SkinIndex);
    void initElementData();
    void applyFallbacks();

    void indexSections() const;
    int parentOf(int SkinIndex) const;
    const std::vector<int>& elementsOf(int SkinIndex) const;
    void invalidateLookups() const { fSectionsIndexed = fElementsIndexed = std::size_t(-1); }

    TkLoadSource fSource;
    // Lookup caches, rebuilt whenever gd or ma has changed size.
    mutable QHash<QString, int> fSectionByName;
    mutable std::vector<int> fParentOf;  // the section ParentClass names, -1 when none
    mutable std::size_t fSectionsIndexed = 0;
    mutable std::vector<std::vector<int>> fElementsBySection;
    mutable std::size_t fElementsIndexed = 0;
};

} // namespace skin
