#include "skin/model/skin_model.h"

#include <QVarLengthArray>

namespace skin {

TkSkinModel::TkSkinModel() { Palette.fill(0); }

TkSkinModel::~TkSkinModel() { freeFonts(); }

const TkOptionsTable& TkSkinModel::Options() const
{
    static const TkOptionsTable empty;
    return fSource.Options ? *fSource.Options : empty;
}

void TkSkinModel::Load(const TkLoadSource& Source)
{
    SetSource(Source);
    try {
        ReadVersion();
        LoadAllMasks();
        LoadFonts();
        LoadAllGeneralData();
        InitConstantIndexes();
    } catch (...) {
        fSource = {};
        throw;
    }
    fSource = {};
}

void TkSkinModel::Clear()
{
    freeFonts();
    gd.clear();
    ma.clear();
    invalidateLookups();
    ExtArray.clear();
    MasterBitmap = QImage();
    oe = {};
    Palette.fill(0);
    ConstData.Reset();
}

void TkSkinModel::indexSections() const
{
    if (fSectionsIndexed == gd.size())
        return;
    fSectionByName.clear();
    for (std::size_t i = gd.size(); i-- > 0;)
        fSectionByName.insert(gd[i].ClassName, int(i));  // the first of a name wins
    fParentOf.assign(gd.size(), -1);
    for (std::size_t i = 0; i < gd.size(); ++i) {
        if (!gd[i].ParentClass.isEmpty())
            fParentOf[i] = fSectionByName.value(gd[i].ParentClass, -1);
    }
    fSectionsIndexed = gd.size();
}

int TkSkinModel::GetSkinIndex(const QString& SkinSection) const
{
    if (SkinSection.isEmpty())
        return -1;
    indexSections();
    return fSectionByName.value(SkinSection, -1);
}

int TkSkinModel::parentOf(int SkinIndex) const
{
    indexSections();
    return fParentOf[std::size_t(SkinIndex)];
}

const std::vector<int>& TkSkinModel::elementsOf(int SkinIndex) const
{
    if (fElementsIndexed != ma.size()) {
        fElementsBySection.assign(gd.size(), {});
        for (std::size_t i = 0; i < ma.size(); ++i) {
            const int section = ma[i].SkinIndex;
            if (section >= 0) {
                if (std::size_t(section) >= fElementsBySection.size())
                    fElementsBySection.resize(std::size_t(section) + 1);
                fElementsBySection[std::size_t(section)].push_back(int(i));
            }
        }
        fElementsIndexed = ma.size();
    }
    static const std::vector<int> none;
    return SkinIndex >= 0 && std::size_t(SkinIndex) < fElementsBySection.size()
        ? fElementsBySection[std::size_t(SkinIndex)]
        : none;
}

// Runs match(skinIndex) on the section and its parents, stopping at a parent
// named StopAt, at a missing parent and at any section seen before.
template <typename Match>
int TkSkinModel::findInChain(int SkinIndex, const QString& StopAt, Match match) const
{
    constexpr int maxDepth = 32;  // as deep as the options reader follows a chain
    QVarLengthArray<int, 16> seen;
    while (IsValidSkinIndex(SkinIndex) && !seen.contains(SkinIndex) && seen.size() < maxDepth) {
        seen.append(SkinIndex);
        const int found = match(SkinIndex);
        if (found >= 0)
            return found;
        if (!StopAt.isNull() && gd[std::size_t(SkinIndex)].ParentClass == StopAt)
            return -1;
        SkinIndex = parentOf(SkinIndex);
    }
    return -1;
}

int TkSkinModel::GetMaskIndex(int SkinIndex, const QString& Mask) const
{
    return GetMaskIndex(SkinIndex, QString(), Mask);
}

int TkSkinModel::GetMaskIndex(int SkinIndex, const QString& SkinSection, const QString& Mask) const
{
    return findInChain(SkinIndex, SkinSection, [&](int index) {
        for (int i : elementsOf(index)) {
            if (ma[std::size_t(i)].PropertyName == Mask)
                return i;
        }
        return -1;
    });
}

int TkSkinModel::GetMaskIndex(const QString& SkinSection, const QString& Mask) const
{
    for (std::size_t i = 0; i < ma.size(); ++i) {
        if (ma[i].ClassName == SkinSection && ma[i].PropertyName == Mask)
            return int(i);
    }
    const int index = GetSkinIndex(SkinSection);
    if (!IsValidSkinIndex(index) || gd[std::size_t(index)].ParentClass.isEmpty()
        || gd[std::size_t(index)].ParentClass == SkinSection)
        return -1;
    return GetMaskIndex(GetSkinIndex(gd[std::size_t(index)].ParentClass), SkinSection, Mask);
}

int TkSkinModel::GetTextureIndex(int SkinIndex, const QString& PropName) const
{
    return GetTextureIndex(SkinIndex, QString(), PropName);
}

int TkSkinModel::GetTextureIndex(int SkinIndex, const QString& SkinSection, const QString& PropName) const
{
    return findInChain(SkinIndex, SkinSection, [&](int index) {
        for (int i : elementsOf(index)) {
            if (ma[std::size_t(i)].PropertyName == PropName && ma[std::size_t(i)].ImgType == TkxImgType::itisaTexture)
                return i;
        }
        return -1;
    });
}

int TkSkinModel::AddNewSection(const QString& AName, int AParentSection, int AStates, int ATransparency,
                               TColor AColor, TColor AFontColor)
{
    TkGeneralData section;
    if (IsValidSkinIndex(AParentSection)) {
        section = gd[std::size_t(AParentSection)];  // vectors copy: gradients are not shared
        section.ParentClass.clear();
    } else {
        section.States = AStates;
        for (TkGenState& state : section.Props) {
            state.Transparency = ATransparency;
            state.Color = AColor;
            state.FontColor = TkFontColor{AFontColor, -1, -1, -1, -1};
        }
    }
    section.ClassName = AName;
    gd.push_back(std::move(section));
    return int(gd.size() - 1);
}

int TkSkinModel::MakeNewItem(int SkinIndex, const QString& PropertyName, const QString& AClassName,
                             TkxImgType ImgType, const QRect& R, int Count, int DrawMode, int Masktype)
{
    TkMaskData item;
    item.SkinIndex = SkinIndex;
    item.PropertyName = PropertyName;
    item.ClassName = AClassName;
    item.ImgType = ImgType;
    item.R = R;
    item.ImageCount = qint16(Count);
    item.DrawMode = qint16(DrawMode);
    item.MaskType = qint16(Masktype);
    item.Manager = this;
    ma.push_back(std::move(item));
    return int(ma.size() - 1);
}

} // namespace skin
