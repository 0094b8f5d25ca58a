#include "browser/frmselect.h"

// The main window's commands: the folder command and the click on a thumbnail.

#include "app/mdlselect.h"
#include "folder/frmfolder.h"
#include "platform/errors.h"
#include "platform/runtime.h"
#include "viewer/frmphoto.h"

using namespace MdlSelect;
using namespace platform;

void FrmSelect::MnuFolder_Click()
{
    const QPointer<FrmSelect> self(this);
    FrmFolder::Instance()->Show(1);
    if (!self || !Loaded())
        return; // the program is ending
    if (ChosenFolder.isEmpty())
        return;

    const QString previous = PhotoFolder;
    PhotoFolder = ChosenFolder;
    PageReady = 0;
    Screen::setMousePointer(vbHourglass);
    FraPhoto.setVisible(false);
    const BuildScope building(*this);
    ++m_rebuilds;

    const auto finish = [this] {
        FraPhoto.setVisible(true);
        FraPhoto.Refresh();
        Screen::setMousePointer(vbDefault);
        PageReady = -1;
    };

    try {
        ListPhotos();
    } catch (const RuntimeError& e) {
        // The folder went away or cannot be read: the folder, list and page shown before stay.
        const QString folder = PhotoFolder;
        PhotoFolder = previous;
        MsgBox(QStringLiteral("ﾌｫﾙﾀﾞ %1 を読み込めませんでした。\n%2").arg(folder, e.description()), vbExclamation,
               AppTitle);
        if (!self || !Loaded())
            return;
        finish();
        return;
    }
    if (!self || !Loaded())
        return;

    VScroll.setValue(0);
    ShowPage(VScroll.Value());
    if (!self || !Loaded())
        return;
    ArrangePhotos();
    if (!self || !Loaded())
        return;
    finish();
    catchUpPage(0);
}

void FrmSelect::Img_Photo_Click(std::int16_t Index)
{
    PhotoName = Lbl_Photo[Index].Caption();
    FrmPhoto::Instance()->Show(1); // a picture it cannot show is reported there, and it does not open
}
