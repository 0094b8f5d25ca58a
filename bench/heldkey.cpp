#include "bench/heldkey.h"

#include "bench/procstats.h"
#include "browser/frmselect.h"
#include "browser/pagemath.h"
#include "platform/pictures/thumbnailloader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

namespace bench {

namespace {
double msSince(const QElapsedTimer& clock) { return double(clock.nsecsElapsed()) / 1e6; }

// Whether the window shows page `page`'s caption and, in every cell, the name of its photo.
bool namesShown(const FrmSelect* w, int page)
{
    if (w->Caption() != pagemath::pageCaption(page, w->VScroll.Max()))
        return false;
    const int filled = pagemath::filledSlots(page, w->VScroll.Max(), w->PhotoNames.size(), w->PageSize);
    for (int i = 0; i < filled; ++i)
        if (w->Lbl_Photo[i].Caption() != w->PhotoNames.value(page * w->PageSize + i))
            return false;
    return true;
}

bool picturesShown(const FrmSelect* w, int page)
{
    const int filled = pagemath::filledSlots(page, w->VScroll.Max(), w->PhotoNames.size(), w->PageSize);
    for (int i = 0; i < filled; ++i)
        if (!w->Img_Photo[i].hasPicture())
            return false;
    return namesShown(w, page);
}
} // namespace

HeldKey holdPageKey(FrmSelect* w, int changes, int intervalMs)
{
    HeldKey held;
    auto* bar = static_cast<QScrollBar*>(w->VScroll.widget());
    w->VScroll.setValue(0);
    QCoreApplication::processEvents();
    w->pageBuild().forgetAhead();
    platform::ThumbnailLoader::resetPeak();
    resetPeak();
    const qint64 before = residentKb();
    held.restThreads = held.peakThreads = threadCount();

    QElapsedTimer clock;
    clock.start();
    int sent = 0;
    int wanted = 0;
    int down = 1;
    double changedAt = -1; // the last change whose names have not shown yet
    double lastAt = -1;
    QTimer key;
    key.setTimerType(Qt::PreciseTimer);
    QObject::connect(&key, &QTimer::timeout, &key, [&] {
        const double now = msSince(clock);
        if (changedAt >= 0) // not shown before the next change came
            held.worstNamesMs = std::max(held.worstNamesMs, now - changedAt);
        // Down to the last page, then back up, and so on: every step is a change.
        if (bar->value() == bar->maximum() || (down < 0 && bar->value() > bar->minimum()))
            down = bar->value() == bar->minimum() ? 1 : -1;
        bar->triggerAction(down > 0 ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
        wanted = bar->value();
        changedAt = lastAt = now;
        if (++sent == changes)
            key.stop();
    });
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        const double now = msSince(clock);
        held.peakThreads = std::max(held.peakThreads, threadCount());
        if (changedAt >= 0 && namesShown(w, wanted)) {
            held.worstNamesMs = std::max(held.worstNamesMs, now - changedAt);
            changedAt = -1;
        }
        if (sent == changes && held.lastPageMs < 0 && picturesShown(w, wanted))
            held.lastPageMs = now - lastAt;
    });
    key.start(intervalMs);
    poll.start(1);
    while ((sent < changes || held.lastPageMs < 0) && clock.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    held.peakDecodes = platform::ThumbnailLoader::counts().peakRunning;
    held.peakAddedMb = double(std::max<qint64>(0, peakResidentKb() - before)) / 1024;
    return held;
}

} // namespace bench
