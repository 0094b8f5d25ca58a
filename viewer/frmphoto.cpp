#include "viewer/frmphoto.h"

#include "app/mdlselect.h"
#include "platform/errors.h"
#include "platform/pictures/picture.h"
#include "platform/runtime.h"
#include "viewer/viewerfit.h"

using namespace platform;
using namespace MdlSelect;

FrmPhoto::FrmPhoto()
    : Form(QStringLiteral("FrmPhoto"), 2430, 825),
      PicPhoto(client(), QStringLiteral("PicPhoto"))
{
    PicPhoto.Move(0, 0, 1605, 555);
    PicPhoto.AutoSize = true;
}

FrmPhoto::~FrmPhoto() = default;

void FrmPhoto::Form_Load()
{
    const QString path = PhotoFolder + QStringLiteral("\\") + PhotoName;
    try {
        PicPhoto.setPicture(LoadPicture(path));
    } catch (const RuntimeError& e) {
        // A picture gone since the scan, or one that cannot be read: say so, and do not open.
        QString reason = e.description();
        if (!e.detail().isEmpty() && e.detail() != path)
            reason += QStringLiteral("\n") + e.detail();
        MsgBox(QStringLiteral("%1 を表示できません。\n%2").arg(path, reason), vbExclamation, AppTitle);
        Unload();
        return;
    }
    setCaption(PhotoFolder + QStringLiteral("\\") + PhotoName);
    // The inner area takes the picture's size, as far as the screen's work area less the frame allows;
    // a larger picture is scrolled inside it.
    const float frameWidth = Width() - ScaleWidth();
    const float frameHeight = Height() - ScaleHeight();
    const ScreenArea area = WorkArea();
    const QSizeF inner = viewerfit::innerSize(QSizeF(PicPhoto.Width(), PicPhoto.Height()),
                                              QSizeF(area.width - frameWidth, area.height - frameHeight),
                                              PicPhoto.ScrollBarSize());
    PicPhoto.Move(0, 0, float(inner.width()), float(inner.height()));
    setWidth(float(inner.width()) + frameWidth);
    setHeight(float(inner.height()) + frameHeight);
    setTop(area.top);
    setLeft(area.left);
}

void FrmPhoto::Form_Resize()
{
    // The picture box fills the inner area, so that a window the user makes larger or smaller scrolls
    // what no longer fits.
    if (WindowState() != 1)
        PicPhoto.Move(0, 0, ScaleWidth(), ScaleHeight());
}

void FrmPhoto::Form_Unload(std::int16_t& /*Cancel*/) { clearReference(); }
