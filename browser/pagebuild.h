#pragma once
// The one owner of the main window's page builds: which build is the newest, the busy state that a
// rebuild or a folder build shows, the thumbnails being made for the page and for its neighbours,
// and the yield after which a build checks that the window is still its own.

#include "platform/drives.h"
#include "platform/pictures/thumbnailcache.h"
#include "platform/pictures/thumbnailloader.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPointer>
#include <cstdint>
#include <optional>

class FrmSelect;

class PageBuild {
public:
    // One build's hold on the window, for the scope it lives in. Starting a build overtakes every
    // build started before it: those find at their next check that they are no longer current, and
    // stop. Made only by display() and rebuild(). The drive table is read once for the build, not once
    // for each of its files.
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
        platform::DriveTableScope m_drives; // the drive table read once for the whole build
    };

    explicit PageBuild(FrmSelect& window);

    // The newest page wins. Records `page` as the page wanted; true when no page display is under way,
    // and the caller then displays the pages wanted, one after another, until none is left (at most one
    // display is ever on the stack). While a display is under way, it stops at its next check instead,
    // and its caller displays the page wanted after it. A rebuild or a folder build forgets the page
    // wanted: it shows the scroll bar's page itself.
    bool want(std::int32_t page);
    std::optional<std::int32_t> takeWanted();
    // Page displays on the stack now, and the most there were at once since the window was made.
    int displays() const { return m_displays; }
    int peakDisplays() const { return m_peakDisplays; }

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

    // Starts making the thumbnails of page `page`'s `jobs` on the thumbnail threads, superseding
    // whatever was asked for before. A thumbnail made ahead for a file whose size and modification
    // time are unchanged is used as it is. The thumbnails kept are those of `page` and its neighbours.
    void requestThumbnails(std::int32_t page, const QList<platform::ThumbnailJob>& jobs);
    // Slot `slot`'s thumbnail when it was made ahead, taken at once; nothing otherwise.
    std::optional<QImage> takeMade(int slot);
    // Slot `slot`'s thumbnail, waited for while window events run. Nothing when the slot was not asked
    // for, or when `ticket`'s build stopped being current meanwhile.
    std::optional<platform::ThumbnailResult> takeThumbnail(const Ticket& ticket, int slot);

    // Records that a display of page `page` has ended with its caption written; -1 before any.
    void pageShown(std::int32_t page);
    std::int32_t shownPage() const { return m_shownPage; }
    // Once no rebuild or folder build runs: shows the page the scroll bar stands on when it is not the
    // one shown last (a change of the scroll bar that arrived while no page could be shown).
    void showScrolledPage();

    // Pages made ahead. Once the window is idle after a build, the thumbnails of the page after the one
    // shown, then of the page before it, are made on the thumbnail threads. Any build, and the viewer
    // (stopAhead), supersede that work at once, keeping what was finished. At most the two pages
    // beside the shown one are kept.
    void stopAhead();
    void scheduleAhead();
    // Stops the work ahead, scheduled or under way, and forgets the pages kept, while no page is
    // being built (a measurement of a page made cold).
    void forgetAhead();
    // For tests and measurements: the jobs of the work ahead under way, and how many thumbnails are
    // kept for the pages beside the shown one, with their bytes.
    int aheadJobs() const { return int(m_ahead.size()); }
    int aheadFinished() const { return m_ahead.isEmpty() ? 0 : m_batch.finished(); }
    qint64 keptAheadBytes() const;

private:
    // A thumbnail asked for: the picture's key (its path and size), and its file's size and
    // modification time before it was made.
    struct Asked {
        QString key;
        platform::FileStamp stamp;
        std::int32_t page = 0;
    };
    struct Made {
        platform::FileStamp stamp;
        QImage image;
        std::int32_t page = 0;
    };

    void begin(bool busy);
    void end(bool busy);
    void makeAhead();
    Asked ask(const platform::ThumbnailJob& job, std::int32_t page) const;
    // The kept thumbnail for `asked` when its file is unchanged.
    const QImage* made(const Asked& asked) const;

    FrmSelect& m_window;
    std::uint64_t m_generation = 0;
    int m_running = 0;
    int m_busy = 0;
    int m_displays = 0;
    int m_peakDisplays = 0;
    std::optional<std::int32_t> m_wanted;
    std::int32_t m_shownPage = -1;
    platform::ThumbnailLoader m_thumbnails;
    platform::ThumbnailBatch m_batch;
    QHash<int, Asked> m_asked;  // the shown page's slots being made
    QHash<int, QImage> m_ready; // the shown page's slots that were made ahead
    QHash<int, Asked> m_ahead;  // the work ahead under way, by its jobs' slots
    QHash<QString, Made> m_made;
};
