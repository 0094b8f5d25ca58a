#include "viewer/frmphoto.h"

#include "app/mdlselect.h"
#include "browser/frmselect.h"
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

namespace {
// The main window's photos, in their order (none without the main window).
QStringList photoNames()
{
    const FrmSelect* main = FrmSelect::Existing();
    return main ? main->PhotoNames.mid(0, std::max(PhotoCount, 0)) : QStringList();
}
} // namespace

void FrmPhoto::Form_Load()
{
    m_index = std::int32_t(photoNames().indexOf(PhotoName));
    PicPhoto.setFitted(s_fitted);
    // A picture gone since the scan, or one that cannot be read: told, and the window does not open.
    if (!showPhoto(PhotoName))
        Unload();
}

bool FrmPhoto::showPhoto(const QString& name)
{
    const QString path = PhotoFolder + QStringLiteral("\\") + name;
    try {
        PicPhoto.setPicture(LoadPicture(path));
    } catch (const RuntimeError& e) {
        QString reason = e.description();
        if (!e.detail().isEmpty() && e.detail() != path)
            reason += QStringLiteral("\n") + e.detail();
        MsgBox(QStringLiteral("%1 を表示できません。\n%2").arg(path, reason), vbExclamation, AppTitle);
        return false;
    }
    PhotoName = name;
    setCaption(PhotoFolder + QStringLiteral("\\") + PhotoName);
    fitWindow();
    return true;
}

void FrmPhoto::fitWindow()
{
    // The inner area takes the picture's size, as far as the screen's work area less the frame allows;
    // a larger picture is scrolled inside it, or, fitted, scaled down to the largest size that fits.
    const float frameWidth = Width() - ScaleWidth();
    const float frameHeight = Height() - ScaleHeight();
    const ScreenArea area = WorkArea();
    const QSizeF picture = PicPhoto.PictureSize();
    const QSizeF room(area.width - frameWidth, area.height - frameHeight);
    const QSizeF inner = s_fitted ? viewerfit::fittedSize(picture, room)
                                  : viewerfit::innerSize(picture, room, PicPhoto.ScrollBarSize());
    PicPhoto.Move(0, 0, float(inner.width()), float(inner.height()));
    setWidth(float(inner.width()) + frameWidth);
    setHeight(float(inner.height()) + frameHeight);
    setTop(area.top);
    setLeft(area.left);
}

void FrmPhoto::step(int by)
{
    const QStringList names = photoNames();
    const std::int64_t to = std::int64_t(m_index) + by;
    if (m_index < 0 || to < 0 || to >= names.size())
        return;
    m_index = std::int32_t(to); // past a photo that cannot be shown, the next step goes on from it
    showPhoto(names.at(qsizetype(to)));
}

void FrmPhoto::Form_KeyDown(int KeyCode, int /*Shift*/)
{
    switch (KeyCode) {
    case vbKeyEscape: Unload(); break; // as the close box
    case vbKeySpace:
    case vbKeyRight: step(1); break; // Left and Right arrive here only when the picture fits across
    case vbKeyBack:
    case vbKeyLeft: step(-1); break;
    case vbKeyF:
        s_fitted = !s_fitted;
        PicPhoto.setFitted(s_fitted);
        fitWindow();
        break;
    default: break;
    }
}

void FrmPhoto::Form_Resize()
{
    // The picture box fills the inner area, so that a window the user makes larger or smaller scrolls
    // what no longer fits.
    if (WindowState() != 1)
        PicPhoto.Move(0, 0, ScaleWidth(), ScaleHeight());
}

void FrmPhoto::Form_Unload(std::int16_t& /*Cancel*/) { clearReference(); }
