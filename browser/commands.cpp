#include "browser/frmselect.h"

// The main window's commands: the folder command and the click on a thumbnail.

#include "app/mdlselect.h"
#include "browser/pagemath.h"
#include "folder/frmfolder.h"
#include "platform/errors.h"
#include "platform/runtime.h"
#include "viewer/frmphoto.h"

using namespace MdlSelect;
using namespace platform;

void FrmSelect::MnuFolder_Click()
{
    // Delivered while a page is being built, it does nothing, as its disabled menu item would.
    if (m_build.running())
        return;
    const QPointer<FrmSelect> self(this);
    FrmFolder::Instance()->Show(1);
    if (!self || !Loaded())
        return; // the program is ending
    if (ChosenFolder.isEmpty())
        return;
    buildFolder();
    if (self)
        m_build.showScrolledPage();
}

void FrmSelect::buildFolder()
{
    const QString previous = PhotoFolder;
    PhotoFolder = ChosenFolder;
    const PageBuild::Ticket build = m_build.rebuild();
    try {
        ListPhotos();
    } catch (const RuntimeError& e) {
        // The folder went away or cannot be read: the folder, list and page shown before stay.
        const QString folder = PhotoFolder;
        PhotoFolder = previous;
        MsgBox(QStringLiteral("ﾌｫﾙﾀﾞ %1 を読み込めませんでした。\n%2").arg(folder, e.description()), vbExclamation,
               AppTitle);
        return;
    }
    if (!build.current())
        return;
    m_selectedCell = 0; // a new folder selects its first photo
    VScroll.setValue(0);
    if (showPage(VScroll.Value(), build))
        arrangePhotos(build);
}

void FrmSelect::Img_Photo_Click(std::int16_t Index)
{
    // The thumbnails are hidden while a rebuild or a folder build runs: a click delivered then does
    // nothing. During a page change the viewer opens, and the page goes on when it closes.
    if (m_build.busy())
        return;
    PhotoName = Lbl_Photo[Index].Caption();
    m_selectedCell = Index; // the photo clicked is selected as well
    showSelection(pagemath::filledSlots(VScroll.Value(), VScroll.Max(), PhotoCount, PageSize));
    const QPointer<FrmSelect> self(this);
    const QString opened = PhotoName;
    m_build.stopAhead(); // the viewer's picture is wanted now
    FrmPhoto::Instance()->Show(1); // a picture it cannot show is reported there, and it does not open
    if (!self || !Loaded())
        return;
    // The viewer may have stepped through the folder: the page of the last photo it showed comes, with
    // that photo selected.
    if (PhotoName != opened) {
        const qsizetype k = PhotoNames.indexOf(PhotoName);
        if (k >= 0 && k < PhotoCount)
            selectPhoto(std::int32_t(k));
    }
    if (self && Loaded() && !m_build.running())
        m_build.scheduleAhead();
}
