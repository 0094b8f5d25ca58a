#include "bench/benchfiles.h"

#include "bench/rawcodec.h"
#include "support/picturefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

namespace bench {

namespace {
void need(bool ok, const QString& what)
{
    if (!ok) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(what));
        std::exit(2);
    }
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    need(file.open(QIODevice::ReadOnly), path);
    return file.readAll();
}

// Copies `from` to `to` (replacing it).
void copy(const QString& from, const QString& to)
{
    QFile::remove(to);
    need(QFile::copy(from, to), to);
}
} // namespace

QString fastFolderBase()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
}

BenchFiles::BenchFiles(const QString& root, const QString& fastRoot, bool smoke)
{
    const QDir dir(root);
    for (const char* sub : {"page", "mixed", "soak", "huge", "originals"})
        need(dir.mkpath(QString::fromLatin1(sub)), QString::fromLatin1(sub));
    m_big = smoke ? QSize(480, 320) : QSize(6000, 4000);
    const QSize mid = smoke ? QSize(400, 300) : QSize(4000, 3000);
    const QSize small = smoke ? QSize(240, 160) : QSize(2000, 1500);
    const QSize gif = smoke ? QSize(160, 120) : QSize(2400, 1600);
    m_huge = smoke ? QSize(1200, 800) : QSize(10000, 10000);
    const QString originals = dir.filePath(QStringLiteral("originals"));

    // The page: 4 distinct pictures, each file its own copy on disk.
    QList<QByteArray> distinct;
    for (unsigned seed = 0; seed < 4; ++seed) {
        const QString path = originals + QStringLiteral("/big%1.jpg").arg(seed);
        need(writeDetailedJpeg(path, m_big.width(), m_big.height(), seed + 1, 90, false), path);
        distinct.append(readAll(path));
    }
    for (int n = 0; n < 40; ++n) {
        const QString name = QStringLiteral("p%1.jpg").arg(n, 2, 10, QChar('0'));
        copy(originals + QStringLiteral("/big%1.jpg").arg(n % 4), dir.filePath(QStringLiteral("page/") + name));
        m_pageNames.append(name);
        m_pageBytes.append(distinct.at(n % 4)); // shared, not copied, in memory
    }

    // The other kinds, two of each.
    const QString mixed = dir.filePath(QStringLiteral("mixed/"));
    need(writeDetailedJpeg(mixed + "m0.jpg", mid.width(), mid.height(), 11, 90, false), "m0.jpg");
    need(writeDetailedJpeg(mixed + "m2.jpg", m_big.width(), m_big.height(), 12, 90, true), "m2.jpg");
    need(writeDetailedBmp(mixed + "m4.bmp", m_big.width(), m_big.height(), 13), "m4.bmp");
    need(testsupport::writeFile(mixed + "m6.gif", testsupport::gifBytes({testsupport::busyImage(gif.width(), gif.height())})),
         "m6.gif");
    copy(mixed + "m0.jpg", mixed + "m1.jpg");
    copy(mixed + "m2.jpg", mixed + "m3.jpg");
    copy(mixed + "m4.bmp", mixed + "m5.bmp");
    copy(mixed + "m6.gif", mixed + "m7.gif");
    m_mixed = QStringLiteral("2 %1x%2 JPEGs, 2 progressive %3x%4 JPEGs, 2 %3x%4 bitmaps, 2 %5x%6 GIFs")
                  .arg(mid.width()).arg(mid.height()).arg(m_big.width()).arg(m_big.height())
                  .arg(gif.width()).arg(gif.height());

    for (unsigned seed = 0; seed < 4; ++seed) {
        const QString path = originals + QStringLiteral("/small%1.jpg").arg(seed);
        need(writeDetailedJpeg(path, small.width(), small.height(), seed + 21, 90, false), path);
    }
    for (int n = 0; n < 40; ++n)
        copy(originals + QStringLiteral("/small%1.jpg").arg(n % 4),
             dir.filePath(QStringLiteral("soak/s%1.jpg").arg(n, 2, 10, QChar('0'))));

    need(writeDetailedJpeg(dir.filePath("huge/huge.jpg"), m_huge.width(), m_huge.height(), 31, 85, false), "huge.jpg");

    // The scan folder: empty files of many kinds, names in no particular order.
    m_scanFolder = fastRoot + QStringLiteral("/scan");
    need(QDir().mkpath(m_scanFolder), m_scanFolder);
    m_scanCount = smoke ? 1000 : 100000;
    static const char* const suffixes[10] = {".jpg", ".JPG", ".jpg", ".bmp", ".Gif", ".txt", ".jpeg", ".png", ".gif", ".BMP"};
    for (int n = 0; n < m_scanCount; ++n) {
        const QString name = QStringLiteral("%1_%2%3")
                                 .arg(n % 3 == 0 ? "img" : n % 3 == 1 ? "DSC" : "Photo")
                                 .arg((qint64(n) * 7919) % 1000003)
                                 .arg(QString::fromLatin1(suffixes[n % 10]));
        QFile file(m_scanFolder + '/' + name);
        need(file.open(QIODevice::WriteOnly), name);
    }
}

} // namespace bench
