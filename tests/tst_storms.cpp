// Event storms: the user's scroll changes, resizes, minimise and restore, the folder command, 終了 and
// the close box, each arriving at every yield of a page change, a rebuild and a folder build.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "browser/pagemath.h"
#include "folder/frmfolder.h"
#include "platform/runtime.h"
#include "support/browsefixture.h"
#include "support/modal.h"
#include "support/picturefiles.h"

#include <QAbstractButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace testsupport;

enum class Storm { Scroll, Grow, Shrink, MinimiseRestore, FolderCancel, FolderOk, ExitCommand, CloseBox };
enum class Build { PageChange, Rebuild, FolderBuild };
Q_DECLARE_METATYPE(Storm)
Q_DECLARE_METATYPE(Build)

namespace {
const int Photos = 40;      // p000.bmp ... in "first"
const int OtherPhotos = 30; // q000.bmp ... in "second", colours of their own
int colourIndexOf(const QString& name) { return name.mid(1, 3).toInt() + (name.startsWith('q') ? 500 : 0); }

void grow(FrmSelect* w) { w->resize(9615 / 15, w->height() - w->client()->height() + 6420 / 15); }
void shrink(FrmSelect* w) { w->resize(w->width() - 2 * 1860 / 15, w->height() - w->client()->height() + 3270 / 15); }
} // namespace

class TestStorms : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { m_recorder = std::make_unique<RuntimeRecorder>(); }
    void cleanup();
    void stormDuringBuild_data();
    void stormDuringBuild();

private:
    std::unique_ptr<RuntimeRecorder> m_recorder;
    std::unique_ptr<BrowseFixture> m_drive;
    QString m_first;
    QString m_second;
};

void TestStorms::initTestCase()
{
    m_drive = std::make_unique<BrowseFixture>();
    m_first = m_drive->makeBmpFolder(QStringLiteral("first"), Photos);
    m_second = m_drive->makeFolder(QStringLiteral("second"));
    for (int n = 0; n < OtherPhotos; ++n)
        m_drive->writeBytes(m_second, QStringLiteral("q%1.bmp").arg(n, 3, 10, QChar('0')),
                            bmpBytes(16, 12, pictureColour(n + 500)));
}

void TestStorms::cleanup()
{
    platform::setYieldHook({});
    cancelModalWaits();
    if (FrmSelect::Existing())
        closeMainWindow();
    m_recorder.reset(); // after the window: its unload must not end the test's event loops
}

void TestStorms::stormDuringBuild_data()
{
    QTest::addColumn<Build>("build");
    QTest::addColumn<Storm>("storm");
    QTest::addColumn<int>("atYield");
    const QList<QPair<Build, QString>> builds{{Build::PageChange, "page change"},
                                              {Build::Rebuild, "rebuild"},
                                              {Build::FolderBuild, "folder build"}};
    const QList<QPair<Storm, QString>> storms{{Storm::Scroll, "scroll"},
                                              {Storm::Grow, "grow"},
                                              {Storm::Shrink, "shrink"},
                                              {Storm::MinimiseRestore, "minimise"},
                                              {Storm::FolderCancel, "folder cancel"},
                                              {Storm::FolderOk, "folder ok"},
                                              {Storm::ExitCommand, "exit"},
                                              {Storm::CloseBox, "close box"}};
    for (const auto& [build, buildName] : builds) {
        // A page change yields once a slot (12); a rebuild to 3 x 3 once a slot and once a cell (18);
        // a folder build once a slot and once a cell of 4 x 3 (24).
        const int yields = build == Build::PageChange ? 12 : build == Build::Rebuild ? 18 : 24;
        for (const auto& [storm, stormName] : storms)
            for (int at = 1; at <= yields; ++at)
                QTest::addRow("%s, %s at yield %d", qPrintable(buildName), qPrintable(stormName), at)
                    << build << storm << at;
    }
}

void TestStorms::stormDuringBuild()
{
    QFETCH(Build, build);
    QFETCH(Storm, storm);
    QFETCH(int, atYield);
    RuntimeRecorder& recorder = *m_recorder;
    QPointer<FrmSelect> w = startGridWindow();
    browse(w, m_first);

    // Every folder window that opens is answered: the build's own with OK on the first folder, the
    // storm's with cancel, or OK on the second folder.
    const auto answerStorm = [this, storm] {
        if (storm != Storm::FolderCancel && storm != Storm::FolderOk)
            return;
        const bool ok = storm == Storm::FolderOk;
        whenModal([](QWidget* m) { return m == FrmFolder::Existing(); },
                  [this, ok](QWidget*) {
                      FrmFolder* f = FrmFolder::Existing();
                      if (ok)
                          f->Dir1.setPath(m_second);
                      static_cast<QAbstractButton*>((ok ? f->Com_Ok : f->Com_Cancel).widget())->click();
                  });
    };
    if (build == Build::FolderBuild) {
        whenModal([](QWidget* m) { return m == FrmFolder::Existing(); },
                  [this, answerStorm](QWidget*) {
                      FrmFolder* f = FrmFolder::Existing();
                      f->Dir1.setPath(m_first);
                      static_cast<QAbstractButton*>(f->Com_Ok.widget())->click();
                      answerStorm();
                  });
    } else {
        answerStorm();
    }
    int yields = 0;
    platform::setYieldHook([&] {
        if (++yields != atYield || !w)
            return;
        auto* bar = static_cast<QScrollBar*>(w->VScroll.widget());
        switch (storm) {
        case Storm::Scroll: bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
        case Storm::Grow: grow(w); break;
        case Storm::Shrink: shrink(w); break;
        case Storm::MinimiseRestore:
            w->setWindowStateNumber(1);
            QTimer::singleShot(0, w, [w] { w->setWindowStateNumber(0); });
            break;
        case Storm::FolderCancel:
        case Storm::FolderOk: w->MnuFolder.action()->trigger(); break;
        case Storm::ExitCommand: w->MnuClose.action()->trigger(); break;
        case Storm::CloseBox: w->close(); break;
        }
    });

    switch (build) {
    case Build::PageChange:
        static_cast<QScrollBar*>(w->VScroll.widget())->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Build::Rebuild: w->setWidth(w->Width() - 1860); break; // 3 x 3
    case Build::FolderBuild: w->MnuFolder.action()->trigger(); break;
    }
    // Let everything the storm set off run to its end.
    QTRY_VERIFY(!w || !w->Loaded() || (yields >= atYield && w->PageReady == -1 && !FrmFolder::Existing()));
    QTest::qWait(30);
    QTRY_VERIFY(!w || !w->Loaded() || w->PageReady == -1);

    const bool ended = !w || !w->Loaded();
    if (storm == Storm::ExitCommand && yields >= atYield && ended) {
        QCOMPARE(recorder.ends, QList<int>{0});
        return;
    }
    QVERIFY(recorder.ends.isEmpty());
    if (ended) {
        QCOMPARE(storm, Storm::CloseBox);
        QCOMPARE(recorder.noFormsLeft, 1);
        QTRY_VERIFY(w.isNull());
        return;
    }
    // The window is whole again: ready, shown, the pointer back, the folder command usable.
    QCOMPARE(w->PageReady, std::int16_t(-1));
    QVERIFY(w->FraPhoto.Visible());
    QCOMPARE(platform::Screen::MousePointer(), platform::vbDefault);
    QVERIFY(w->MnuFolder.Enabled());
    QCOMPARE(w->ShownPageSize, w->PageSize);
    QVERIFY(w->LoadedCount >= w->PageSize);
    // Never another photo's picture under a name, and no stale cell beyond the page.
    for (int i = 0; i < w->LoadedCount; ++i) {
        if (i >= w->PageSize) {
            QVERIFY2(!w->Img_Photo[i].Visible() && !w->Img_Photo[i].hasPicture(), qPrintable(QString::number(i)));
            continue;
        }
        const QString name = w->Lbl_Photo[i].Caption();
        if (w->Img_Photo[i].Visible() && !name.isEmpty())
            QVERIFY2(slotShows(w, i, colourIndexOf(name), name), qPrintable(QStringLiteral("%1 %2").arg(i).arg(name)));
    }
    // The page shown is the scroll bar's, except after a nested page change, which by design lets the
    // outer display finish its own page and caption.
    if (storm != Storm::Scroll) {
        QCOMPARE(w->Caption(), pagemath::pageCaption(w->VScroll.Value(), w->VScroll.Max()));
        const int first = w->VScroll.Value() * w->PageSize;
        for (int i = 0; i < w->PageSize && first + i < w->PhotoNames.size(); ++i)
            QCOMPARE(w->Lbl_Photo[i].Caption(), w->PhotoNames[first + i]);
    }
}

QTEST_MAIN(TestStorms)
#include "tst_storms.moc"
