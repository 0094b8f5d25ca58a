// Event storms: the user's scroll changes, resizes, minimise and restore, the folder command, a
// thumbnail click, a key, 終了 and the close box, each arriving at every yield of a page change, a
// rebuild and a folder build; and bursts of page changes as a held key or a spun wheel sends them. At
// rest the window shows the scroll bar's page, whole, and no command ran inside a build that keeps it
// out.

#include "browser/pagemath.h"
#include "folder/frmfolder.h"
#include "platform/pictures/thumbnailloader.h"
#include "platform/runtime.h"
#include "support/browsefixture.h"
#include "support/picturefiles.h"
#include "viewer/frmphoto.h"

#include <QAbstractButton>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

using namespace testsupport;

enum class Storm { Scroll, Grow, Shrink, MinimiseRestore, FolderCommand, Click, RightKey, ExitCommand, CloseBox,
                   ArrowBurst, PageDownBurst, WheelBurst, ArrowsAndResizeBurst }; // a burst: a change at each yield, atYield in all
enum class Build { PageChange, Rebuild, FolderBuild };
Q_DECLARE_METATYPE(Storm)
Q_DECLARE_METATYPE(Build)

namespace {
int colourIndexOf(const QString& name) { return name.mid(1, 3).toInt() + (name.startsWith('q') ? 500 : 0); }
void grow(FrmSelect* w) { w->resize(9615 / 15, w->height() - w->client()->height() + 6420 / 15); }
void shrink(FrmSelect* w) { w->resize(w->width() - 2 * 1860 / 15, w->height() - w->client()->height() + 3270 / 15); }
void arrowDown(FrmSelect* w) { static_cast<QScrollBar*>(w->VScroll.widget())->triggerAction(QScrollBar::SliderSingleStepAdd); }
void wheelDown(FrmSelect* w)
{
    QWidget* grid = w->FraPhoto.widget(); // (the window system's events over a cell go up to it)
    QWheelEvent notch(QPointF(5, 5), grid->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(grid, &notch);
}

// The page shown is the scroll bar's, whole, under its caption; cells beyond the page are empty.
void verifyScrolledPageShown(FrmSelect* w)
{
    QVERIFY(w->FraPhoto.Visible() && w->ShownPageSize == w->PageSize && w->LoadedCount >= w->PageSize);
    QCOMPARE(w->Caption(), pagemath::pageCaption(w->VScroll.Value(), w->VScroll.Max()));
    QCOMPARE(w->pageBuild().shownPage(), w->VScroll.Value()); // no overtaken display ended after it
    const int first = w->VScroll.Value() * w->PageSize;
    for (int i = 0; i < w->LoadedCount; ++i) {
        const QString name = i < w->PageSize ? w->PhotoNames.value(first + i) : QString();
        QVERIFY2(name.isEmpty() ? !w->Img_Photo[i].Visible() && !w->Img_Photo[i].hasPicture() : slotShows(w, i, colourIndexOf(name), name),
                 qPrintable(QStringLiteral("slot %1").arg(i))); // its own picture under its own name
    }
}
} // namespace

class TestStorms : public QObject {
    Q_OBJECT
    RuntimeRecorder* m_recorder = nullptr;
    std::unique_ptr<BrowseFixture> m_drive;
    QString m_first, m_second, m_many; // 40 photos p000.bmp..., 30 q000.bmp... of their own colours, 36 pages made on the threads

private slots:
    void initTestCase()
    {
        m_drive = std::make_unique<BrowseFixture>();
        m_first = m_drive->makeBmpFolder(QStringLiteral("first"), 40);
        m_second = m_drive->makeFolder(QStringLiteral("second"));
        for (int n = 0; n < 30; ++n)
            m_drive->writeBytes(m_second, QStringLiteral("q%1.bmp").arg(n, 3, 10, QChar('0')), bmpBytes(16, 12, pictureColour(n + 500)));
        m_many = m_drive->makeBmpFolder(QStringLiteral("many"), 36 * 12, QSize(200, 120));
    }
    void init() { m_recorder = new RuntimeRecorder; }
    void cleanup()
    {
        platform::setYieldHook({});
        cancelModalWaits();
        if (FrmSelect::Existing())
            closeMainWindow();
        delete m_recorder; // after the window: its unload must not end the test's event loops
    }

    void stormDuringBuild_data()
    {
        QTest::addColumn<Build>("build");
        QTest::addColumn<Storm>("storm");
        QTest::addColumn<int>("atYield");
        const char* stormNames[] = {"scroll", "grow", "shrink", "minimise", "folder command", "thumbnail click", "right key", "exit", "close box"};
        // A page change yields once a slot (12); a rebuild to 3 x 3 once a slot and once a cell (18); a
        // folder build once a slot and once a cell of 4 x 3 (24). The storm comes at the build's first two
        // yields, on either side of its turn from cells to slots (a page change's middle), and at its last two.
        using Yields = QList<int>;
        for (const auto& [build, buildName, yields] : {std::tuple{Build::PageChange, "page change", Yields{1, 2, 6, 11, 12}},
                                                       std::tuple{Build::Rebuild, "rebuild", Yields{1, 2, 9, 10, 17, 18}},
                                                       std::tuple{Build::FolderBuild, "folder build", Yields{1, 2, 12, 13, 23, 24}}})
            for (int storm = 0; storm <= int(Storm::CloseBox); ++storm)
                for (int at : yields)
                    QTest::addRow("%s, %s at yield %d", buildName, stormNames[storm], at) << build << Storm(storm) << at;
        // Page changes in bursts, each delivered from inside the yields of the display it overtakes, as a held
        // key or a spun wheel sends them: the newest page wins, one display at most is on the stack, and the
        // decodes running at once never outnumber the threads.
        const char* burstNames[] = {"scroll arrow", "Page Down", "wheel", "arrows and a resize"};
        for (int burst = int(Storm::ArrowBurst); burst <= int(Storm::ArrowsAndResizeBurst); ++burst)
            for (int changes : {2, 5, 30})
                QTest::addRow("%d by %s", changes, burstNames[burst - int(Storm::ArrowBurst)]) << Build::PageChange << Storm(burst) << changes;
    }
    void stormDuringBuild()
    {
        QFETCH(Build, build);
        QFETCH(Storm, storm);
        QFETCH(int, atYield);
        const bool burst = storm >= Storm::ArrowBurst;
        QPointer<FrmSelect> w = startGridWindow();
        browse(w, burst ? m_many : m_first);
        platform::ThumbnailLoader::resetPeak();
        // The build's own folder window is answered with OK on the second folder. A command that runs
        // inside a build is recorded: a folder window, or a viewer opened while the thumbnails are hidden.
        bool commandInBuild = false, viewerOpened = false;
        if (build == Build::FolderBuild)
            whenModal([](QWidget* m) { return m == FrmFolder::Existing(); }, [this](QWidget*) {
                FrmFolder::Existing()->Dir1.setPath(m_second);
                static_cast<QAbstractButton*>(FrmFolder::Existing()->Com_Ok.widget())->click();
            });
        int yields = 0, delivered = 1; // (a burst's first change is the build's own)
        bool lagged = false; // a yield at which the caption was not the page of the scroll bar's last change
        platform::setYieldHook([&] {
            const bool direct = storm == Storm::ArrowBurst || storm == Storm::WheelBurst; // (a key's change comes posted)
            lagged = lagged || (direct && w && w->Caption() != pagemath::pageCaption(w->VScroll.Value(), w->VScroll.Max()));
            if (burst && w && delivered < atYield) {
                if (storm == Storm::ArrowsAndResizeBurst && delivered++ == atYield / 2)
                    return grow(w); // a rebuild from the first page, in the middle of the burst
                storm == Storm::PageDownBurst ? QTest::keyClick(w, Qt::Key_PageDown) : storm == Storm::WheelBurst ? wheelDown(w) : arrowDown(w);
                delivered += storm != Storm::ArrowsAndResizeBurst;
            }
            if (burst || ++yields != atYield || !w)
                return;
            switch (storm) {
            case Storm::Scroll: arrowDown(w); break;
            case Storm::Grow: grow(w); break;
            case Storm::Shrink: shrink(w); break;
            case Storm::MinimiseRestore:
                w->setWindowStateNumber(1);
                QTimer::singleShot(0, w, [w] { w->setWindowStateNumber(0); });
                break;
            case Storm::FolderCommand: // delivered as a menu click queued just before the build began would be
                platform::postHandler(w, [w] { w->MnuFolder_Click(); });
                whenModal([](QWidget* m) { return m == FrmFolder::Existing(); }, [&](QWidget* m) { commandInBuild = true, m->close(); });
                break;
            case Storm::Click:
                emit static_cast<platform::ImageWidget*>(w->Img_Photo[0].widget())->clicked();
                whenModal([](QWidget* m) { return m == FrmPhoto::Existing(); },
                          [&, busy = w->PageReady == 0](QWidget* m) { viewerOpened = true, commandInBuild = commandInBuild || busy, m->close(); });
                break;
            case Storm::RightKey: QTest::keyClick(w, Qt::Key_Right); break;
            case Storm::ExitCommand: w->MnuClose.action()->trigger(); break;
            case Storm::CloseBox: w->close(); break;
            default: break;
            }
        });
        if (build == Build::PageChange)
            arrowDown(w);
        else if (build == Build::Rebuild)
            w->setWidth(w->Width() - 1860); // 3 x 3
        else
            w->MnuFolder.action()->trigger();
        // Let everything the storm set off run to its end.
        QTRY_VERIFY(!w || !w->Loaded() || ((burst ? delivered : yields) >= atYield && w->PageReady == -1 && w->MnuFolder.Enabled() && !FrmFolder::Existing() &&
                                           w->pageBuild().displays() == 0 && w->Caption() == pagemath::pageCaption(w->VScroll.Value(), w->VScroll.Max())));
        if (storm == Storm::Click && build == Build::PageChange)
            QTRY_VERIFY(viewerOpened); // a page change lets the viewer open; the page goes on after it
        QVERIFY(!commandInBuild && platform::Screen::MousePointer() == platform::vbDefault);
        const bool ended = !w || !w->Loaded();
        QCOMPARE(m_recorder->ends, storm == Storm::ExitCommand && ended ? QList<int>{0} : QList<int>{});
        QCOMPARE(m_recorder->noFormsLeft, ended ? 1 : 0);
        QVERIFY(!ended || storm == Storm::ExitCommand || storm == Storm::CloseBox);
        if (ended)
            return;
        verifyScrolledPageShown(w);
        QVERIFY(storm != Storm::RightKey || build == Build::PageChange || w->SelectedCell() == 0); // keys do nothing while a rebuild or a folder build runs
        QVERIFY(w->pageBuild().peakDisplays() <= 1 && platform::ThumbnailLoader::counts().peakRunning <= platform::ThumbnailLoader::threadCount());
        QVERIFY(!burst || storm == Storm::ArrowsAndResizeBurst || (w->VScroll.Value() == atYield && !lagged)); // no change lost, none shown late
    }
};

TARNAVEL_TEST_MAIN(TestStorms)
#include "tst_storms.moc"
