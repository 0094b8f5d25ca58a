// The scan of the photo folder into the main window's photo list, and the fitting of the page scroll
// bar to it.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "browser/pagemath.h"
#include "platform/errors.h"
#include "platform/filelist.h"
#include "platform/runtime.h"

using namespace MdlSelect;
using namespace platform;

void FrmSelect::ListPhotos()
{
    // The folder is listed whole before anything changes, so that a folder that cannot be listed
    // leaves the list shown before as it was.
    QStringList found;
    std::int32_t count = 0;
    const FolderSnapshot snapshot; // the three kinds come from one read of the folder
    const auto listPattern = [&](const QString& pattern) {
        QString name = Dir(PhotoFolder + pattern, 0);
        while (!name.isEmpty()) {
            found.append(name);
            count = add32(count, 1);
            name = Dir();
        }
    };
    if (UseBmp == 1)
        listPattern(QStringLiteral("\\*.bmp"));
    if (UseJpg == 1)
        listPattern(QStringLiteral("\\*.jpg"));
    if (UseGif == 1)
        listPattern(QStringLiteral("\\*.gif"));

    PhotoCount = count;
    if (count > 0)
        PhotoNames = std::move(found); // the list is never emptied as a whole
    else
        MsgBox(QStringLiteral("ﾌｧｲﾙがありませんでした。"), vbExclamation, AppTitle);

    fitScrollRange(true);
    VScroll.setEnabled(VScroll.Max() >= 1);
    VScroll.setValue(0);
}

void FrmSelect::fitScrollRange(bool tellUnreachable)
{
    const pagemath::PageRange range = pagemath::pageRange(PhotoCount, PageSize);
    VScroll.setMax(PhotoCount < 1 ? std::int16_t(0) : range.lastPage);
    if (!range.clipped) {
        m_toldUnreachable = 0;
        return;
    }
    // A list too long for the page scroll bar: say which photos have no page, once for each limit.
    if (tellUnreachable || m_toldUnreachable != range.firstUnreachable) {
        m_toldUnreachable = range.firstUnreachable;
        MsgBox(QStringLiteral("ﾌｧｲﾙが多すぎるため、%1 個目から %2 個目までのﾌｧｲﾙは表示できません。")
                   .arg(range.firstUnreachable)
                   .arg(PhotoCount),
               vbExclamation, AppTitle);
    }
}
