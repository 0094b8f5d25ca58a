#pragma once
// Thumbnails decoded ahead on a small pool of worker threads, a page (a batch) at a time, and handed
// out slot by slot, in whatever order the asking thread wants them, to that thread.

#include "platform/pictures/thumbnailcache.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

namespace platform {

// One thumbnail to make: the picture file `systemPath` stretched to `target` pixels for slot `slot`.
// `name` is whatever the caller tells its pictures apart by (it is only compared). A job whose path
// could not be made carries that error in `pathError` and is not read. `stamp` is the file's stamp as
// the caller took it before asking (the loader takes it itself when it is not valid): it decides
// whether the file is small (see ThumbnailLoader::smallFile) and which cache entry is current.
struct ThumbnailJob {
    int slot = 0;
    QString name;
    QString systemPath;
    QSize target;
    int pathError = 0;
    FileStamp stamp;
};

// A made thumbnail: the image at exactly the target size (Format_RGB32, or premultiplied ARGB32 with
// alpha), or a null image with the run-time error number that stopped it and the error's detail.
struct ThumbnailResult {
    QImage image;
    int error = 0;
    QString detail;
};

// Makes one thumbnail as LoadPictureFile and Picture::scaled do (the file read whole, its checks,
// the scaled decode), on the calling thread. Never throws: errors come back in the result.
ThumbnailResult decodeThumbnail(const QString& systemPath, QSize target);

namespace detail {
struct BatchState;
}

// The thumbnails of one page as a loader's start() gave them out. A value: copies share the batch.
class ThumbnailBatch {
public:
    // A batch with no jobs, superseded from the start.
    ThumbnailBatch() = default;

    // Supersedes this batch, as a newer batch started on the same loader, or the loader's going away,
    // does: its jobs not yet started are dropped at once, with the memory they held, and those made
    // but not taken are freed; take() gives nothing more. Its decodes that are running go on to their
    // end on their threads (which no other decode has meanwhile), and their thumbnails are thrown
    // away. A batch already superseded stays so.
    void drop();

    // Slot `slot`'s thumbnail, once. A small file (see ThumbnailLoader) is decoded right here; any
    // other waits for its worker while the calling thread's events run (never blocking them for more
    // than the time to find the result in). Gives nothing when the slot is not in the batch or was
    // already taken, when the batch is or becomes superseded, or when `stillWanted` (asked after
    // events have run) says false.
    std::optional<ThumbnailResult> take(int slot, const std::function<bool()>& stillWanted);
    // Slot `slot`'s thumbnail when it is made already, once, without waiting or deciding anything:
    // nothing when it is not made yet, not in the batch, already taken, or the batch is superseded.
    std::optional<ThumbnailResult> takeIfDone(int slot);
    // How many of the batch's thumbnails are made, taken or not (for tests and measurements).
    int finished() const;

private:
    friend class ThumbnailLoader;
    std::shared_ptr<detail::BatchState> m_state;
};

// Starts batches of thumbnail jobs on the process's thumbnail threads (as many as the machine has
// cores). One batch at a time is current for each loader: starting one supersedes the one before.
// Made and used on one thread (the one whose events a take() runs).
class ThumbnailLoader {
public:
    ThumbnailLoader();
    // Supersedes the current batch; decodes already running finish on their threads and are dropped.
    ~ThumbnailLoader();
    ThumbnailLoader(const ThumbnailLoader&) = delete;
    ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

    // Supersedes the current batch and queues `jobs`, in their order, for the worker threads, after
    // the jobs other loaders queued; small files (see smallFile) are left for take() to decode on the
    // asking thread. Slots must be distinct.
    ThumbnailBatch start(const QList<ThumbnailJob>& jobs);
    // Supersedes the current batch.
    void cancel();

    // The small-file rule. A file stamped at most LightFileBytes (or not a file at all: its error is
    // quick to find) is read by the thread that takes its thumbnail; it is decoded there too unless
    // its picture decodes to more than LightPixels (a GIF to its whole logical screen, whatever its
    // first image's size), which a worker then decodes. A file that cannot be loaded is never decoded
    // there. Thumbnails decoded on the asking thread are not looked up in, nor written to, the
    // desktop's thumbnail cache.
    static bool smallFile(const FileStamp& stamp) { return !stamp.valid() || stamp.size <= LightFileBytes; }
    static constexpr qint64 LightFileBytes = 64 * 1024;
    static constexpr qint64 LightPixels = 1 << 20;
    // The number of worker threads: no more decodes than this run at once on them, the decodes of
    // superseded batches included, and cache writes take a thread only while no decode waits.
    static int threadCount();
    // The desktop's shared thumbnail cache that the worker threads read and write: from its first use
    // on the user's (ThumbnailCache::forUser()), unless this sets another (a disabled one: none).
    // A worker looks for a file's thumbnail there unless it made or found one for it before whose
    // stamp differs from the file's only in its nanoseconds. A thumbnail made on a worker is written
    // there after it has been handed over, once no decode waits (see ThumbnailCache::store); a file
    // whose data cannot be decoded (error 481) is recorded there as failed, other errors are not.
    static void setCache(const ThumbnailCache& cache);
    // Waits up to `ms` until the worker threads have nothing left to do, so that every cache write
    // queued until then, and every write that the decodes under way queue, is done. False when time
    // ran out.
    static bool waitForWrites(int ms);

    // What the threads have done since the process started, for tests and measurements.
    struct Counts {
        qint64 onWorkers = 0; // thumbnails made on a worker thread
        qint64 onCaller = 0;  // thumbnails made by take() on the asking thread
        qint64 dropped = 0;   // queued jobs never started because their batch was superseded
        qint64 discarded = 0; // thumbnails made on a worker for a batch superseded meanwhile
        int running = 0;      // decodes running on the workers now, for superseded batches too
        int peakRunning = 0;  // the most decodes that ran at once since the last resetPeak()
    };
    static Counts counts();
    static void resetPeak();

private:
    ThumbnailBatch m_current;
};

} // namespace platform
