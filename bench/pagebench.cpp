#include "bench/pagebench.h"

#include "app/mdlselect.h"
#include "bench/procstats.h"
#include "browser/frmselect.h"
#include "browser/pagemath.h"
#include "folder/frmfolder.h"
#include "platform/runtime.h"
#include "platform/drives.h"
#include "support/browsefixture.h"
#include "viewer/frmphoto.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

namespace bench {

namespace {
double msSince(const QElapsedTimer& clock) { return double(clock.nsecsElapsed()) / 1e6; }

// Lets events run until `done` says so or `ms` have passed.
template <class Done>
void runEventsUntil(Done&& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
} // namespace

PageBench::PageBench(const QString& root, const QString& fastRoot)
{
    platform::setDriveTable({{QChar('C'), root, QStringLiteral("bench")}, {QChar('D'), fastRoot, QStringLiteral("fast")}});
    m_window = testsupport::startMainWindow();
    testsupport::setInnerSize(m_window, 9615, 6420); // 5 x 4 cells
}

PageBench::~PageBench()
{
    QPointer<FrmSelect> window = m_window;
    if (window)
        window->Unload();
    runEventsUntil([&] { return window.isNull(); }, 5000);
    platform::resetDriveTable();
}

int PageBench::pageSize() const { return m_window->PageSize; }

void PageBench::resizeGrid(float scaleWidth, float scaleHeight) { testsupport::setInnerSize(m_window, scaleWidth, scaleHeight); }

void PageBench::open(const QString& folder)
{
    MdlSelect::UseBmp = MdlSelect::UseJpg = MdlSelect::UseGif = 1;
    testsupport::browse(m_window, folder);
}

PageBench::Build PageBench::showPage(int p)
{
    Build build;
    QElapsedTimer clock;
    double lastTick = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        const double now = msSince(clock);
        build.worstLateMs = std::max(build.worstLateMs, now - lastTick - 5);
        lastTick = now;
    });
    QCoreApplication::processEvents();
    forgetAhead(); // a page made cold, with no work ahead in its way
    resetPeak();
    const qint64 before = residentKb();
    clock.start();
    ticker.start();
    m_window->ShowPage(p);
    build.ms = msSince(clock);
    ticker.stop();
    build.worstLateMs = std::max(build.worstLateMs, build.ms - lastTick - 5);
    build.peakAddedMb = double(std::max<qint64>(0, peakResidentKb() - before)) / 1024;
    return build;
}

qint64 PageBench::heldBytes() const
{
    qint64 bytes = 0;
    for (int i = 0; i < m_window->PageSize; ++i)
        if (m_window->Img_Photo.exists(i) && m_window->Img_Photo[i].Visible())
            bytes += m_window->Img_Photo[i].pictureImage().sizeInBytes();
    return bytes;
}

qint64 PageBench::cellBytes() const
{
    const QSize cell = m_window->Img_Photo[0].pictureSize();
    return qint64(m_window->PageSize) * cell.width() * cell.height() * 4;
}

int PageBench::shownCount() const
{
    int shown = 0;
    for (int i = 0; i < m_window->PageSize; ++i)
        shown += m_window->Img_Photo.exists(i) && m_window->Img_Photo[i].Visible() && m_window->Img_Photo[i].hasPicture();
    return shown;
}

void PageBench::changePages(int changes)
{
    auto* bar = static_cast<QScrollBar*>(m_window->VScroll.widget());
    for (int n = 0; n < changes; ++n) {
        const std::int16_t to = std::int16_t(m_window->VScroll.Value() == 0 ? 1 : 0);
        bar->triggerAction(to == 1 ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
        const QString caption = QStringLiteral("Tarnavel（%1 / ").arg(to + 1);
        runEventsUntil([&] { return m_window->Caption().startsWith(caption); }, 60000);
    }
}

PageBench::Change PageBench::changeDuringBuild(int afterSlot)
{
    Change change;
    FrmSelect* w = m_window;
    auto* bar = static_cast<QScrollBar*>(w->VScroll.widget());
    w->VScroll.setValue(0);
    QCoreApplication::processEvents();
    forgetAhead();
    const QString firstOfNext = w->PhotoNames.value(w->PageSize);
    const qint64 keyAfter = w->Img_Photo[afterSlot].pictureImage().cacheKey();
    qint64 keyFirst = 0;
    QElapsedTimer clock;
    double moved = -1;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        if (moved < 0) {
            if (w->Img_Photo[afterSlot].pictureImage().cacheKey() == keyAfter)
                return;
            keyFirst = w->Img_Photo[0].pictureImage().cacheKey();
            clock.start();
            moved = 0;
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        } else if (change.firstThumbnailMs < 0 && w->Img_Photo[0].pictureImage().cacheKey() != keyFirst &&
                   w->Lbl_Photo[0].Caption() == firstOfNext) {
            change.firstThumbnailMs = msSince(clock);
        }
    });
    poll.start();
    w->ShowPage(0);
    poll.stop();
    change.consistent = true;
    for (int i = 0; i < w->PageSize; ++i)
        if (w->Img_Photo[i].Visible() && (!w->Img_Photo[i].hasPicture() || w->Lbl_Photo[i].Caption().isEmpty()))
            change.consistent = false;
    return change;
}

void PageBench::forgetAhead() { m_window->pageBuild().forgetAhead(); }

void PageBench::waitForWorkAhead()
{
    const PageBuild& build = m_window->pageBuild();
    runEventsUntil([&] { return build.aheadJobs() > 0; }, 2000);
    runEventsUntil([&] { return build.aheadFinished() >= build.aheadJobs(); }, 120000);
}

qint64 PageBench::aheadBytes()
{
    m_window->pageBuild().stopAhead(); // what the threads made is kept
    return m_window->pageBuild().keptAheadBytes();
}

double PageBench::userPageChange(int to)
{
    const QString caption = pagemath::pageCaption(to, m_window->VScroll.Max());
    QElapsedTimer clock;
    clock.start();
    static_cast<QScrollBar*>(m_window->VScroll.widget())->setValue(to); // as a drag that ends there
    while (m_window->Caption() != caption && clock.elapsed() < 60000)
        QCoreApplication::processEvents();
    return msSince(clock);
}

PageBench::Change PageBench::changeDuringWorkAhead(int to)
{
    Change change;
    FrmSelect* w = m_window;
    runEventsUntil([&] { return w->pageBuild().aheadJobs() > 0; }, 2000);
    const QString first = w->PhotoNames.value(to * w->PageSize);
    const qint64 keyFirst = w->Img_Photo[0].pictureImage().cacheKey();
    QElapsedTimer clock;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        if (change.firstThumbnailMs < 0 && w->Img_Photo[0].pictureImage().cacheKey() != keyFirst &&
            w->Lbl_Photo[0].Caption() == first)
            change.firstThumbnailMs = msSince(clock);
    });
    clock.start();
    poll.start();
    const double whole = userPageChange(to);
    poll.stop();
    if (change.firstThumbnailMs < 0 && whole < 60000)
        change.firstThumbnailMs = whole; // shown before the poll could see it
    change.consistent = true;
    for (int i = 0; i < w->PageSize; ++i)
        if (w->Img_Photo[i].Visible() && (!w->Img_Photo[i].hasPicture() || w->Lbl_Photo[i].Caption().isEmpty()))
            change.consistent = false;
    return change;
}

double PageBench::timedOpen(const QString& folder)
{
    MdlSelect::UseBmp = MdlSelect::UseJpg = MdlSelect::UseGif = 1;
    QElapsedTimer clock;
    double end = -1;
    platform::setYieldHook([&] {
        if (clock.isValid())
            end = msSince(clock); // the build's last yield is at its end
    });
    testsupport::runFolderCommand(m_window, [&](FrmFolder* f) {
        f->Dir1.setPath(folder);
        QObject::connect(f, &platform::Form::unloaded, f, [&] { clock.start(); });
        static_cast<QAbstractButton*>(f->Com_Ok.widget())->click();
    });
    platform::setYieldHook({});
    return end;
}

double PageBench::scanMs()
{
    QElapsedTimer clock;
    clock.start();
    m_window->ListPhotos();
    return msSince(clock);
}

double PageBench::openViewer(const QString& folder, const QString& name)
{
    MdlSelect::PhotoFolder = folder;
    MdlSelect::PhotoName = name;
    QElapsedTimer clock;
    clock.start();
    QPointer<FrmPhoto> viewer = FrmPhoto::Instance();
    viewer->Show(0);
    if (!viewer || !viewer->Loaded()) {
        runEventsUntil([&] { return viewer.isNull(); }, 5000);
        return -1;
    }
    viewer->repaint(); // shown and painted
    const double ms = msSince(clock);
    viewer->Unload();
    runEventsUntil([&] { return viewer.isNull(); }, 5000);
    return ms;
}

} // namespace bench
