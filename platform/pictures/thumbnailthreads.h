#pragma once
// The process's thumbnail threads (one per core) and their two queues, for the thumbnail loader:
// decodes, which run first, and writes to the desktop's thumbnail cache, which run only while no
// decode waits. Queued work that is dropped is freed at once. Every member is safe to call from any
// thread.

#include <QtGlobal>
#include <functional>

namespace platform::detail {

class ThumbnailThreads {
public:
    using Task = std::function<void()>;

    // The number of threads: no more tasks than this run at once, decodes and writes together.
    static int count();

    // Queues a decode for `owner` (any key; it is only compared): after the decodes queued before
    // it, or before all of them when `first`.
    static void queueDecode(const void* owner, Task task, bool first);
    // Drops every decode queued for `owner` that has not started, freeing it before it returns.
    // Returns how many were dropped.
    static int dropDecodes(const void* owner);

    // Queues a cache write that holds `bytes` of memory until it runs. Writes run in the order
    // queued, each once no decode is queued. Beyond MaxQueuedWriteBytes the oldest are dropped (the
    // newest is always kept): a missing cache entry costs only speed.
    static void queueWrite(Task task, qint64 bytes);
    static constexpr qint64 MaxQueuedWriteBytes = qint64(2) << 20;

    // Waits up to `ms` until no decode or write is queued or running; false when time ran out.
    static bool waitUntilIdle(int ms);
};

} // namespace platform::detail
