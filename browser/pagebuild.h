#pragma once
// The one owner of the main window's page builds: which build is the newest, the busy state that a
// rebuild or a folder build shows, the thumbnails being made for the page, and the yield after which
// a build checks that the window is still its own.

#include "platform/thumbnailloader.h"

#include <QList>
#include <QPointer>
#include <cstdint>
#include <optional>

class FrmSelect;

class PageBuild {
public:
    // One build's hold on the window, for the scope it lives in. Starting a build overtakes every
    // build started before it: those find at their next check that they are no longer current, and
    // stop. Made only by display() and rebuild().
    class Ticket {
    public:
        ~Ticket();
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;

        // True while the window is loaded and no newer build has started.
        bool current() const;
        // Lets pending window events run (YieldMessage), then says whether this build is current.
        bool yield() const;

    private:
        friend class PageBuild;
        Ticket(FrmSelect& window, bool busy);

        QPointer<FrmSelect> m_window;
        std::uint64_t m_generation = 0;
        bool m_busy = false;
    };

    explicit PageBuild(FrmSelect& window);

    // A page display through the page scroll bar.
    [[nodiscard]] Ticket display();
    // A rebuild after a page size change, or a folder build. While the outermost one lives, the
    // scroll bar shows no page (PageReady false), the pointer is the hourglass, the thumbnail frame
    // is hidden and thumbnail clicks do nothing; all of it is restored on every way out, the window's
    // closing and run-time errors included.
    [[nodiscard]] Ticket rebuild();

    // True while any build runs: the folder command does nothing then, and its menu item is disabled.
    bool running() const { return m_running > 0; }
    // True while a rebuild or a folder build runs.
    bool busy() const { return m_busy > 0; }

    // Starts making the thumbnails of `jobs` on the thumbnail threads, superseding those asked for
    // before.
    void requestThumbnails(const QList<platform::ThumbnailJob>& jobs);
    // Slot `slot`'s thumbnail, waited for while window events run. Nothing when the slot was not asked
    // for, or when `ticket`'s build stopped being current meanwhile.
    std::optional<platform::ThumbnailResult> takeThumbnail(const Ticket& ticket, int slot);

    // Records that a display of page `page` has ended with its caption written.
    void pageShown(std::int32_t page) { m_shownPage = page; }
    // Once no rebuild or folder build runs: shows the page the scroll bar stands on when it is not the
    // one shown last (a change of the scroll bar that arrived while no page could be shown).
    void showScrolledPage();

private:
    void begin(bool busy);
    void end(bool busy);

    FrmSelect& m_window;
    std::uint64_t m_generation = 0;
    int m_running = 0;
    int m_busy = 0;
    std::int32_t m_shownPage = -1;
    platform::ThumbnailLoader m_thumbnails;
    platform::ThumbnailBatch m_batch;
};
