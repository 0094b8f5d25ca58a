#include "browser/pagebuild.h"

#include "browser/frmselect.h"
#include "platform/runtime.h"

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

PageBuild::Ticket PageBuild::display() { return Ticket(m_window, false); }

PageBuild::Ticket PageBuild::rebuild() { return Ticket(m_window, true); }

void PageBuild::begin(bool busy)
{
    ++m_generation;
    if (m_running++ == 0)
        m_window.MnuFolder.setEnabled(false);
    if (busy && m_busy++ == 0) {
        m_window.PageReady = 0;
        Screen::setMousePointer(vbHourglass);
        m_window.FraPhoto.setVisible(false);
    }
}

void PageBuild::end(bool busy)
{
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
    }
}

void PageBuild::requestThumbnails(const QList<ThumbnailJob>& jobs) { m_batch = m_thumbnails.start(jobs); }

std::optional<ThumbnailResult> PageBuild::takeThumbnail(const Ticket& ticket, int slot)
{
    // A copy: a newer build may replace the current batch while this one waits.
    ThumbnailBatch batch = m_batch;
    return batch.take(slot, [&ticket] { return ticket.current(); });
}

void PageBuild::showScrolledPage()
{
    if (m_busy == 0 && m_shownPage >= 0 && m_window.Loaded() && m_window.PageReady != 0 && m_window.VScroll.Value() != m_shownPage)
        m_window.ShowPage(m_window.VScroll.Value());
}
