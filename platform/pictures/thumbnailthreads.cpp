#include "platform/pictures/thumbnailthreads.h"

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <iterator>
#include <mutex>

namespace platform::detail {

namespace {

struct Decode {
    const void* owner = nullptr;
    ThumbnailThreads::Task task;
};

struct Write {
    ThumbnailThreads::Task task;
    qint64 bytes = 0;
};

// The queues, and the pumps that empty them: each pump is a task of the pool that runs queued work
// until none is left. There are never more pumps than threads, so none of them waits in the pool.
struct Queues {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Decode> decodes;
    std::deque<Write> writes;
    qint64 writeBytes = 0;
    int pumps = 0;
    int busy = 0; // tasks running
    bool stopRegistered = false;

    bool idle() const { return decodes.empty() && writes.empty() && busy == 0; }
};

Queues& queues()
{
    static Queues q;
    return q;
}

QThreadPool& pool()
{
    static QThreadPool threads;
    static std::once_flag once;
    std::call_once(once, [] {
        threads.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        threads.setObjectName(QStringLiteral("thumbnails"));
    });
    return threads;
}

void pump()
{
    Queues& q = queues();
    for (;;) {
        ThumbnailThreads::Task task;
        {
            const std::lock_guard lock(q.mutex);
            if (!q.decodes.empty()) {
                task = std::move(q.decodes.front().task);
                q.decodes.pop_front();
            } else if (!q.writes.empty()) {
                task = std::move(q.writes.front().task);
                q.writeBytes -= q.writes.front().bytes;
                q.writes.pop_front();
            } else {
                --q.pumps;
                q.changed.notify_all();
                return;
            }
            ++q.busy;
        }
        task();
        task = nullptr; // what it held is freed before it counts as done
        const std::lock_guard lock(q.mutex);
        --q.busy;
        q.changed.notify_all();
    }
}

// Before the application goes away (and with it the event dispatcher that finished decodes wake):
// queued decodes never start; the running ones and the queued writes are waited for.
void stopThreads()
{
    Queues& q = queues();
    std::deque<Decode> dropped;
    {
        const std::lock_guard lock(q.mutex);
        dropped.swap(q.decodes);
        q.stopRegistered = false;
    }
    dropped.clear();
    pool().waitForDone();
}

// Starts one more pump when there is a thread for it; called with the queues' lock held.
bool wantPump(Queues& q)
{
    if (!q.stopRegistered) {
        q.stopRegistered = true;
        qAddPostRoutine(stopThreads);
    }
    if (q.pumps >= ThumbnailThreads::count())
        return false;
    ++q.pumps;
    return true;
}

} // namespace

int ThumbnailThreads::count() { return pool().maxThreadCount(); }

void ThumbnailThreads::queueDecode(const void* owner, Task task, bool first)
{
    Queues& q = queues();
    bool start = false;
    {
        const std::lock_guard lock(q.mutex);
        if (first)
            q.decodes.push_front({owner, std::move(task)});
        else
            q.decodes.push_back({owner, std::move(task)});
        start = wantPump(q);
    }
    if (start)
        pool().start(pump);
}

int ThumbnailThreads::dropDecodes(const void* owner)
{
    Queues& q = queues();
    std::deque<Decode> dropped;
    {
        const std::lock_guard lock(q.mutex);
        const auto mine = std::stable_partition(q.decodes.begin(), q.decodes.end(),
                                                [owner](const Decode& d) { return d.owner != owner; });
        std::move(mine, q.decodes.end(), std::back_inserter(dropped));
        q.decodes.erase(mine, q.decodes.end());
        q.changed.notify_all();
    }
    return int(dropped.size()); // freed here, outside the lock
}

void ThumbnailThreads::queueWrite(Task task, qint64 bytes)
{
    Queues& q = queues();
    std::deque<Write> dropped;
    bool start = false;
    {
        const std::lock_guard lock(q.mutex);
        q.writes.push_back({std::move(task), bytes});
        q.writeBytes += bytes;
        while (q.writeBytes > MaxQueuedWriteBytes && q.writes.size() > 1) {
            q.writeBytes -= q.writes.front().bytes;
            dropped.push_back(std::move(q.writes.front()));
            q.writes.pop_front();
        }
        start = wantPump(q);
    }
    if (start)
        pool().start(pump);
}

bool ThumbnailThreads::waitUntilIdle(int ms)
{
    Queues& q = queues();
    std::unique_lock lock(q.mutex);
    return q.changed.wait_for(lock, std::chrono::milliseconds(ms), [&q] { return q.idle(); });
}

} // namespace platform::detail
