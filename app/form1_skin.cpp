// The window's skin manager with its stored values, and the window's own
// attachment to automatic skinning once it is built.
#include "app/form1.h"

#include "app/skin_choice.h"
#include "skin/manager/skin_manager.h"
#include "skin/internal/internal_skin.h"

#include <QCoreApplication>

namespace app {

void TForm1::Create_Skin_Manager(bool withSkin, const QString& skinChoice)
{
    kSkinManager1 = new skin::TkSkinManager(this);
    kSkinManager1->setObjectName("kSkinManager1");
    kSkinManager1->BeginLoading();
    if (!withSkin)
        return;
    kSkinManager1->SetInternalSkins({skin::InternalStoredSkin()});
    if (skinChoice.isEmpty()) {
        // The folder of the machine the form was designed on; it exists nowhere else.
        kSkinManager1->SetSkinDirectory(QStringLiteral("D:\\Work\\Fluxmira\\Skins"));
        kSkinManager1->SetSkinName(QString::fromUtf8(skin::kInternalSkinName));
    } else {
        // The skin asked for at start replaces the stored one: loaded once, not twice.
        const Skin_Choice choice = Resolve_Skin(skinChoice, QCoreApplication::applicationDirPath());
        kSkinManager1->SetSkinDirectory(choice.Directory);
        kSkinManager1->SetSkinName(choice.Name);
    }
    kSkinManager1->SetSkinInfo(QStringLiteral("10"));
    for (int i = 0; i < skin::kThirdListCount; ++i)
        kSkinManager1->SetThirdParty(i, skin::DefaultThirdList(i));
}

// The window is offered to automatic skinning once FormCreate has laid it
// out, so its frame and caption come from the skin from the first paint.
void TForm1::Attach_Skin()
{
    kSkinManager1->AttachForm(this);
}

} // namespace app
