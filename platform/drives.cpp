#include "platform/drives.h"

#include "platform/errors.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStringList>
#include <algorithm>
#include <atomic>

#ifndef Q_OS_WIN
#include <QFile>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

std::optional<QList<DriveInfo>>& overrideTable()
{
    static std::optional<QList<DriveInfo>> table;
    return table;
}

std::atomic<int> g_tableReads{0};

// The drive table scopes of this thread: how deep, and the table read inside the outermost one.
struct ScopeState {
    int depth = 0;
    std::optional<QList<DriveInfo>> table;
};
thread_local ScopeState t_scope;

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

#ifdef Q_OS_WIN
QList<DriveInfo> systemDrives()
{
    ++g_tableReads;
    QList<DriveInfo> table;
    const QFileInfoList roots = QDir::drives();
    for (const QFileInfo& root : roots) {
        const QString path = root.absoluteFilePath(); // "C:/"
        if (path.size() < 2 || path.at(1) != QLatin1Char(':'))
            continue;
        const QChar letter = path.at(0).toUpper();
        table.append({letter, path, QStorageInfo(path).name()});
    }
    std::sort(table.begin(), table.end(),
              [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; });
    return table;
}
#else
// True for a mount point at or below one of the folders where removable and extra volumes appear.
bool isVolumeMountPoint(const QString& mountPoint)
{
    static const QStringList bases = {QStringLiteral("/media"), QStringLiteral("/run/media"),
                                      QStringLiteral("/mnt")};
    for (const QString& base : bases) {
        if (mountPoint == base || mountPoint.startsWith(base + QLatin1Char('/')))
            return true;
    }
    return false;
}

// The mount points of removable and extra volumes, in mount-point order, from the kernel's mount table.
// It is read again only when the kernel says it changed (a mount or an unmount makes the open table
// poll with POLLPRI), and when `again` asks: no statfs, and one read however many paths are translated.
QStringList volumeMountPoints(bool again)
{
    static std::mutex mutex;
    static int table = -1;
    static QStringList points;
    const std::lock_guard lock(mutex);
    if (table < 0)
        table = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    else if (pollfd changed{table, POLLPRI, 0}; !again && (::poll(&changed, 1, 0) <= 0 || !(changed.revents & (POLLPRI | POLLERR))))
        return points; // unchanged since the last read
    ++g_tableReads;
    QByteArray text;
    char buffer[8192];
    ::lseek(table, 0, SEEK_SET);
    for (ssize_t n; table >= 0 && (n = ::read(table, buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    points.clear();
    for (const QByteArray& line : text.split('\n')) {
        QByteArray point = line.split(' ').value(4); // "\040" and the like stand for spaces and other bytes
        for (qsizetype i = point.indexOf('\\'); i >= 0 && i + 3 < point.size(); i = point.indexOf('\\', i + 1))
            point.replace(i, 4, QByteArray(1, char(point.mid(i + 1, 3).toInt(nullptr, 8))));
        const QString path = QFile::decodeName(point);
        if (isVolumeMountPoint(path) && !points.contains(path))
            points.append(path);
    }
    std::sort(points.begin(), points.end());
    return points;
}

QList<DriveInfo> systemDrives()
{
    QList<DriveInfo> table;
    // C: is the home folder while it can be listed, else the root, so that C: always stands for a place.
    const QFileInfo home(QDir::homePath());
    if (home.isDir() && home.isReadable() && home.isExecutable())
        table.append({QLatin1Char('C'), QDir::homePath(), QStringLiteral("ホーム")});
    else
        table.append({QLatin1Char('C'), QStringLiteral("/"), QStringLiteral("ルート")});
    // D:, E:, ... for the volumes that can be listed, named after their mount points' folders.
    char16_t letter = u'D';
    for (const QString& point : volumeMountPoints(false)) {
        if (const QFileInfo volume(point); letter < u'Z' && volume.isDir())
            table.append({QChar(letter++), point, volume.fileName()});
    }
    table.append({QLatin1Char('Z'), QStringLiteral("/"), QStringLiteral("ルート")});
    return table;
}
#endif

// The system path of a root folder, without a trailing separator unless it is the file system's root.
QString cleanRoot(const QString& root)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(root));
}

bool isDriveText(const QString& text)
{
    return text.size() >= 2 && text.at(1) == QLatin1Char(':') && text.at(0).unicode() < 128
           && text.at(0).isLetter();
}

} // namespace

QList<DriveInfo> drives()
{
    if (overrideTable())
        return *overrideTable();
    if (t_scope.depth == 0)
        return systemDrives();
    if (!t_scope.table)
        t_scope.table = systemDrives();
    return *t_scope.table;
}

DriveTableScope::DriveTableScope() { ++t_scope.depth; }

DriveTableScope::~DriveTableScope()
{
    if (--t_scope.depth == 0)
        t_scope.table.reset();
}

int driveTableReads() { return g_tableReads.load(); }

void setDriveTable(const QList<DriveInfo>& table)
{
    QList<DriveInfo> sorted = table;
    for (DriveInfo& d : sorted)
        d.letter = d.letter.toUpper();
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; });
    overrideTable() = sorted;
}

void resetDriveTable()
{
    overrideTable().reset();
#ifndef Q_OS_WIN
    volumeMountPoints(true);
#endif
}

namespace {

std::optional<DriveInfo> driveIn(const QList<DriveInfo>& table, QChar letter)
{
    const QChar wanted = letter.toUpper();
    for (const DriveInfo& d : table) {
        if (d.letter == wanted)
            return d;
    }
    return std::nullopt;
}

bool rootAvailable(const std::optional<DriveInfo>& d)
{
    if (!d || d->root.isEmpty())
        return false;
    const QFileInfo root(d->root);
#ifdef Q_OS_WIN
    return root.isDir() && root.isReadable();
#else
    return root.isDir() && root.isReadable() && root.isExecutable();
#endif
}

} // namespace

std::optional<DriveInfo> driveOf(QChar letter)
{
    return driveIn(drives(), letter);
}

bool driveAvailable(QChar letter)
{
    return rootAvailable(driveOf(letter));
}

QStringList pathParts(const QString& windowsPath)
{
    QString rest = windowsPath.mid(2);
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QStringList parts;
    for (const QString& part : rest.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return parts;
}

QString toSystemPath(const QString& windowsPath)
{
    if (!isDriveText(windowsPath))
        raise(ErrPathNotFound, windowsPath);
    const std::optional<DriveInfo> drive = driveIn(drives(), windowsPath.at(0));
    if (!rootAvailable(drive))
        raise(ErrDeviceUnavailable, windowsPath);

    const QStringList parts = pathParts(windowsPath);

    const QString root = cleanRoot(drive->root);
    if (parts.isEmpty())
        return root;
    const QString joined = parts.join(QLatin1Char('/'));
    return root.endsWith(QLatin1Char('/')) ? root + joined : root + QLatin1Char('/') + joined;
}

QString toWindowsPath(const QString& systemPath)
{
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(systemPath));
    const QList<DriveInfo> table = drives();
    const DriveInfo* best = nullptr;
    qsizetype bestLength = -1;
    QString bestRoot;
    for (const DriveInfo& d : table) {
        if (d.root.isEmpty())
            continue;
        const QString root = cleanRoot(d.root);
        const bool holds = path.compare(root, kPathCase) == 0
                           || (root.endsWith(QLatin1Char('/')) ? path.startsWith(root, kPathCase)
                                                               : path.startsWith(root + QLatin1Char('/'), kPathCase));
        if (holds && root.size() > bestLength) {
            best = &d;
            bestLength = root.size();
            bestRoot = root;
        }
    }
    if (!best)
        return {};
    QString rest = path.mid(bestRoot.size());
    while (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    QString result = QString(best->letter) + QStringLiteral(":\\");
    result += rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return result;
}

} // namespace platform
