#include "browser/pagebuild.h"

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "browser/pagemath.h"
#include "platform/runtime.h"

#include <QTimer>
#include <utility>

using namespace platform;

PageBuild::Ticket::Ticket(FrmSelect& window, bool busy) : m_window(&window), m_busy(busy)
{
    window.m_build.begin(busy);
    m_generation = window.m_build.m_generation;
}

PageBuild::Ticket::~Ticket()
{
    if (m_window)
        m_window->m_build.end(m_busy);
    else if (m_busy)
        Screen::setMousePointer(vbDefault); // the window went away under the build
}

bool PageBuild::Ticket::current() const
{
    return m_window && m_window->Loaded() && m_window->m_build.m_generation == m_generation;
}

bool PageBuild::Ticket::yield() const
{
    Ra_Rav::YieldMessage();
    return current();
}

PageBuild::PageBuild(FrmSelect& window) : m_window(window) {}

bool PageBuild::want(std::int32_t page)
{
    m_wanted = page;
    if (m_displays == 0)
        return true;
    ++m_generation; // the display under way stops at its next check
    return false;
}

std::optional<std::int32_t> PageBuild::takeWanted() { return std::exchange(m_wanted, std::nullopt); }

PageBuild::Ticket PageBuild::display() { return Ticket(m_window, false); }

PageBuild::Ticket PageBuild::rebuild() { return Ticket(m_window, true); }

void PageBuild::begin(bool busy)
{
    ++m_generation;
    stopAhead();
    if (m_running++ == 0)
        m_window.MnuFolder.setEnabled(false);
    if (!busy)
        m_peakDisplays = std::max(m_peakDisplays, ++m_displays);
    else
        m_wanted.reset();
    if (busy && m_busy++ == 0) {
        m_made.clear(); // a new page size or a new list: the pages kept are not its pages
        m_window.PageReady = 0;
        Screen::setMousePointer(vbHourglass);
        m_window.FraPhoto.setVisible(false);
    }
}

void PageBuild::end(bool busy)
{
    if (!busy)
        --m_displays;
    if (busy && --m_busy == 0) {
        m_window.FraPhoto.setVisible(true);
        m_window.FraPhoto.Refresh();
        Screen::setMousePointer(vbDefault);
        m_window.PageReady = -1;
    }
    if (--m_running == 0) {
        m_window.MnuFolder.setEnabled(true);
        if (!m_window.Loaded())
            m_batch.drop(); // the window closed in the middle of a page: its decodes are not wanted
        else
            scheduleAhead();
    }
}

PageBuild::Asked PageBuild::ask(const ThumbnailJob& job, std::int32_t page) const
{
    Asked asked;
    asked.key = job.name + QStringLiteral("|%1x%2").arg(job.target.width()).arg(job.target.height());
    if (job.pathError == 0)
        asked.stamp = stampOf(job.systemPath);
    asked.page = page;
    return asked;
}

const QImage* PageBuild::made(const Asked& asked) const
{
    const auto it = m_made.constFind(asked.key);
    const bool current = it != m_made.cend() && asked.stamp.valid() && it->stamp.mtime == asked.stamp.mtime &&
                         it->stamp.mtimeNs == asked.stamp.mtimeNs &&
                         it->stamp.size == asked.stamp.size;
    return current ? &it->image : nullptr;
}

void PageBuild::requestThumbnails(std::int32_t page, const QList<ThumbnailJob>& jobs)
{
    for (auto it = m_made.begin(); it != m_made.end();)
        it = std::abs(it->page - page) > 1 ? m_made.erase(it) : std::next(it);
    m_asked.clear();
    m_ready.clear();
    QList<ThumbnailJob> toMake;
    for (const ThumbnailJob& job : jobs) {
        const Asked asked = ask(job, page);
        if (const QImage* image = made(asked)) {
            m_ready.insert(job.slot, *image);
        } else {
            m_asked.insert(job.slot, asked);
            toMake.append(job);
            toMake.last().stamp = asked.stamp;
        }
    }
    m_batch = m_thumbnails.start(toMake);
}

std::optional<QImage> PageBuild::takeMade(int slot)
{
    const auto ready = m_ready.constFind(slot);
    if (ready == m_ready.cend())
        return std::nullopt;
    const QImage image = *ready;
    m_ready.erase(ready);
    return image;
}

std::optional<ThumbnailResult> PageBuild::takeThumbnail(const Ticket& ticket, int slot)
{
    if (const std::optional<QImage> made = takeMade(slot)) {
        ThumbnailResult result;
        result.image = *made;
        return result;
    }
    // A copy: a newer build may replace the current batch while this one waits.
    ThumbnailBatch batch = m_batch;
    std::optional<ThumbnailResult> result = batch.take(slot, [&ticket] { return ticket.current(); });
    const auto asked = m_asked.constFind(slot);
    if (result && result->error == 0 && ticket.current() && asked != m_asked.cend() && asked->stamp.valid())
        m_made.insert(asked->key, {asked->stamp, result->image, asked->page});
    return result;
}

void PageBuild::pageShown(std::int32_t page) { m_shownPage = page; }

void PageBuild::showScrolledPage()
{
    if (m_busy == 0 && m_shownPage >= 0 && m_window.Loaded() && m_window.PageReady != 0 &&
        m_window.VScroll.Value() != m_shownPage)
        m_window.ShowPage(m_window.VScroll.Value());
}

void PageBuild::scheduleAhead()
{
    const std::uint64_t generation = m_generation;
    QTimer::singleShot(0, &m_window, [this, generation] {
        if (m_generation == generation && m_running == 0 && m_window.Loaded() && m_ahead.isEmpty())
            makeAhead();
    });
}

void PageBuild::makeAhead()
{
    const DriveTableScope drives; // one read of the drive table for both pages
    const std::int32_t shown = m_shownPage;
    const std::int32_t last = m_window.VScroll.Max();
    if (shown < 0 || MdlSelect::PhotoCount < 1 || m_window.PageSize < 1)
        return;
    QList<ThumbnailJob> jobs;
    for (const std::int32_t page : {shown + 1, shown - 1}) {
        if (page < 0 || page > last)
            continue; // no such page
        const std::int32_t filled = pagemath::filledSlots(page, last, MdlSelect::PhotoCount, m_window.PageSize);
        for (ThumbnailJob job : m_window.thumbnailJobs(page, filled)) {
            const Asked asked = ask(job, page);
            // Small files are made on the spot when shown; nothing is left to do ahead for them.
            if (made(asked) || job.pathError != 0 || ThumbnailLoader::smallFile(asked.stamp))
                continue;
            job.slot = int(jobs.size()); // the two pages' jobs, told apart
            job.stamp = asked.stamp;
            m_ahead.insert(job.slot, asked);
            jobs.append(job);
        }
    }
    if (!jobs.isEmpty())
        m_batch = m_thumbnails.start(jobs);
}

void PageBuild::stopAhead()
{
    if (m_ahead.isEmpty())
        return;
    // What was finished is kept; the rest is dropped unstarted.
    ThumbnailBatch batch = m_batch;
    for (auto it = m_ahead.cbegin(); it != m_ahead.cend(); ++it) {
        const std::optional<ThumbnailResult> result = batch.takeIfDone(it.key());
        if (result && result->error == 0 && it->stamp.valid())
            m_made.insert(it->key, {it->stamp, result->image, it->page});
    }
    m_ahead.clear();
    batch.drop();
}

void PageBuild::forgetAhead()
{
    ++m_generation; // and the work ahead already scheduled does not start
    stopAhead();
    m_made.clear();
}

qint64 PageBuild::keptAheadBytes() const
{
    qint64 bytes = 0;
    for (const Made& m : m_made)
        bytes += m.page != m_shownPage ? m.image.sizeInBytes() : 0;
    return bytes;
}
