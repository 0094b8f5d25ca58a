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

ThumbnailBatch FrmSelect::requestThumbnails(std::int32_t p, std::int32_t from, std::int32_t last)
{
    QList<ThumbnailJob> jobs;
    for (std::int32_t i = std::max(from, 0); i < last; ++i) {
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
    return m_thumbnails.start(jobs);
}

void FrmSelect::ShowPage(std::int32_t p)
{
    const std::int32_t n = pagemath::filledSlots(p, VScroll.Max(), PhotoCount, PageSize);
    const std::int32_t end = PageSize;
    const std::int32_t last = std::min(n, end);
    const QPointer<FrmSelect> self(this);
    // The window may close, or a rebuild overtake this page, during any wait or yield below: the
    // page is then no longer the window's, and this display stops.
    const std::uint64_t rebuilds = m_rebuilds;
    const auto stillShown = [&] { return self && Loaded() && m_rebuilds == rebuilds; };
    // The pictures of the whole page are decoded ahead on the thumbnail threads; each slot below
    // takes its own, in the page's order, and waits for it while window events run.
    ThumbnailBatch thumbs = requestThumbnails(p, 0, last);

    for (std::int32_t i = 0; i < end; ++i) {
        const bool slotExists = Img_Photo.exists(i) && Lbl_Photo.exists(i);
        if (slotExists && i < n) {
            const std::int64_t k = std::int64_t(p) * PageSize + i; // page size and list read afresh
            std::optional<ThumbnailResult> thumb;
            QString name;
            while (!thumb && k >= 0 && k < PhotoNames.size()) {
                name = PhotoNames.at(qsizetype(k));
                const QString key = PhotoFolder + QStringLiteral("\\") + name;
                const QSize size = Img_Photo[i].pictureSize();
                // A display that ran during a wait (a page change, a rebuild) took the threads over:
                // what this one still has to show is asked for again.
                if (thumbs.superseded() || !thumbs.holds(int(i), key, size))
                    thumbs = requestThumbnails(p, i, last);
                thumb = thumbs.take(int(i), stillShown);
                if (!stillShown()) {
                    thumbs.drop();
                    return; // the window was closed, or rebuilt, while the picture was awaited
                }
                if (thumb && (k >= PhotoNames.size() || PhotoNames.at(qsizetype(k)) != name))
                    thumb.reset(); // the list changed meanwhile
            }
            if (thumb) {
                if (thumb->error != 0) {
                    // A picture that cannot be read shows as the empty picture under its own name,
                    // never as the picture the slot showed before.
                    Img_Photo[i].setPicture(LoadPicture());
                } else {
                    const QSize size = Img_Photo[i].pictureSize();
                    QImage image = std::move(thumb->image);
                    if (image.size() != size)
                        image = size.isEmpty() ? QImage()
                                               : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                    Img_Photo[i].setPictureImage(image);
                }
                step([&] { Lbl_Photo[i].setCaption(name); });
            }
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
        Ra_Rav::YieldMessage();
        if (!stillShown()) {
            thumbs.drop();
            return; // the window was closed, or rebuilt, during the yield
        }
    }
    setCaption(pagemath::pageCaption(p, VScroll.Max()));
}

void FrmSelect::VScroll_Change()
{
    if (PageReady == 0)
        return;
    const BuildScope building(*this);
    ShowPage(VScroll.Value());
}
