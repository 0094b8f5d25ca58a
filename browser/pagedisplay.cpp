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
    // The newest page wins: while a page is being displayed, a change of page only records the page
    // wanted, and the display under way stops at its next check; this loop then displays the page
    // wanted. So one page display at most is ever on the stack.
    if (!m_build.want(p))
        return;
    const QPointer<FrmSelect> self(this);
    while (self && Loaded()) {
        const std::optional<std::int32_t> page = m_build.takeWanted();
        if (!page)
            break;
        const PageBuild::Ticket build = m_build.display();
        showPage(*page, build);
    }
}

bool FrmSelect::showPage(std::int32_t p, const PageBuild::Ticket& build)
{
    const std::int32_t n = pagemath::filledSlots(p, VScroll.Max(), PhotoCount, PageSize);
    const std::int32_t end = PageSize;
    // The pictures of the whole page are decoded ahead on the thumbnail threads, the page's own first.
    m_build.requestThumbnails(p, thumbnailJobs(p, std::min(n, end)));

    // What the window shows follows the page at once: its caption, and in every cell the name of the
    // page's photo with an empty picture (or the one made ahead); no cell keeps anything of another
    // page. A picture that cannot be read stays empty, under its own name.
    setCaption(pagemath::pageCaption(p, VScroll.Max()));
    QList<bool> waiting(qsizetype(std::max(end, 0)), false);
    for (std::int32_t i = 0; i < end; ++i) {
        if (!Img_Photo.exists(i) || !Lbl_Photo.exists(i))
            continue;
        const std::int64_t k = std::int64_t(p) * PageSize + i;
        if (i < n && k >= 0 && k < PhotoNames.size()) {
            const std::optional<QImage> made = m_build.takeMade(int(i));
            Img_Photo[i].setPictureImage(made ? *made : QImage());
            waiting[i] = !made;
            step([&] { Lbl_Photo[i].setCaption(PhotoNames.at(qsizetype(k))); });
            step([&] { Img_Photo[i].setVisible(true); });
            step([&] { Lbl_Photo[i].setVisible(true); });
        } else {
            step([&] { Img_Photo[i].setPicture(LoadPicture()); });
            step([&] { Lbl_Photo[i].setCaption(QString()); });
            step([&] { Img_Photo[i].setVisible(false); });
            step([&] { Lbl_Photo[i].setVisible(false); });
        }
    }
    showSelection(n);

    // Then each cell's thumbnail, in the page's order, as it is made; window events run meanwhile. A
    // newer build started meanwhile (a page change, a rebuild, a folder) or the window's closing stops
    // this one.
    for (std::int32_t i = 0; i < end; ++i) {
        const bool slotExists = Img_Photo.exists(i) && Lbl_Photo.exists(i);
        if (slotExists && waiting[i]) {
            const std::optional<ThumbnailResult> thumb = m_build.takeThumbnail(build, int(i));
            if (!build.current())
                return false;
            if (thumb && thumb->error == 0)
                Img_Photo[i].setPictureImage(thumb->image);
        }
        if (slotExists) {
            Img_Photo[i].Refresh();
            Lbl_Photo[i].Refresh();
        }
        if (!build.yield())
            return false;
    }
    m_build.pageShown(p);
    return true;
}

void FrmSelect::VScroll_Change()
{
    if (PageReady == 0)
        return;
    ShowPage(VScroll.Value());
}
