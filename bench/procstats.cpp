#include "bench/procstats.h"

#include <QByteArray>
#include <QFile>

namespace bench {

namespace {
qint64 statusField(const char* field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}
} // namespace

qint64 residentKb() { return statusField("VmRSS"); }

qint64 peakResidentKb() { return statusField("VmHWM"); }

int threadCount() { return int(statusField("Threads")); }

bool resetPeak()
{
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    return file.open(QIODevice::WriteOnly) && file.write("5") == 1;
}

} // namespace bench
