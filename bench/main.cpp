// The benchmark: makes its own pictures and folders, runs the program's page display, folder scan and
// viewer on them, and prints each figure beside a limit measured in the same run.

#include "bench/benchfiles.h"
#include "bench/heldkey.h"
#include "bench/pagebench.h"
#include "bench/procstats.h"
#include "bench/rawcodec.h"
#include "browser/frmselect.h"
#include "browser/pagemath.h"
#include "platform/pictures/thumbnailcache.h"
#include "platform/pictures/thumbnailloader.h"
#include "support/testforms.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

using namespace bench;

namespace {

int g_goals = 0;
int g_met = 0;

double msOf(const auto& run)
{
    QElapsedTimer clock;
    clock.start();
    run();
    return double(clock.nsecsElapsed()) / 1e6;
}

// The thumbnails written in the desktop's thumbnail cache under `root`, failure records aside.
int cacheEntries(const QString& root)
{
    int count = 0;
    for (QDirIterator it(root, {QStringLiteral("*.png")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        count += it.next().contains(QStringLiteral("/fail/")) ? 0 : 1;
    return count;
}

void goal(const char* label, const QString& text, bool met)
{
    ++g_goals;
    g_met += met ? 1 : 0;
    std::printf("%s %s: %s\n", label, qPrintable(text), met ? "met" : "NOT met");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    testsupport::RuntimeRecorder quiet; // message boxes are recorded, not shown
    if (args.value(1) == QStringLiteral("--cached-open")) {
        // (h), in a process of its own: the page folder opened with the thumbnails in the cache.
        platform::ThumbnailLoader::setCache(platform::ThumbnailCache(args.value(4)));
        PageBench child(args.value(2), args.value(3));
        std::printf("cached-open-ms %.3f\n", child.timedOpen(QStringLiteral("C:\\page")));
        return 0;
    }
    const bool smoke = args.contains(QStringLiteral("--smoke"));
    const int runs = smoke ? 1 : std::max(5, args.value(args.indexOf(QStringLiteral("--runs")) + 1).toInt());
    const int threads = platform::ThumbnailLoader::threadCount();

    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/tarnavel-bench-XXXXXX"));
    QTemporaryDir fast(fastFolderBase() + QStringLiteral("/tarnavel-bench-scan-XXXXXX"));
    std::printf("Making pictures in %s%s...\n", qPrintable(work.path()), smoke ? " (smoke: tiny inputs)" : "");
    std::fflush(stdout);
    const BenchFiles files(work.path(), fast.path(), smoke);
    std::printf("page pictures %dx%d (%.1f MB each), %d decoding threads, %d runs\n\n", files.bigSize().width(),
                files.bigSize().height(), double(files.pageBytes().value(0).size()) / 1e6, threads, runs);

    // The desktop's thumbnail cache is one of the benchmark's own, never the user's.
    auto freshCache = [&work, n = 0]() mutable {
        const QString root = work.path() + QStringLiteral("/cache%1").arg(++n);
        platform::ThumbnailLoader::setCache(platform::ThumbnailCache(root));
        return root;
    };
    freshCache();
    PageBench bench(work.path(), fast.path());
    const int cells = bench.pageSize();

    // (a), (b), (d): the page of large JPEGs against libjpeg's own 1/8 decodes of the same bytes.
    // The first page ever built pays for the memory the decoders keep for the next ones.
    resetPeak();
    const qint64 coldBefore = residentKb();
    bench.open(QStringLiteral("C:\\page"));
    double peakMb = double(std::max<qint64>(0, peakResidentKb() - coldBefore)) / 1024;
    double pageMs = 1e18, limitMs = 1e18, oneDecodeMs = 1e18, worstLate = 0;
    int fewestWritten = cells;
    for (int r = 0; r < runs; ++r) {
        const QString root = freshCache();
        bench.forgetAhead();
        const PageBench::Build build = bench.showPage(r % 2);
        pageMs = std::min(pageMs, build.ms);
        worstLate = std::max(worstLate, build.worstLateMs);
        peakMb = std::max(peakMb, build.peakAddedMb);
        // The cache is written after the page: each cold thumbnail's entry, by the end of the run.
        platform::ThumbnailLoader::waitForWrites(60000);
        fewestWritten = std::min(fewestWritten, cacheEntries(root));
        double sum = 0;
        for (const QByteArray& bytes : files.pageBytes().mid(0, cells)) {
            const double one = msOf([&] { rawJpegDecode(bytes, 8); });
            oneDecodeMs = std::min(oneDecodeMs, one);
            sum += one;
        }
        limitMs = std::min(limitMs, sum / threads);
    }
    const double held = double(bench.heldBytes()), cellBytes = double(bench.cellBytes());
    goal("(a)", QStringLiteral("page of %1 thumbnails of %2 MP JPEGs: %3 ms; limit %4 ms (raw libjpeg 1/8 decodes "
                               "from memory / %5 threads); ratio %6; goal <= 1.10; cache entries written after "
                               "the page, fewest of a run: %7 of %1")
                    .arg(cells).arg(files.bigMegapixels()).arg(pageMs, 0, 'f', 1).arg(limitMs, 0, 'f', 1)
                    .arg(threads).arg(pageMs / limitMs, 0, 'f', 2).arg(fewestWritten),
         pageMs / limitMs <= 1.10 && fewestWritten == cells);

    // Lateness also on a page of the other kinds: progressive and 12 MP JPEGs, bitmaps and GIFs.
    bench.open(QStringLiteral("C:\\mixed"));
    double mixedMs = 0, mixedPeakMb = 0;
    for (int r = 0; r < std::min(runs, 2); ++r) {
        freshCache();
        bench.forgetAhead();
        const PageBench::Build build = bench.showPage(0);
        mixedMs = build.ms;
        worstLate = std::max(worstLate, build.worstLateMs);
        mixedPeakMb = std::max(mixedPeakMb, build.peakAddedMb);
    }
    goal("(b)", QStringLiteral("worst lateness of a 5 ms timer while pages build: %1 ms (limit 50 ms; the pages "
                               "above and one of %2, built in %3 ms with %4 of 8 shown)")
                    .arg(worstLate, 0, 'f', 1).arg(files.mixedDescription()).arg(mixedMs, 0, 'f', 0)
                    .arg(bench.shownCount()),
         worstLate <= 50);

    // (c) the folder scan against one readdir pass with the same matching and order.
    bench.open(QStringLiteral("D:\\scan"));
    double scanMs = 1e18, rawMs = 1e18;
    QStringList raw;
    for (int r = 0; r < runs; ++r) {
        scanMs = std::min(scanMs, bench.scanMs());
        rawMs = std::min(rawMs, msOf([&] { raw = rawScan(files.scanFolder()); }));
    }
    goal("(c)", QStringLiteral("scan of %1 files (%2 pictures): %3 ms; limit %4 ms (readdir + suffix match + "
                               "upper-cased sort); ratio %5; same names: %6; goal <= 1.3")
                    .arg(files.scanFileCount()).arg(raw.size()).arg(scanMs, 0, 'f', 1).arg(rawMs, 0, 'f', 1)
                    .arg(scanMs / rawMs, 0, 'f', 2).arg(raw == bench.window()->PhotoNames ? "yes" : "NO"),
         scanMs / rawMs <= 1.3 && raw == bench.window()->PhotoNames);

    // (d) memory.
    goal("(d1)", QStringLiteral("a shown page holds %1 KB; limit %2 cells x cell pixels x 4 = %3 KB; ratio %4; goal <= 1.2")
                     .arg(held / 1024, 0, 'f', 0).arg(cells).arg(cellBytes / 1024, 0, 'f', 0)
                     .arg(held / cellBytes, 0, 'f', 2),
         held / cellBytes <= 1.2);
    goal("(d2)", QStringLiteral("peak memory added while a page of JPEGs builds: %1 MB = %2 MB per decoding thread; "
                                "goal <= 10 MB per thread (the mixed page: %3 MB, as bitmaps and GIFs decode whole "
                                "before they are scaled)")
                     .arg(peakMb, 0, 'f', 1).arg(peakMb / threads, 0, 'f', 1).arg(mixedPeakMb, 0, 'f', 1),
         peakMb / threads <= 10);
    bench.open(QStringLiteral("C:\\soak"));
    bench.changePages(6);
    const qint64 rssBefore = residentKb();
    bench.changePages(100);
    const double grownKb = double(residentKb() - rssBefore);
    goal("(d3)", QStringLiteral("resident memory after 100 page changes grew by %1 KB; limit one page, %2 KB")
                     .arg(grownKb, 0, 'f', 0).arg(double(bench.cellBytes()) / 1024, 0, 'f', 0),
         grownKb <= double(bench.cellBytes()) / 1024);

    // (e) the viewer against libjpeg's full decode of the same bytes.
    double viewMs = 1e18, fullMs = 1e18;
    for (int r = 0; r < runs; ++r) {
        const double ms = bench.openViewer(QStringLiteral("C:\\page"), files.pageNames().value(0));
        viewMs = std::min(viewMs, ms < 0 ? 1e18 : ms);
        fullMs = std::min(fullMs, msOf([&] { rawJpegDecode(files.pageBytes().value(0), 1); }));
    }
    goal("(e1)", QStringLiteral("viewer opens a %1 MP JPEG in %2 ms; limit %3 ms (raw libjpeg full decode from "
                                "memory); ratio %4; goal <= 1.3")
                     .arg(files.bigMegapixels()).arg(viewMs, 0, 'f', 1).arg(fullMs, 0, 'f', 1)
                     .arg(viewMs / fullMs, 0, 'f', 2),
         viewMs / fullMs <= 1.3);
    const double hugeMs = bench.openViewer(QStringLiteral("C:\\huge"), QStringLiteral("huge.jpg"));
    goal("(e2)", QStringLiteral("viewer opens a %1 MP JPEG: %2").arg(files.hugeMegapixels())
                     .arg(hugeMs < 0 ? QStringLiteral("failed") : QStringLiteral("yes, in %1 ms").arg(hugeMs, 0, 'f', 0)),
         hugeMs >= 0);

    // (f) a page change in the middle of a build.
    bench.open(QStringLiteral("C:\\page"));
    const platform::ThumbnailLoader::Counts before = platform::ThumbnailLoader::counts();
    platform::ThumbnailLoader::resetPeak();
    double firstMs = 1e18, worstFirstMs = 0;
    bool consistent = true;
    for (int r = 0; r < runs; ++r) {
        freshCache();
        bench.forgetAhead();
        const PageBench::Change change = bench.changeDuringBuild(2);
        const double ms = change.firstThumbnailMs < 0 ? 1e18 : change.firstThumbnailMs;
        firstMs = std::min(firstMs, ms);
        worstFirstMs = std::max(worstFirstMs, ms);
        consistent = consistent && change.consistent;
    }
    const platform::ThumbnailLoader::Counts after = platform::ThumbnailLoader::counts();
    goal("(f)", QStringLiteral("page change during a build: the new page's first thumbnail after %1 ms (worst %2); "
                               "limit one decode + 50 = %3 ms; old decodes dropped unstarted %4, discarded after "
                               "finishing %5 (over %6 runs); decodes running at once at most %7 (%8 threads); "
                               "slots consistent: %9")
                    .arg(firstMs, 0, 'f', 1).arg(worstFirstMs, 0, 'f', 1).arg(oneDecodeMs + 50, 0, 'f', 1)
                    .arg(after.dropped - before.dropped).arg(after.discarded - before.discarded).arg(runs)
                    .arg(after.peakRunning).arg(threads).arg(consistent ? "yes" : "NO"),
         firstMs <= oneDecodeMs + 50 && consistent && after.peakRunning <= threads);

    // (g) a page change to a page made ahead: the whole page from memory.
    freshCache();
    bench.open(QStringLiteral("C:\\page"));
    double aheadMs = 1e18, worstAheadMs = 0;
    for (int r = 0; r < runs; ++r) {
        bench.waitForWorkAhead();
        const double ms = bench.userPageChange(r % 2 == 0 ? 1 : 0);
        aheadMs = std::min(aheadMs, ms);
        worstAheadMs = std::max(worstAheadMs, ms);
    }
    goal("(g)", QStringLiteral("page change to a page made ahead: every cell shown after %1 ms (worst %2); goal <= 16 ms")
                    .arg(aheadMs, 0, 'f', 1).arg(worstAheadMs, 0, 'f', 1),
         aheadMs <= 16);

    // (h) the folder opened again in a new process, its thumbnails in the desktop's cache.
    const QString cache = freshCache();
    bench.forgetAhead();
    const double coldOpenMs = bench.timedOpen(QStringLiteral("C:\\page"));
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--cached-open"), work.path(), fast.path(), cache});
    child.waitForFinished(300000);
    const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
    const double cachedOpenMs = out.section(QStringLiteral("cached-open-ms "), 1).trimmed().toDouble();
    goal("(h)", QStringLiteral("the folder opened in a new process with its thumbnails in the shared cache: first page "
                               "in %1 ms; cold %2 ms; ratio %3; goal <= 0.1")
                    .arg(cachedOpenMs, 0, 'f', 1).arg(coldOpenMs, 0, 'f', 1).arg(cachedOpenMs / coldOpenMs, 0, 'f', 3),
         cachedOpenMs > 0 && cachedOpenMs / coldOpenMs <= 0.1);

    // (i) and (j) on a grid of 4 x 3, where the page folder has four pages.
    bench.resizeGrid(7755, 4830);
    double jumpMs = 1e18, worstJumpMs = 0;
    bool jumpsConsistent = true;
    for (int r = 0; r < runs; ++r) {
        freshCache();
        bench.forgetAhead();
        bench.userPageChange(0);
        const PageBench::Change change = bench.changeDuringWorkAhead(3);
        const double ms = change.firstThumbnailMs < 0 ? 1e18 : change.firstThumbnailMs;
        jumpMs = std::min(jumpMs, ms);
        worstJumpMs = std::max(worstJumpMs, ms);
        jumpsConsistent = jumpsConsistent && change.consistent;
    }
    goal("(i)", QStringLiteral("page change during the work ahead, to a page not made ahead: its first thumbnail after "
                               "%1 ms (worst %2); limit one decode + 50 = %3 ms; slots consistent: %4")
                    .arg(jumpMs, 0, 'f', 1).arg(worstJumpMs, 0, 'f', 1).arg(oneDecodeMs + 50, 0, 'f', 1)
                    .arg(jumpsConsistent ? "yes" : "NO"),
         jumpMs <= oneDecodeMs + 50 && jumpsConsistent);
    bench.userPageChange(1);
    bench.waitForWorkAhead();
    const double aheadHeld = double(bench.aheadBytes()), twoPages = 2.0 * double(bench.cellBytes());
    goal("(j)", QStringLiteral("held for the pages made ahead beside page 2 of 4: %1 KB; limit 2 pages x %2 cells x "
                               "cell pixels x 4 = %3 KB; ratio %4; goal <= 1.2")
                    .arg(aheadHeld / 1024, 0, 'f', 0).arg(bench.pageSize()).arg(twoPages / 1024, 0, 'f', 0)
                    .arg(aheadHeld / twoPages, 0, 'f', 2),
         aheadHeld / twoPages <= 1.2);

    // (k) a key held on the page scroll bar: 20 page changes a second for 5 s, down the pages and back, over
    // 20 pages of 30 cells of the big JPEGs, made cold.
    const int heldPages = smoke ? 3 : 20;
    const QString heldFolder = work.path() + QStringLiteral("/held");
    QDir().mkpath(heldFolder);
    qint64 fileBytes = 0;
    for (int n = 0; n < heldPages * 30; ++n) {
        const QString from = work.path() + QStringLiteral("/page/") + files.pageNames().at(n % files.pageNames().size());
        const QString to = heldFolder + QStringLiteral("/p%1.jpg").arg(n, 3, 10, QChar('0'));
        ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()); // the same bytes, files of their own
        fileBytes = std::max(fileBytes, QFileInfo(from).size());
    }
    bench.resizeGrid(11475, 8010); // 6 x 5
    freshCache();
    bench.open(QStringLiteral("C:\\held"));
    double coldPageMs = 1e18;
    for (int r = 0; r < 2; ++r) {
        freshCache();
        coldPageMs = std::min(coldPageMs, bench.showPage(1 + r).ms);
    }
    resetPeak();
    const qint64 decodeBefore = residentKb();
    rawJpegDecode(files.pageBytes().value(0), 8);
    const double decodeMb = double(std::max<qint64>(0, peakResidentKb() - decodeBefore)) / 1024;
    freshCache();
    const HeldKey key = holdPageKey(bench.window(), smoke ? 4 : 100, 50);
    goal("(k1)", QStringLiteral("a held key, 20 page changes a second: from each change until the caption and every "
                                "cell's name show its page, worst %1 ms; goal <= 50 ms").arg(key.worstNamesMs, 0, 'f', 1),
         key.worstNamesMs <= 50);
    goal("(k2)", QStringLiteral("decodes running at once: at most %1; goal <= %2 threads").arg(key.peakDecodes).arg(threads),
         key.peakDecodes <= threads);
    goal("(k3)", QStringLiteral("process threads: at most %1; %2 at rest; goal <= rest + %3").arg(key.peakThreads)
                     .arg(key.restThreads).arg(threads),
         key.peakThreads <= key.restThreads + threads);
    const double keptMb = 3.0 * double(bench.cellBytes()) / (1024 * 1024);
    const double heldLimitMb = (threads * (double(fileBytes) / (1024 * 1024) + decodeMb) + keptMb) * 1.2;
    goal("(k4)", QStringLiteral("memory added: %1 MB at its peak; limit (%2 threads x (file %3 MB + decode %4 MB) + "
                                "3 pages %5 MB) + 20% = %6 MB")
                     .arg(key.peakAddedMb, 0, 'f', 1).arg(threads).arg(double(fileBytes) / (1024 * 1024), 0, 'f', 1)
                     .arg(decodeMb, 0, 'f', 1).arg(keptMb, 0, 'f', 1).arg(heldLimitMb, 0, 'f', 1),
         key.peakAddedMb <= heldLimitMb);
    goal("(k5)", QStringLiteral("after the last change, every cell of its page shown in %1 ms; limit one cold page "
                                "(%2 ms) + 50 ms").arg(key.lastPageMs, 0, 'f', 1).arg(coldPageMs, 0, 'f', 1),
         key.lastPageMs >= 0 && key.lastPageMs <= coldPageMs + 50);

    std::printf("\ngoals met: %d of %d\n", g_met, g_goals);
    return 0;
}
