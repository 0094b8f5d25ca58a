#pragma once
// Thumbnails decoded ahead on a small pool of worker threads, a page (a batch) at a time, and handed
// out slot by slot, in whatever order the asking thread wants them, to that thread.

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

namespace platform {

class ThumbnailCache;

// One thumbnail to make: the picture file `systemPath` stretched to `target` pixels for slot `slot`.
// `name` is whatever the caller tells its pictures apart by (it is only compared). A job whose path
// could not be made carries that error in `pathError` and is not read.
struct ThumbnailJob {
    int slot = 0;
    QString name;
    QString systemPath;
    QSize target;
    int pathError = 0;
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

    // True when slot `slot` of this batch is for `name` at `target`.
    bool holds(int slot, const QString& name, QSize target) const;
    // True once a newer batch started on the same loader, the loader went away, or drop() was called:
    // the jobs not yet started never start, and take() gives nothing more.
    bool superseded() const;
    // Supersedes this batch (see above); a batch already superseded stays so. Its decodes that are
    // running go on to their end, and the pool runs one more thread for each meanwhile, so that the
    // next batch starts at once.
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

    // Supersedes the current batch and queues `jobs`, in their order, for the worker threads; jobs
    // for files of at most LightFileBytes are left for take() to decode on the asking thread. Slots
    // must be distinct.
    ThumbnailBatch start(const QList<ThumbnailJob>& jobs);
    // Supersedes the current batch.
    void cancel();

    // Files up to this size are decoded by the thread that takes them, unless the picture decodes to
    // more than LightPixels (a GIF to its whole logical screen, whatever its first image's size):
    // then a worker decodes them too. A file that cannot be loaded is never decoded there.
    static constexpr qint64 LightFileBytes = 64 * 1024;
    static constexpr qint64 LightPixels = 1 << 20;
    // The number of worker threads.
    static int threadCount();
    // The desktop's shared thumbnail cache that the worker threads read and write: from its first use
    // on the user's (ThumbnailCache::forUser()), unless this sets another (a disabled one: none).
    static void setCache(const ThumbnailCache& cache);

    // What the threads have done since the process started, for tests and measurements.
    struct Counts {
        qint64 onWorkers = 0; // thumbnails made on a worker thread
        qint64 onCaller = 0;  // thumbnails made by take() on the asking thread
        qint64 dropped = 0;   // queued jobs never started because their batch was superseded
        qint64 discarded = 0; // thumbnails made on a worker for a batch superseded meanwhile
    };
    static Counts counts();

private:
    ThumbnailBatch m_current;
};

} // namespace platform
