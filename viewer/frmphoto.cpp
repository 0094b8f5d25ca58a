#include "viewer/frmphoto.h"

#include "app/mdlselect.h"
#include "platform/errors.h"
#include "platform/picture.h"
#include "platform/runtime.h"

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
    // The inner area, not the outer size, takes the picture's size.
    setWidth(PicPhoto.Width() + (Width() - ScaleWidth()));
    setHeight(PicPhoto.Height() + (Height() - ScaleHeight()));
    setTop(0);
    setLeft(0);
}

void FrmPhoto::Form_Unload(std::int16_t& /*Cancel*/) { clearReference(); }
