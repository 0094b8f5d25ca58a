#include "platform/pictures/thumbnailloader.h"

#include "platform/errors.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/thumbnailthreads.h"

#include <QAbstractEventDispatcher>
#include <QHash>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

namespace platform {

using detail::ThumbnailThreads;

namespace {

std::atomic<qint64> g_onWorkers{0};
std::atomic<qint64> g_onCaller{0};
std::atomic<qint64> g_dropped{0};
std::atomic<qint64> g_discarded{0};
std::atomic<int> g_running{0};
std::atomic<int> g_peakRunning{0};

// Counts a decode running on a worker while it lives.
class RunningDecode {
public:
    RunningDecode()
    {
        const int now = ++g_running;
        int peak = g_peakRunning.load();
        while (now > peak && !g_peakRunning.compare_exchange_weak(peak, now)) {
        }
    }
    ~RunningDecode() { --g_running; }
    RunningDecode(const RunningDecode&) = delete;
    RunningDecode& operator=(const RunningDecode&) = delete;
};

// Runs `make`, turning the run-time errors it raises into a result. An image that comes back null
// without an error (a scaler that returned nothing) counts as a lack of memory: it may not happen
// again.
template <class Make>
ThumbnailResult guarded(Make&& make)
{
    ThumbnailResult result;
    try {
        result.image = make();
    } catch (const RuntimeError& e) {
        result.error = e.number();
        result.detail = e.detail();
    } catch (const std::bad_alloc&) {
        result.error = ErrOutOfMemory;
    }
    if (result.error == 0 && result.image.isNull())
        result.error = ErrOutOfMemory;
    if (result.error != 0)
        result.image = QImage();
    return result;
}

std::mutex g_cacheMutex;
std::optional<ThumbnailCache> g_cache; // the user's, from its first use on, unless set

ThumbnailCache currentCache()
{
    const std::lock_guard lock(g_cacheMutex);
    if (!g_cache)
        g_cache = ThumbnailCache::forUser();
    return *g_cache;
}

// The stamps of the files the workers made or found thumbnails for, to the nanosecond: what the
// cache's whole seconds cannot tell. Forgotten wholesale when it grows large.
std::mutex g_seenMutex;
QHash<QString, FileStamp> g_seen;
constexpr qsizetype MaxSeen = 8192;

// Records `stamp` as the one of `path` now; false when the one recorded before differs from it only
// in its nanoseconds (a rewrite within the same second, to the same size, that the cache misses).
bool recordStamp(const QString& path, const FileStamp& stamp)
{
    const std::lock_guard lock(g_seenMutex);
    if (g_seen.size() >= MaxSeen)
        g_seen.clear();
    const FileStamp before = g_seen.value(path);
    g_seen.insert(path, stamp);
    return !(before.valid() && before.mtime == stamp.mtime && before.size == stamp.size
             && before.mtimeNs != stamp.mtimeNs);
}

// A worker's thumbnail, and the cache write to queue once it has been handed over.
struct Made {
    ThumbnailResult result;
    ThumbnailThreads::Task write;
    qint64 writeBytes = 0;
};

// A worker's thumbnail of `job`: taken from the desktop's shared cache when it holds a current one;
// else made from the file (or from `loaded`, already read and checked) at the cache's size, then
// stretched to the target, with the cache entry (or the failure record) left to write.
Made makeThumbnail(const ThumbnailJob& job, const Picture& loaded)
{
    Made made;
    const QString& path = job.systemPath;
    const FileStamp& stamp = job.stamp;
    const auto load = [&] { return loaded.isEmpty() ? LoadPictureFile(path) : loaded; };
    const ThumbnailCache cache = currentCache();
    const int flavour = ThumbnailCache::flavourFor(job.target);
    if (!cache.enabled() || flavour == 0 || !stamp.valid() || cache.covers(path)) {
        made.result = guarded([&] { return load().scaled(job.target); });
        return made;
    }
    if (recordStamp(path, stamp)) {
        if (const QImage cached = cache.find(path, stamp, flavour); !cached.isNull()) {
            made.result = guarded([&] { return stretched(cached, job.target); });
            return made;
        }
        if (cache.failedBefore(path, stamp)) {
            made.result.error = ErrInvalidPicture;
            made.result.detail = path;
            return made;
        }
    }
    QImage thumbnail;
    made.result = guarded([&] {
        const Picture picture = load();
        thumbnail = picture.scaled(ThumbnailCache::thumbnailSize(picture.size(), flavour));
        return stretched(thumbnail, job.target);
    });
    if (made.result.error == 0) {
        made.writeBytes = thumbnail.sizeInBytes();
        made.write = [cache, path, stamp, flavour, thumbnail] { cache.store(path, stamp, flavour, thumbnail); };
    } else if (made.result.error == ErrInvalidPicture) {
        made.write = [cache, path, stamp] { cache.storeFailure(path, stamp); };
    }
    return made;
}

} // namespace

ThumbnailResult decodeThumbnail(const QString& systemPath, QSize target)
{
    return guarded([&] { return LoadPictureFile(systemPath).scaled(target); });
}

void ThumbnailLoader::setCache(const ThumbnailCache& cache)
{
    const std::lock_guard lock(g_cacheMutex);
    g_cache = cache;
}

namespace detail {

struct Entry {
    enum State { Waiting, Running, Done, Taken };
    ThumbnailJob job;
    bool light = false;
    State state = Waiting;
    ThumbnailResult result;
};

struct BatchState {
    std::mutex mutex;
    std::condition_variable done;
    std::vector<Entry> entries; // never resized once the batch has started: entries stay where they are
    bool superseded = false;
    QAbstractEventDispatcher* wake = nullptr; // the asking thread's, while the batch is current

    Entry* find(int slot)
    {
        for (Entry& e : entries)
            if (e.job.slot == slot)
                return &e;
        return nullptr;
    }
};

} // namespace detail

namespace {

using detail::BatchState;
using detail::Entry;

void supersede(const std::shared_ptr<BatchState>& state)
{
    std::vector<ThumbnailResult> freed; // let go of outside the lock
    {
        const std::lock_guard lock(state->mutex);
        if (state->superseded)
            return;
        state->superseded = true;
        state->wake = nullptr;
        for (Entry& e : state->entries)
            if (e.state == Entry::Done)
                freed.push_back(std::move(e.result));
        state->done.notify_all();
    }
    g_dropped += ThumbnailThreads::dropDecodes(state.get());
}

// What a worker does with slot `slot`: nothing when the batch was superseded before it started, else
// the thumbnail of the file (or of `picture`, already read and checked, when it is not empty).
void runJob(const std::shared_ptr<BatchState>& state, int slot, const Picture& picture)
{
    ThumbnailJob job;
    {
        const std::lock_guard lock(state->mutex);
        Entry* e = state->find(slot);
        if (state->superseded || !e) {
            ++g_dropped;
            return;
        }
        e->state = Entry::Running;
        job = e->job;
    }
    Made made;
    {
        const RunningDecode running;
        made = makeThumbnail(job, picture);
    }
    ++g_onWorkers;
    {
        const std::lock_guard lock(state->mutex);
        if (state->superseded) {
            ++g_discarded;
        } else {
            Entry* e = state->find(slot);
            e->result = std::move(made.result);
            e->state = Entry::Done;
            state->done.notify_all();
            if (state->wake)
                state->wake->wakeUp();
        }
    }
    if (made.write)
        ThumbnailThreads::queueWrite(std::move(made.write), made.writeBytes);
}

void queueJob(const std::shared_ptr<BatchState>& state, int slot, const Picture& picture, bool first)
{
    ThumbnailThreads::queueDecode(state.get(), [state, slot, picture] { runJob(state, slot, picture); }, first);
}

// A light job, on the asking thread: decoded here unless the picture decodes to a large one (the
// loaded picture's size is what the decoder makes: a GIF's logical screen), which goes to a worker
// ahead of every other decode, as it is wanted now.
void runLightJob(const std::shared_ptr<BatchState>& state, Entry& entry)
{
    const ThumbnailJob job = entry.job;
    Picture picture;
    bool forWorker = false;
    ThumbnailResult result = guarded([&] {
        picture = LoadPictureFile(job.systemPath);
        const QSize size = picture.size();
        forWorker = qint64(size.width()) * size.height() > ThumbnailLoader::LightPixels;
        return forWorker ? QImage(1, 1, QImage::Format_RGB32) : picture.scaled(job.target);
    });
    if (forWorker && result.error == 0) {
        queueJob(state, job.slot, picture, true);
        return;
    }
    ++g_onCaller;
    const std::lock_guard lock(state->mutex);
    entry.result = std::move(result);
    entry.state = Entry::Done;
}

} // namespace

void ThumbnailBatch::drop()
{
    if (m_state)
        supersede(m_state);
}

std::optional<ThumbnailResult> ThumbnailBatch::take(int slot, const std::function<bool()>& stillWanted)
{
    const std::shared_ptr<BatchState> state = m_state; // the batch outlives whatever the events do
    if (!state)
        return std::nullopt;
    std::unique_lock lock(state->mutex);
    Entry* entry = state->find(slot);
    if (!entry || entry->state == Entry::Taken)
        return std::nullopt;
    if (entry->light && entry->state == Entry::Waiting && !state->superseded) {
        entry->state = Entry::Running;
        lock.unlock();
        runLightJob(state, *entry);
        lock.lock();
    }
    QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher();
    while (!state->superseded && entry->state != Entry::Done) {
        lock.unlock();
        if (dispatcher)
            dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (stillWanted && !stillWanted())
            return std::nullopt;
        lock.lock();
        if (!dispatcher)
            state->done.wait_for(lock, std::chrono::milliseconds(5));
    }
    if (state->superseded)
        return std::nullopt;
    entry->state = Entry::Taken;
    return std::move(entry->result);
}

std::optional<ThumbnailResult> ThumbnailBatch::takeIfDone(int slot)
{
    if (!m_state)
        return std::nullopt;
    const std::lock_guard lock(m_state->mutex);
    Entry* entry = m_state->find(slot);
    if (m_state->superseded || !entry || entry->state != Entry::Done)
        return std::nullopt;
    entry->state = Entry::Taken;
    return std::move(entry->result);
}

int ThumbnailBatch::finished() const
{
    if (!m_state)
        return 0;
    const std::lock_guard lock(m_state->mutex);
    return int(std::count_if(m_state->entries.begin(), m_state->entries.end(),
                             [](const Entry& e) { return e.state == Entry::Done || e.state == Entry::Taken; }));
}

ThumbnailLoader::ThumbnailLoader() = default;

ThumbnailLoader::~ThumbnailLoader() { cancel(); }

ThumbnailBatch ThumbnailLoader::start(const QList<ThumbnailJob>& jobs)
{
    cancel();
    auto state = std::make_shared<BatchState>();
    state->wake = QThread::currentThread()->eventDispatcher();
    state->entries.reserve(size_t(jobs.size()));
    for (const ThumbnailJob& job : jobs) {
        Entry e;
        e.job = job;
        if (job.pathError != 0) {
            e.state = Entry::Done;
            e.result.error = job.pathError;
            e.result.detail = job.name;
        } else {
            if (!e.job.stamp.valid())
                e.job.stamp = stampOf(job.systemPath);
            e.light = smallFile(e.job.stamp);
        }
        state->entries.push_back(std::move(e));
    }
    for (const Entry& e : state->entries)
        if (!e.light && e.state == Entry::Waiting)
            queueJob(state, e.job.slot, Picture(), false);
    m_current.m_state = state;
    return m_current;
}

void ThumbnailLoader::cancel() { m_current.drop(); }

int ThumbnailLoader::threadCount() { return ThumbnailThreads::count(); }

bool ThumbnailLoader::waitForWrites(int ms) { return ThumbnailThreads::waitUntilIdle(ms); }

ThumbnailLoader::Counts ThumbnailLoader::counts()
{
    return {g_onWorkers.load(), g_onCaller.load(), g_dropped.load(), g_discarded.load(), g_running.load(),
            g_peakRunning.load()};
}

void ThumbnailLoader::resetPeak() { g_peakRunning = g_running.load(); }

} // namespace platform
