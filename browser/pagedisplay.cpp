// The page display: one page of the photo list in the thumbnail slots, and the page scroll bar's
// change event.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "browser/pagemath.h"
#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/runtime.h"

#include <optional>

using namespace MdlSelect;
using namespace platform;

namespace {
// Runs one step of the page display; a step that fails is skipped and the display goes on.
template <class Step>
void step(Step&& s)
{
    try {
        s();
    } catch (const RuntimeError&) {
    }
}
} // namespace

QList<ThumbnailJob> FrmSelect::thumbnailJobs(std::int32_t p, std::int32_t last) const
{
    QList<ThumbnailJob> jobs;
    for (std::int32_t i = 0; i < last; ++i) {
        const std::int64_t k = std::int64_t(p) * PageSize + i;
        if (!Img_Photo.exists(i) || !Lbl_Photo.exists(i) || k < 0 || k >= PhotoNames.size())
            continue;
        ThumbnailJob job;
        job.slot = int(i);
        job.name = PhotoFolder + QStringLiteral("\\") + PhotoNames.at(qsizetype(k));
        job.target = Img_Photo[i].pictureSize();
        try {
            job.systemPath = toSystemPath(job.name);
        } catch (const RuntimeError& e) {
            job.pathError = e.number();
        }
        jobs.append(job);
    }
    return jobs;
}

void FrmSelect::ShowPage(std::int32_t p)
{
    const PageBuild::Ticket build = m_build.display();
    showPage(p, build);
}

bool FrmSelect::showPage(std::int32_t p, const PageBuild::Ticket& build)
{
    const std::int32_t n = pagemath::filledSlots(p, VScroll.Max(), PhotoCount, PageSize);
    const std::int32_t end = PageSize;
    // The pictures of the whole page are decoded ahead on the thumbnail threads; each slot below
    // takes its own, in the page's order, and waits for it while window events run. A newer build
    // started meanwhile (a page change, a rebuild, a folder) or the window's closing stops this one.
    m_build.requestThumbnails(p, thumbnailJobs(p, std::min(n, end)));

    for (std::int32_t i = 0; i < end; ++i) {
        const bool slotExists = Img_Photo.exists(i) && Lbl_Photo.exists(i);
        const std::int64_t k = std::int64_t(p) * PageSize + i;
        if (slotExists && i < n && k >= 0 && k < PhotoNames.size()) {
            const QString name = PhotoNames.at(qsizetype(k));
            const std::optional<ThumbnailResult> thumb = m_build.takeThumbnail(build, int(i));
            if (!build.current())
                return false;
            if (!thumb || thumb->error != 0) {
                // A picture that cannot be read shows as the empty picture under its own name,
                // never as the picture the slot showed before.
                Img_Photo[i].setPicture(LoadPicture());
            } else {
                const QSize size = Img_Photo[i].pictureSize();
                QImage image = thumb->image;
                if (image.size() != size)
                    image = size.isEmpty() ? QImage()
                                           : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                Img_Photo[i].setPictureImage(image);
            }
            step([&] { Lbl_Photo[i].setCaption(name); });
            step([&] { Img_Photo[i].setVisible(true); });
            step([&] { Lbl_Photo[i].setVisible(true); });
        } else if (slotExists) {
            step([&] { Img_Photo[i].setPicture(LoadPicture()); });
            step([&] { Lbl_Photo[i].setCaption(QString()); });
            step([&] { Img_Photo[i].setVisible(false); });
            step([&] { Lbl_Photo[i].setVisible(false); });
        }
        if (slotExists) {
            Img_Photo[i].Refresh();
            Lbl_Photo[i].Refresh();
        }
        if (!build.yield())
            return false;
    }
    setCaption(pagemath::pageCaption(p, VScroll.Max()));
    m_build.pageShown(p);
    return true;
}

void FrmSelect::VScroll_Change()
{
    if (PageReady == 0)
        return;
    ShowPage(VScroll.Value());
}
