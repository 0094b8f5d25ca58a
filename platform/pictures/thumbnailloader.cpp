#include "platform/pictures/thumbnailloader.h"

#include "platform/errors.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/thumbnailcache.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

namespace platform {

namespace {

std::atomic<qint64> g_onWorkers{0};
std::atomic<qint64> g_onCaller{0};
std::atomic<qint64> g_dropped{0};
std::atomic<qint64> g_discarded{0};

QThreadPool& workers()
{
    static QThreadPool pool;
    static std::once_flag once;
    std::call_once(once, [] {
        pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        pool.setObjectName(QStringLiteral("thumbnails"));
    });
    return pool;
}

// Runs `make`, turning the run-time errors it raises into a result.
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
        result.error = ErrInvalidPicture;
    if (result.error != 0)
        result.image = QImage();
    return result;
}

} // namespace

ThumbnailResult decodeThumbnail(const QString& systemPath, QSize target)
{
    return guarded([&] { return LoadPictureFile(systemPath).scaled(target); });
}

namespace {

std::mutex g_cacheMutex;
std::optional<ThumbnailCache> g_cache; // the user's, from its first use on, unless set

ThumbnailCache currentCache()
{
    const std::lock_guard lock(g_cacheMutex);
    if (!g_cache)
        g_cache = ThumbnailCache::forUser();
    return *g_cache;
}

QImage stretched(const QImage& image, QSize target)
{
    return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

// A worker's thumbnail: taken from the desktop's shared cache when it holds one for the file as it
// is now; else made from the file (or from `loaded`, already read and checked) at the cache's size,
// left in the cache, and stretched to `target`. A picture that cannot be read is recorded there too.
ThumbnailResult makeThumbnail(const QString& path, QSize target, const Picture& loaded)
{
    const ThumbnailCache cache = currentCache();
    const int flavour = ThumbnailCache::flavourFor(target);
    const FileStamp stamp = cache.enabled() && flavour != 0 && !cache.covers(path) ? stampOf(path) : FileStamp();
    if (!stamp.valid())
        return loaded.isEmpty() ? decodeThumbnail(path, target) : guarded([&] { return loaded.scaled(target); });
    if (const QImage cached = cache.find(path, stamp, flavour); !cached.isNull())
        return guarded([&] { return stretched(cached, target); });
    if (cache.failedBefore(path, stamp)) {
        ThumbnailResult refused;
        refused.error = ErrInvalidPicture;
        refused.detail = path;
        return refused;
    }
    ThumbnailResult result = guarded([&] {
        const Picture picture = loaded.isEmpty() ? LoadPictureFile(path) : loaded;
        const QImage thumbnail = picture.scaled(ThumbnailCache::thumbnailSize(picture.size(), flavour));
        cache.store(path, stamp, flavour, thumbnail);
        return stretched(thumbnail, target);
    });
    if (result.error == ErrInvalidPicture)
        cache.storeFailure(path, stamp);
    return result;
}

} // namespace

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
    bool onWorker = false; // started by a worker
    bool lent = false;     // superseded while running: the pool lent the next batch a thread for it
    ThumbnailResult result;
};

struct BatchState {
    std::mutex mutex;
    std::condition_variable done;
    std::vector<Entry> entries;
    bool superseded = false;
    QAbstractEventDispatcher* wake = nullptr; // the asking thread's, while the batch is current

    Entry* find(int slot)
    {
        for (Entry& e : entries)
            if (e.job.slot == slot)
                return &e;
        return nullptr;
    }
    // Returns how many of the batch's decodes were still running.
    int supersede()
    {
        const std::lock_guard lock(mutex);
        if (superseded)
            return 0;
        superseded = true;
        wake = nullptr;
        int running = 0;
        for (Entry& e : entries) {
            if (e.onWorker && e.state == Entry::Running) {
                e.lent = true;
                ++running;
            }
        }
        done.notify_all();
        return running;
    }
};

} // namespace detail

namespace {

using detail::BatchState;
using detail::Entry;

// What a worker does with slot `slot`: nothing when the batch was superseded before it started, else
// the decode of the file (or of `picture`, already read and checked, when it is not empty).
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
        e->onWorker = true;
        job = e->job;
    }
    ThumbnailResult result = makeThumbnail(job.systemPath, job.target, picture);
    ++g_onWorkers;
    bool lent = false;
    {
        const std::lock_guard lock(state->mutex);
        Entry* e = state->find(slot);
        lent = e->lent;
        if (state->superseded) {
            ++g_discarded;
        } else {
            e->result = std::move(result);
            e->state = Entry::Done;
            state->done.notify_all();
            if (state->wake)
                state->wake->wakeUp();
        }
    }
    if (lent)
        workers().reserveThread(); // the thread lent for this decode is given back
}

std::atomic<bool> g_stopRegistered{false};

// Before the application (and the event dispatcher that finished jobs wake) goes away: queued jobs
// never start, and the running ones are waited for.
void stopWorkers()
{
    workers().clear();
    workers().waitForDone();
    g_stopRegistered = false;
}

void queueJob(const std::shared_ptr<BatchState>& state, int slot, const Picture& picture, int priority)
{
    if (!g_stopRegistered.exchange(true))
        qAddPostRoutine(stopWorkers);
    workers().start([state, slot, picture] { runJob(state, slot, picture); }, priority);
}

// A light job, on the asking thread: decoded here unless the picture decodes to a large one (the
// loaded picture's size is what the decoder makes: a GIF's logical screen), which goes to a worker
// (true is returned then, and the job waits there).
bool runLightJob(const std::shared_ptr<BatchState>& state, Entry& entry)
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
        queueJob(state, job.slot, picture, 1); // ahead of the rest of the page: it is wanted now
        return true;
    }
    ++g_onCaller;
    const std::lock_guard lock(state->mutex);
    entry.result = std::move(result);
    entry.state = Entry::Done;
    return false;
}

} // namespace

bool ThumbnailBatch::holds(int slot, const QString& name, QSize target) const
{
    if (!m_state)
        return false;
    const std::lock_guard lock(m_state->mutex);
    const Entry* e = m_state->find(slot);
    return e && e->job.name == name && e->job.target == target;
}

bool ThumbnailBatch::superseded() const
{
    if (!m_state)
        return true;
    const std::lock_guard lock(m_state->mutex);
    return m_state->superseded;
}

void ThumbnailBatch::drop()
{
    if (!m_state)
        return;
    // Decodes of this batch that are still running keep their threads until they end; meanwhile the
    // pool may run one more thread for each, so that the next batch starts at once.
    const int running = m_state->supersede();
    for (int i = 0; i < running; ++i)
        workers().releaseThread();
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
        runLightJob(state, *entry); // the entry stays where it is: the vector never changes size
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
            const QFileInfo info(job.systemPath);
            e.light = !info.exists() || info.size() <= LightFileBytes;
        }
        state->entries.push_back(std::move(e));
    }
    for (const Entry& e : state->entries)
        if (!e.light && e.state == Entry::Waiting)
            queueJob(state, e.job.slot, Picture(), 0);
    m_current.m_state = state;
    return m_current;
}

void ThumbnailLoader::cancel() { m_current.drop(); }

int ThumbnailLoader::threadCount() { return workers().maxThreadCount(); }

ThumbnailLoader::Counts ThumbnailLoader::counts()
{
    return {g_onWorkers.load(), g_onCaller.load(), g_dropped.load(), g_discarded.load()};
}

} // namespace platform
