// The main window and its commands: start-up, the grid that follows the window, the folder scan, pages,
// the keyboard, the folder window and what it hands back, files and folders that change under the
// program, and the pages made ahead.

#include "app/application.h"
#include "app/mdlselect.h"
#include "browser/pagemath.h"
#include "folder/frmfolder.h"
#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/pictures/thumbnailcache.h"
#include "platform/pictures/thumbnailloader.h"
#include "platform/runtime.h"
#include "platform/twips.h"
#include "support/browsefixture.h"
#include "support/picturefiles.h"
#include "viewer/frmphoto.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFontMetrics>
#include <QListWidget>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

using namespace testsupport;
using MdlSelect::PhotoCount;
enum class CDrive { Fixture, Missing, MissingHome };     // what C: stands for when the folder window opens
Q_DECLARE_METATYPE(CDrive)

// Test classes whose every test starts from the main window at 4 x 3 cells on a drive of its own.
class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { t = std::make_unique<MainWindowTest>(), w = t->window; }
    void cleanup() { t.reset(); }

protected:
    std::unique_ptr<MainWindowTest> t;
    FrmSelect* w = nullptr;
};

// The main window: start-up and its place, and the grid that follows its size. (Both ways to end are
// tried on the real program in tests/desktop, and in the middle of builds in tst_storms.)
class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startsCentredThenEnlarged()
    {
        MdlSelect::PhotoFolder = QStringLiteral("left over");
        MdlSelect::UseJpg = 0;
        MainWindowTest t(false);
        FrmSelect* w = t.window;
        QVERIFY(w && w->isVisible() && !w->isModal());
        QCOMPARE(MdlSelect::PhotoFolder + QString::number(MdlSelect::UseJpg), QStringLiteral("1"));
        QCOMPARE(w->Caption(), QStringLiteral("写真選択"));
        // Its texts in a Japanese font: Windows's own UI fonts first there; the IPA fonts here and under Wine.
        QCOMPARE(app::japaneseFamilies().first(), onWindows ? "Yu Gothic UI" : "MS PGothic");
        QVERIFY(QFontMetrics(w->font()).inFontUcs4(U'写'));
        // The load handler centred the design size, to the pixel; the first resize then enlarged it to the
        // minimum size, to the right and downward, and made the first grid without a page.
        const float tpp = platform::twipsPerPixel();
        QVERIFY(qAbs(w->Left() - (platform::Screen::Width() - (3315 + w->Width() - w->ScaleWidth())) / 2) <= tpp);
        QVERIFY(qAbs(w->Top() - (platform::Screen::Height() - (2220 + w->Height() - w->ScaleHeight())) / 2) <= tpp);
        QCOMPARE(QSizeF(w->Width(), w->ScaleHeight()), QSizeF(6045, 3270));
        QCOMPARE(w->PageSize, 6);
        QCOMPARE(w->PageReady, std::int16_t(-1));
        // Below the minimum size, the minimum is kept; a new grid before any folder rebuilds the empty
        // list's only page: no cell shown, nothing busy.
        setInnerSize(w, 3000, 6420);
        QCOMPARE(QSizeF(w->Width(), w->ScaleHeight()), QSizeF(6045, 6420));
        QCOMPARE(QSize(MdlSelect::PhotoCols, MdlSelect::PhotoRows), QSize(3, 4));
        QCOMPARE(w->Caption(), QStringLiteral("Tarnavel（1 / 1）"));
        QVERIFY(w->FraPhoto.Visible() && !w->VScroll.Enabled() && platform::Screen::MousePointer() == platform::vbDefault);
        for (int i = 0; i < w->PageSize; ++i)
            QVERIFY(!w->Img_Photo[i].Visible() && !w->Lbl_Photo[i].Visible());
    }
};

// Browsing a folder: the keyboard, and the drive table read once a build. (The scan's order and its
// kinds: the main road's names and the file listing's rows; what arrives while a page is being built:
// tst_storms.)
class TestBrowse : public WindowTest {
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<QList<int>>("keys"); // 0: a resize to 5 x 4 cells
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("cell"); // the selected cell, on 40 photos in pages of 12
        using K = QList<int>;
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("a new folder: its first photo") << K{} << 0 << 0;
        QTest::newRow("right twice, within the page") << K{Qt::Key_Right, Qt::Key_Right} << 0 << 2;
        QTest::newRow("right past the page's last cell") << K{Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right} << 1 << 0;
        QTest::newRow("left past the page's first cell") << K{Qt::Key_PageDown, Qt::Key_Left} << 0 << 11;
        QTest::newRow("down past the last row") << K{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down} << 1 << 0;
        QTest::newRow("up from the first photo stays") << K{Qt::Key_Up, Qt::Key_Left} << 0 << 0;
        QTest::newRow("end, then right stays on the last photo") << K{Qt::Key_End, Qt::Key_Right} << 3 << 3;
        QTest::newRow("ctrl+end, then home") << K{ctrl | Qt::Key_End, Qt::Key_Home} << 0 << 0;
        QTest::newRow("page down keeps the place") << K{Qt::Key_Right, Qt::Key_Right, Qt::Key_PageDown} << 1 << 2;
        QTest::newRow("clamped to a short last page") << K{Qt::Key_Up, Qt::Key_Down, Qt::Key_Down, Qt::Key_Left, Qt::Key_End, Qt::Key_PageUp, Qt::Key_Right, Qt::Key_Down, Qt::Key_PageDown} << 3 << 3;
        QTest::newRow("a resize that rebuilds: the first photo") << K{Qt::Key_PageDown, Qt::Key_Right, 0} << 0 << 0;
    }
    // The keyboard in the grid: Page Up/Down, Home and End through the page scroll bar, and the arrow keys
    // moving one framed cell, across page ends.
    void keys()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, page);
        QFETCH(int, cell);
        browse(w, t->drive.makeBmpFolder(QStringLiteral("keys"), 40));
        for (const int key : keys) {
            if (key == 0)
                setInnerSize(w, 9615, 6420);
            else
                QTest::keyClick(w, Qt::Key(key & ~Qt::KeyboardModifierMask), Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
            settle();
        }
        QTRY_COMPARE(w->Caption(), pagemath::pageCaption(page, w->VScroll.Max()));
        QCOMPARE(w->SelectedCell(), cell);
        for (int i = 0; i < w->LoadedCount; ++i) // one frame, on the selected cell
            QCOMPARE(w->Img_Photo[i].Selected(), i == cell);
        setInnerSize(w, 8200, 5200); // a resize that keeps the page size keeps the page and the selection
        QVERIFY(w->Caption() == pagemath::pageCaption(page, w->VScroll.Max()) && w->SelectedCell() == cell);
    }

    // On the system's own drive table (C: the home folder): a page change reads it once on Windows, not
    // once a cell, and so do the pages made ahead and a rebuild; on Linux none of them reads the mount table.
    void driveTableReadOncePerBuild()
    {
        const QByteArray home = qgetenv("HOME");
        const auto restore = qScopeGuard([&] { qputenv("HOME", home); });
        qputenv("HOME", QFile::encodeName(t->drive.root()));
        t->drive.makeBmpFolder(QStringLiteral("reads"), 40, QSize(200, 120));
        platform::resetDriveTable(); // the system's drives: on Windows the folder is on a real drive
        browse(w, platform::toWindowsPath(t->drive.root() + QStringLiteral("/reads")));
        settle();
        QList<int> reads{platform::driveTableReads()};
        w->VScroll.setValue(1);
        reads << platform::driveTableReads();
        QTRY_VERIFY(w->pageBuild().aheadJobs() > 0);
        reads << platform::driveTableReads();
        w->setWidth(w->Width() + 1860); // a fifth column
        const int r = onWindows ? 1 : 0;
        QCOMPARE(reads << platform::driveTableReads(), (QList<int>{reads[0], reads[0] + r, reads[0] + 2 * r, reads[0] + 3 * r}));
    }
};

// The folder command: the folder window as it opens, its three ways out (OK storing the label's folder
// and the boxes, cancel and the close box storing nothing), a folder gone in between, and the busy
// window while the first page is built.
class TestCommands : public WindowTest {
    Q_OBJECT
private slots:
    void folderCommand_data()
    {
        QTest::addColumn<QString>("target"); // the folder opened in the folder window
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("firstShown"); // the picture in slot 0 afterwards
        QTest::newRow("OK, two pages") << "two" << 14 << "ok" << "Tarnavel（1 / 2）" << 0;
        QTest::newRow("OK on the folder shown: first page") << "kept" << 30 << "ok" << "Tarnavel（1 / 3）" << 0;
        QTest::newRow("cancel keeps everything") << "other" << 3 << "cancel" << "Tarnavel（2 / 3）" << 12;
        QTest::newRow("close box keeps everything") << "other" << 3 << "close" << "Tarnavel（2 / 3）" << 12;
        QTest::newRow("a folder gone before OK is told") << "gone" << 3 << "vanish" << "Tarnavel（2 / 3）" << 12;
        QTest::newRow("OK on a folder without photos: told, one empty page") << "empty" << 0 << "ok" << "Tarnavel（1 / 1）" << -1;
    }
    void folderCommand()
    {
        QFETCH(QString, target);
        QFETCH(int, count);
        QFETCH(QString, how);
        QFETCH(int, firstShown);
        const QString kept = t->drive.makeBmpFolder(QStringLiteral("kept"), 30);
        const QString next = target == "kept" ? kept : t->drive.makeBmpFolder(target, count);
        browse(w, kept);
        w->VScroll.setValue(1);
        // Each time the build lets events through: the hourglass, the folder command off, the frame hidden.
        int looks = 0, notBusy = 0;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            if (w->PageReady == 0 && !FrmFolder::Existing())
                ++looks, notBusy += w->MnuFolder.Enabled() || w->FraPhoto.Visible() || platform::Screen::MousePointer() != platform::vbHourglass;
        });
        probe.start(0);
        QVERIFY(runFolderCommand(w, [=, this](FrmFolder* f) {
            const QRect screen = f->screen()->geometry(), outer = f->frameGeometry(); // centred by its outer size
            QVERIFY(qAbs(outer.left() - (screen.width() - outer.width()) / 2) <= 1 && qAbs(outer.top() - (screen.height() - outer.height()) / 2) <= 1);
            QVERIFY(f->Drive1.Drive().startsWith("c:") && f->Dir1.Path() == "C:\\" && f->lbl_path.Caption() == "C:\\" && MdlSelect::ChosenFolder.isEmpty());
            QVERIFY(f->ChkPhoto[0].Value() == 1 && f->ChkPhoto[1].Value() == 1 && f->ChkPhoto[2].Value() == 1);
            f->Dir1.setPath(next);
            QVERIFY(how != "vanish" || QDir(t->drive.root() + '/' + target).removeRecursively());
            static_cast<QCheckBox*>(f->ChkPhoto[1].widget())->click(); // stored by OK only
            how == "close" ? void(f->close()) : clickThroughWindow((how == "cancel" ? f->Com_Cancel : f->Com_Ok).widget());
        }));
        probe.stop();
        const bool ok = how == "ok", left = how == "cancel" || how == "close";
        QCOMPARE(QList<int>({looks > 0, notBusy, MdlSelect::UseJpg}), QList<int>({ok, 0, left ? 1 : 0}));
        QCOMPARE(MdlSelect::ChosenFolder, left ? QString() : next);
        QCOMPARE(MdlSelect::PhotoFolder, ok ? next : kept);
        QCOMPARE(PhotoCount, ok ? count : 30);
        QTEST(w->Caption(), "caption");
        QVERIFY(firstShown < 0 ? !w->VScroll.Enabled() && !w->Img_Photo[0].Visible() && !w->Img_Photo[0].hasPicture() : slotShows(w, 0, firstShown));
        const QString told = how == "vanish" ? "ﾌｫﾙﾀﾞ C:\\gone を読み込めませんでした。\n" + platform::errorText(platform::ErrPathNotFound) : "ﾌｧｲﾙがありませんでした。";
        QCOMPARE(t->recorder.messages, how == "vanish" || count == 0 ? QStringList{"Tarnavel|" + told} : QStringList{});
        QVERIFY(w->FraPhoto.Visible() && w->MnuFolder.Enabled() && w->PageReady == -1 && platform::Screen::MousePointer() == platform::vbDefault);
        MdlSelect::UseJpg = 1;
    }
};

// Changes under the folder window's feet: folders and drives that go away under its lists, and a home
// folder that is not there. Each gets a message, and the list moves to the nearest folder still there.
// (Files, folders and drives gone between two pages: TestAhead's.)
class TestChanges : public WindowTest {
    Q_OBJECT
private slots:
    void folderWindow_data()
    {
        QTest::addColumn<CDrive>("c");
        QTest::addColumn<QString>("start"); // the list's folder before the change, "" for where it opens
        QTest::addColumn<QString>("gone");  // removed under the list, relative to the test's root
        QTest::addColumn<QString>("act");   // a drive to pick ("D:") or an entry to open with Enter
        QTest::addColumn<QString>("path");  // where the list and its label are left
        QTest::addColumn<QString>("message");
        const QString noFolder = QStringLiteral("ﾌｫﾙﾀﾞ %1 を開けませんでした。\nパスが見つかりません。");
        const QString noDrive = QStringLiteral("ﾌｫﾙﾀﾞ %1 を開けませんでした。\nデバイスが準備されていません。");
        const CDrive fix = CDrive::Fixture;
        QTest::newRow("picked drive unavailable") << fix << "" << "d" << "D:" << "C:\\" << "デバイスが無効です。";
        QTest::newRow("opened folder deleted") << fix << "C:\\a" << "a/b" << "b" << "C:\\a" << noFolder.arg("C:\\a\\b");
        QTest::newRow("opened folder's parent deleted") << fix << "C:\\a" << "a" << "b" << "C:\\" << noFolder.arg("C:\\a\\b");
        QTest::newRow("drive removed under the list") << fix << "D:\\" << "d" << "x" << "C:\\" << noDrive.arg("D:\\x");
        QTest::newRow("home folder missing: C: is the root") << CDrive::MissingHome << "" << "" << "" << "C:\\" << "";
        QTest::newRow("C: unavailable at load") << CDrive::Missing << "" << "" << "" << "" << "デバイスが無効です。";
    }
    void folderWindow()
    {
        QFETCH(CDrive, c);
        QFETCH(QString, start);
        QFETCH(QString, gone);
        QFETCH(QString, act);
        QFETCH(QString, path);
        QFETCH(QString, message);
        const QString root = t->drive.root();
        QVERIFY(QDir(root).mkpath("a/b") && QDir(root).mkpath("d/x"));
        platform::setDriveTable({{QChar('C'), c == CDrive::Missing ? root + "/none" : root, {}}, {QChar('D'), root + "/d", {}}});
        const QByteArray home = qgetenv("HOME");
        if (c == CDrive::MissingHome)
            qputenv("HOME", QFile::encodeName(root + "/none")), platform::resetDriveTable();
        QPointer<FrmFolder> window = FrmFolder::Instance();
        const auto unload = qScopeGuard([&] { if (window) window->Unload(); });
        window->Show();
        qputenv("HOME", home);
        QVERIFY(QTest::qWaitForWindowActive(window));
        if (!start.isEmpty())
            window->Drive1.setDrive(start.left(2)), window->Dir1.setPath(start);
        QVERIFY(gone.isEmpty() || QDir(root + '/' + gone).removeRecursively());
        auto* list = static_cast<QListWidget*>(window->Dir1.widget());
        if (act.endsWith(':'))
            window->Drive1.setDrive(act);
        else if (!act.isEmpty()) // the entry opened with Enter
            list->setCurrentItem(list->findItems(act, Qt::MatchExactly).value(0)), list->setFocus(), QTest::keyClick(list, Qt::Key_Return);
        QTRY_COMPARE(t->recorder.messages, message.isEmpty() ? QStringList() : QStringList{"Tarnavel|" + message});
        QTRY_COMPARE(window->lbl_path.Caption() + '|' + window->Dir1.Path(), path + '|' + path);
        QVERIFY(t->recorder.ends.isEmpty());
    }
};

// Pages made ahead: the neighbours of the page shown are made while the window is idle, used only while
// their files are unchanged, and given up as soon as the user acts.
class TestAhead : public WindowTest {
    Q_OBJECT
    static qint64 workerThumbnails() { return platform::ThumbnailLoader::counts().onWorkers; }
    QString makeFolder(int count) { return t->drive.makeBmpFolder(QStringLiteral("f"), count, QSize(200, 120)); } // made on the threads
private slots:
    void initTestCase() { platform::ThumbnailLoader::setCache(platform::ThumbnailCache(QString())); }

    // A page change after the page's files changed: made ahead or not, each cell shows its file as it is
    // now, or an empty picture under its name when its file, folder or drive has gone; never a message.
    void pageChangeShowsCurrentFile_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("decoded"); // thumbnails the page change had to make
        for (const char* change : {"none", "rewritten", "replaced", "deleted", "folder deleted", "drive gone"})
            QTest::newRow(change) << QString(change) << int(QByteArray(change) == "rewritten" || QByteArray(change) == "replaced");
    }
    void pageChangeShowsCurrentFile()
    {
        QFETCH(QString, change);
        const qint64 start = workerThumbnails();
        const QString folder = makeFolder(24), file = platform::toSystemPath(folder) + QStringLiteral("/p012.bmp");
        browse(w, folder);
        QTRY_COMPARE(workerThumbnails() - start, 24); // the first page, then the second made ahead
        QFile f(file);
        QVERIFY(change == "none" || change == "drive gone" || QFile::remove(file));
        if (change == "rewritten" || change == "replaced") { // the same size and a later time, or a larger file
            QVERIFY(writeFile(file, bmpBytes(change == "replaced" ? 210 : 200, 120, pictureColour(100))) && f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(10), QFileDevice::FileModificationTime));
        }
        if (change == "folder deleted")
            QDir(QFileInfo(file).path()).removeRecursively();
        if (change == "drive gone")
            platform::setDriveTable({{QChar('C'), t->drive.root() + "/gone", {}}});
        const qint64 before = workerThumbnails();
        static_cast<QScrollBar*>(w->VScroll.widget())->triggerAction(QAbstractSlider::SliderSingleStepAdd); // the user's
        QTRY_COMPARE(w->Caption(), QStringLiteral("Tarnavel（2 / 2）"));
        QTEST(int(workerThumbnails() - before), "decoded");
        const int empty = change == "deleted" ? 1 : change == "folder deleted" || change == "drive gone" ? 12 : 0; // the cells left empty
        for (int i = 0; i < 12; ++i)
            QVERIFY(i < empty ? w->Img_Photo[i].Visible() && !w->Img_Photo[i].hasPicture() && w->Lbl_Photo[i].Caption() == QStringLiteral("p%1.bmp").arg(12 + i, 3, 10, QChar('0'))
                             : slotShows(w, i, i == 0 && change != "none" ? 100 : 12 + i, QStringLiteral("p%1.bmp").arg(12 + i, 3, 10, QChar('0'))));
        QVERIFY(t->recorder.messages.isEmpty() && t->recorder.ends.isEmpty());
    }

    void userStopsWorkAhead_data()
    {
        QTest::addColumn<int>("photos");
        QTest::addColumn<int>("ahead"); // jobs made ahead once the window is idle
        QTest::addColumn<QString>("action");
        QTest::newRow("one page: nothing") << 12 << 0 << "";
        QTest::newRow("a second page of one") << 13 << 1 << "";
        for (const char* action : {"page change", "viewer", "resize"})
            QTest::newRow(action) << 60 << 12 << action;
    }
    void userStopsWorkAhead()
    {
        QFETCH(int, photos);
        QFETCH(QString, action);
        browse(w, makeFolder(photos));
        QCoreApplication::processEvents(); // the window is idle: the work ahead starts
        QTEST(w->pageBuild().aheadJobs(), "ahead");
        if (action == "viewer")
            whenModal([](QWidget* m) { return m == FrmPhoto::Existing(); }, [](QWidget* m) { m->close(); }), w->Img_Photo_Click(0);
        action == "page change" ? w->VScroll.setValue(3) : action == "resize" ? setInnerSize(w, 9615, 6420) : void();
        QVERIFY(action.isEmpty() || w->pageBuild().aheadJobs() == 0); // given up at once; made again once the window is idle
        if (!action.isEmpty() && action != "viewer") // (after the viewer, the page ahead may have been finished before it)
            QTRY_VERIFY(w->pageBuild().aheadJobs() > 0);
    }
};

TARNAVEL_TEST_MAIN(TestMainWindow, TestBrowse, TestCommands, TestChanges, TestAhead)
#include "tst_browse.moc"
