// The form runtime and the arithmetic the windows rest on: twips, guarded integers, pages, the grid, the
// viewer's size, the keyboard's selection; the nested resize, the scroll bar's change event, control
// arrays, message boxes and uncaught errors; drives, paths, file listings and the drive and folder lists.

#include "browser/pagemath.h"
#include "platform/controlarray.h"
#include "platform/dirlist.h"
#include "platform/drivelist.h"
#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/filelist.h"
#include "platform/image.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/thumbnailcache.h"
#include "platform/runtime.h"
#include "platform/scrollbar.h"
#include "platform/twips.h"
#include "support/testforms.h"
#include "viewer/viewerfit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>
#include <cmath>

using namespace platform;
using namespace pagemath;
using namespace testsupport;
using Op = std::function<QVariant()>;
Q_DECLARE_METATYPE(Move)

namespace {
// The events a scroll bar's change handler saw while `steps` ran on it: the values, or the error raised.
long long scrollEvents(const std::function<void(ScrollBar&)>& steps)
{
    QWidget parent;
    ScrollBar bar(&parent, QStringLiteral("VScroll"));
    long long seen = 0;
    bar.setChangeHandler([&] { seen = seen * 100 + bar.Value() + 1; });
    steps(bar);
    return seen;
}
// What `use` gives of a control array of images, element 0 shown at design, elements 1 to 3 loaded.
long long images(const std::function<long long(ControlArray<Image>&)>& use)
{
    QWidget frame;
    ControlArray<Image> array(std::make_unique<Image>(&frame, QStringLiteral("Img_Photo")));
    array[0].Move(60, 60, 600, 600);
    array[0].setVisible(true);
    for (int i = 1; i < 4; ++i)
        array.Load(i);
    return use(array);
}
// The root of the user's thumbnail cache with XDG_CACHE_HOME and HOME so (null: unset).
QString cacheRoot(const char* xdg, const char* home)
{
    const QByteArray were[] = {qgetenv("XDG_CACHE_HOME"), qgetenv("HOME")};
    xdg ? qputenv("XDG_CACHE_HOME", xdg) : qunsetenv("XDG_CACHE_HOME");
    home ? qputenv("HOME", home) : qunsetenv("HOME");
    const QString root = platform::ThumbnailCache::forUser().root();
    qputenv("XDG_CACHE_HOME", were[0]), qputenv("HOME", were[1]);
    return root;
}
// Loads a picture file of a folder holding a.gif and the folder folder.gif.
long long load(const char* path)
{
    static QTemporaryDir dir;
    QDir(dir.path()).mkpath("folder.gif");
    QFile(dir.filePath("a.gif")).open(QIODevice::WriteOnly);
    return LoadPictureFile(dir.filePath(path)).isEmpty();
}
} // namespace

// The arithmetic, with cases at its edges, and the runtime's operations with the errors they raise.
class TestArithmetic : public QObject {
    Q_OBJECT
    // The last page's number, how many slots it fills, the first photo without a page (0: none), a page's caption.
    static QString pages(int count, int size)
    {
        const PageRange r = pageRange(count, size);
        return QStringLiteral("%1 %2 %3 ").arg(r.lastPage).arg(filledSlots(r.lastPage, r.lastPage, count, size)).arg(r.clipped ? r.firstUnreachable : 0) +
               pageCaption(r.lastPage, r.lastPage) + (filledSlots(0, 1, count, size) == size ? "" : " (a page before the last not full)");
    }
    // Columns x rows of an inner area, and where its last cell's thumbnail stands (inside the frame).
    static QString grid(float scaleWidth, float scaleHeight)
    {
        const int columns = gridColumns(scaleWidth), rows = gridRows(scaleHeight);
        const CellPlace last = cellPlace(columns * rows - 1, columns);
        return QStringLiteral("%1 x %2 at %3, %4").arg(columns).arg(rows).arg(last.left).arg(last.top) + (last.left + 1800 <= scaleWidth - 315 ? "" : " outside");
    }
private slots:
    void operations_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<QVariant>("expected"); // "error N": the run-time error of that number
        const auto row = [](const char* name, Op op, const QVariant& expected) { QTest::newRow(name) << op << expected; };
        row("half a pixel rounds away from zero", [] { return toPixels(22.5f, twipsPerPixel(96.0)); }, 2);
        row("a negative place", [] { return toPixels(-45.0f, twipsPerPixel(96.0)); }, -3);
        row("144 dpi, pixels to twips and back", [] { return toPixels(toTwips(120, twipsPerPixel(144.0)), 10.0f); }, 120);
        row("add overflows", [] { return add32(2147483647, 1); }, "error 6");
        row("mul overflows", [] { return mul32(46341, 46341); }, "error 6");
        row("trunc toward zero", [] { return truncTo32(23.0 / 12) + truncTo32(-1.0 / 12); }, 1);
        row("trunc NaN", [] { return truncTo32(std::nan("")); }, "error 6");
        row("narrow16 past the bottom", [] { return narrowTo16(-32769); }, "error 6");
        row("selection down to a short last row", [] { return movedSelection(11, Move::Down, 14, 4); }, 13); // 14 photos in rows of 4
        row("selection down from the last row stays", [] { return movedSelection(12, Move::Down, 14, 4); }, 12);
        row("pages: an empty list, one empty page", [] { return pages(0, 12); }, "0 0 0 Tarnavel（1 / 1）");
        row("pages: exactly one page", [] { return pages(12, 12); }, "0 12 0 Tarnavel（1 / 1）");
        row("pages: one more", [] { return pages(13, 12); }, "1 1 0 Tarnavel（2 / 2）");
        row("pages: the last 16-bit page", [] { return pages(32768 * 6, 6); }, "32767 6 0 Tarnavel（32768 / 32768）");
        row("pages: one photo too many", [] { return pages(32768 * 6 + 1, 6); }, "32767 6 196609 Tarnavel（32768 / 32768）");
        row("pages: the largest count", [] { return pages(2147483647, 1); }, "32767 1 32769 Tarnavel（32768 / 32768）");
        row("grid: 4 x 3 at 7755 x 4830", [] { return grid(7755, 4830); }, "4 x 3 at 5640, 3240");
        row("grid: 3 x 2 at 7754 x 4829", [] { return grid(7754, 4829); }, "3 x 2 at 3780, 1650");
        row("grid: the smallest window, 165 twips of border", [] { return grid(6045 - 165, 3270); }, "2 x 2 at 1920, 1650");
        row("grid: the design size", [] { return grid(3315, 2220); }, "1 x 1 at 60, 60");
        row("grid: nothing fits", [] { return QSize(gridColumns(100), gridRows(50)); }, QSize(0, 0));
        // The viewer's inner area in a room of 1000 x 800 with bars 20 thick, and a picture fitted into it.
        row("viewer: fits", [] { return viewerfit::innerSize({300, 200}, {1000, 800}, 20); }, QSizeF(300, 200));
        row("viewer: wider, the bar below adds to the height", [] { return viewerfit::innerSize({3000, 500}, {1000, 800}, 20); }, QSizeF(1000, 520));
        row("viewer: wider, too little height left", [] { return viewerfit::innerSize({3000, 790}, {1000, 800}, 20); }, QSizeF(1000, 800));
        row("viewer: taller", [] { return viewerfit::innerSize({500, 4000}, {1000, 800}, 20); }, QSizeF(520, 800));
        row("viewer: a picture that fits, fitted", [] { return viewerfit::fittedSize({300, 200}, {1000, 800}); }, QSizeF(300, 200));
        row("viewer: a wider one, fitted", [] { return viewerfit::fittedSize({3000, 500}, {1000, 800}); }, QSizeF(1000, 500.0 / 3));
        row("viewer: a taller one, fitted", [] { return viewerfit::fittedSize({500, 4000}, {1000, 800}); }, QSizeF(100, 800));
        // The scroll bar's change event, raised at once inside the assignment (values seen + 1, in turn).
        row("scroll: a new value", [] { return scrollEvents([](ScrollBar& b) { b.setMax(5), b.setValue(3); }); }, 4);
        row("scroll: the same value, no event", [] { return scrollEvents([](ScrollBar& b) { b.setMax(5), b.setValue(0), b.setMax(9); }); }, 0);
        row("scroll: Max lowered below Value moves it", [] { return scrollEvents([](ScrollBar& b) { b.setMax(5), b.setValue(4), b.setMax(2); }); }, 503);
        row("scroll: the top of 16 bits", [] { return scrollEvents([](ScrollBar& b) { b.setMax(32767), b.setValue(32767); }); }, 32768);
        row("scroll: a value beyond Max", [] { return scrollEvents([](ScrollBar& b) { b.setMax(2), b.setValue(3); }); }, "error 380");
        // Control arrays: a new element is a hidden copy of element 0's settings that knows its index.
        row("array: a new element", [] { return images([](ControlArray<Image>& a) { return a[3].Index() * 10 + a[3].Visible() + (a[3].Width() == a[0].Width()) * 100; }); }, 130);
        row("array: an element not loaded", [] { return images([](ControlArray<Image>& a) { return a[4].Index(); }); }, "error 9");
        row("array: an element loaded twice", [] { return images([](ControlArray<Image>& a) { a.Load(1); return 0; }); }, "error 360");
        row("array: past 16 bits", [] { return images([](ControlArray<Image>& a) { a.Load(32768); return 0; }); }, "error 9");
        // The desktop's thumbnail cache of this user (none on Windows, whatever the variables say).
        row("cache: an absolute XDG_CACHE_HOME", [] { return cacheRoot("/x/cache", "/h"); }, onWindows ? "" : "/x/cache/thumbnails");
        row("cache: a relative one, ignored", [] { return cacheRoot("x/cache", "/h"); }, onWindows ? "" : "/h/.cache/thumbnails");
        row("cache: no home", [] { return cacheRoot(nullptr, nullptr); }, "");
        // An error no handler caught: the runtime's message, and the end, before the handler goes on.
        row("an uncaught error", [] { RuntimeRecorder r; bool on = false; runHandler([&] { platform::raise(481), on = true; }); return r.messages.join(' ') + QString::number(r.ends.value(0) + on * 10); },
            QCoreApplication::applicationName() + "|実行時エラー '481':\n\nピクチャが不正です。1");
        // A picture file's load.
        row("load: a missing file", [] { return load("b.gif"); }, "error 53");
        row("load: a missing folder", [] { return load("none/a.gif"); }, "error 76");
        row("load: a file as the folder", [] { return load("a.gif/b.gif"); }, "error 76");
        row("load: a folder as the file", [] { return load("folder.gif"); }, "error 75");
    }
    // A message box: the exclamation icon, the text, the title, one button.
    void messageBox()
    {
        QString seen;
        whenModal([](QWidget* w) { return qobject_cast<QMessageBox*>(w); }, [&](QWidget* w) {
            auto* box = static_cast<QMessageBox*>(w);
            seen = QStringLiteral("%1|%2|%3|%4").arg(box->windowTitle(), box->text()).arg(box->icon()).arg(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        MsgBox(QStringLiteral("ﾌｧｲﾙがありませんでした。"), vbExclamation, QStringLiteral("Tarnavel"));
        QCOMPARE(seen, QStringLiteral("Tarnavel|ﾌｧｲﾙがありませんでした。|%1|1").arg(QMessageBox::Warning));
    }
    void operations()
    {
        QFETCH(Op, op);
        QVariant got;
        const int error = errorOf([&] { got = op(); });
        QTEST(error ? QVariant(QStringLiteral("error %1").arg(error)) : got, "expected");
    }
};


// Drives, paths, file listings and the drive and folder list controls, over folders made at run time.
class TestFiles : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString m_root; // the system folder of "C:"

    void make(const QStringList& paths) // files, and folders ending in '/'
    {
        for (const QString& p : paths)
            QVERIFY(p.endsWith('/') ? QDir(m_root).mkpath(p) : QDir(m_root).mkpath(QFileInfo(p).path()) && QFile(m_root + '/' + p).open(QIODevice::WriteOnly));
    }
    void link(const QString& to, const QString& from) { QVERIFY(QFile::link(m_root + '/' + to, m_root + '/' + from)); }

private slots:
    void init()
    {
        QDir(m_tmp.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_tmp.path() + "/c/d"));
        m_root = QDir(m_tmp.path() + "/c").canonicalPath();
        // C: the folder ("テスト"), D: its folder "d" (no label), E: a missing folder ("外部").
        setDriveTable({{'C', m_root, QStringLiteral("テスト")}, {'D', m_root + "/d", {}}, {'E', m_root + "/missing-volume", QStringLiteral("外部")}});
    }
    void cleanup() { resetDriveTable(); }

    void paths_data()
    {
        QTest::addColumn<QString>("windowsPath");
        QTest::addColumn<QString>("systemPath"); // under C:'s folder
        QTest::addColumn<QString>("readBack");   // the system path's Windows path; the error number if none
        QTest::newRow("lower-case letter, doubled backslash") << "c:\\\\Pictures\\2024\\" << "/Pictures/2024" << "C:\\Pictures\\2024";
        QTest::newRow("forward slashes, dot parts") << "C:/a/./b/../c" << "/a/c" << "C:\\a\\c";
        QTest::newRow("dot-dot stops at root") << "C:\\..\\..\\x" << "/x" << "C:\\x";
        QTest::newRow("longest prefix wins") << "d:\\x" << "/d/x" << "D:\\x";
        QTest::newRow("prefix is not a folder") << "C:\\dd" << "/dd" << "C:\\dd";
        QTest::newRow("unknown drive") << "Q:\\a" << "" << "68";
        QTest::newRow("unavailable drive") << "E:\\" << "" << "68";
        QTest::newRow("relative") << "Pictures\\a" << "" << "76";
    }
    void paths()
    {
        QFETCH(QString, windowsPath);
        QFETCH(QString, systemPath);
        QFETCH(QString, readBack);
        QString got;
        const int error = errorOf([&] { got = toSystemPath(windowsPath); });
        QCOMPARE(error ? QString::number(error) : toWindowsPath(got), readBack);
        QVERIFY(error || got == m_root + systemPath);
        QCOMPARE(toWindowsPath(m_tmp.path() + "/elsewhere"), QString()); // outside every drive
        QCOMPARE(toWindowsPath(m_root.toUpper() + "/x"), onWindows ? "C:\\x" : ""); // on Windows case does not count
    }

    // Dir's matching and order: DOS wildcards, case ignored, NTFS order (upper-cased, ordinal).
    void dirListing_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("error");
        const QStringList jpgs{"10.jpg", "9.jpg", "A.JPG", "a.jpg", "a_b.jpg", "b.jpg", "c.Jpg", "link.jpg", "é.jpg", "写真.jpg"};
        QTest::newRow("doubled backslash at root") << "C:\\\\*.jpg" << jpgs << 0;
        QTest::newRow("lower-case drive, upper-case pattern") << "c:\\*.JPG" << jpgs << 0;
        QTest::newRow("question mark: one character") << "C:\\?.jpg" << QStringList{"9.jpg", "A.JPG", "a.jpg", "b.jpg", "c.Jpg", "é.jpg"} << 0;
        QTest::newRow("trailing dot: names without one") << "C:\\*." << QStringList{"README"} << 0;
        QTest::newRow("star dot star: every file") << "C:\\*.*" << QStringList{"10.jpg", "9.jpg", "a.jpeg", "A.JPG", "a.jpg", "a.jpg.bak", "a_b.jpg", "b.jpg", "c.Jpg", "link.jpg", "README", "é.jpg", "写真.jpg"} << 0;
        QTest::newRow("exact name, other case") << "C:\\B.JPG" << QStringList{"b.jpg"} << 0;
        QTest::newRow("subfolder, forward slashes") << "C:/Sub/*.bmp" << QStringList{"x.bmp", "Y.BMP"} << 0;
        QTest::newRow("other drive") << "D:\\*.jpg" << QStringList{"in-d.jpg"} << 0;
        QTest::newRow("no match") << "C:\\*.gif" << QStringList{} << 0;
        QTest::newRow("missing folder") << "C:\\missing\\*.jpg" << QStringList{} << int(ErrPathNotFound);
        QTest::newRow("a file as folder") << "C:\\b.jpg\\*.jpg" << QStringList{} << int(ErrPathNotFound);
        QTest::newRow("unavailable drive") << "E:\\*.jpg" << QStringList{} << int(ErrDeviceUnavailable);
        QTest::newRow("no drive") << "*.jpg" << QStringList{} << int(ErrPathNotFound);
    }
    void dirListing()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, names);
        make({"b.jpg", "A.JPG", "a.jpg", "c.Jpg", "a.jpeg", "a.jpg.bak", ".hidden.jpg", "写真.jpg", "é.jpg", "a_b.jpg", "9.jpg",
              "10.jpg", "README", "Sub/x.bmp", "Sub/Y.BMP", "Sub/z.png", "d/in-d.jpg", "folder.jpg/"});
        if (onWindows) // "a.jpg" is "A.JPG" there, and QFile::link makes shortcut files, not links
            names.removeOne("a.jpg"), names.removeOne("link.jpg");
        else
            link("a.jpeg", "link.jpg"), link("nothing-here", "dead.jpg"), link("folder.jpg", "dirlink.jpg");
        QCOMPARE(Dir("C:\\*.jpeg"), QStringLiteral("a.jpeg")); // a listing in progress
        QStringList got;
        QTEST(errorOf([&] { for (QString name = Dir(pattern); !name.isEmpty() && got.size() <= names.size(); name = Dir()) got << name; }), "error");
        QCOMPARE(got, names);
        QCOMPARE(errorOf([] { Dir(); }), int(ErrInvalidCall)); // the listing has ended
    }

    void driveList()
    {
        QWidget parent;
        DriveListBox box(&parent, "Drive1");
        const auto* combo = qobject_cast<QComboBox*>(box.widget());
        QCOMPARE(QStringList({combo->itemText(0), combo->itemText(1), combo->itemText(2)}), (QStringList{"c: [テスト]", "d:", "e: [外部]"}));
        // The system's own table: on Windows its drives, as QDir::drives() has them; elsewhere C: the home
        // folder and Z: the root. Windows reads it once for a path and once for a scope however many paths
        // it sees; Linux reads the mount table once at the reset and again only after a mount or an unmount.
        const int before = driveTableReads();
        resetDriveTable();
        QCOMPARE(driveTableReads() - before, onWindows ? 0 : 1);
        QStringList system, expected;
        for (const DriveInfo& d : drives())
            system << QString(d.letter) + '=' + d.root;
        box.refreshDrives();
        QCOMPARE(combo->count(), system.size());
        for (const QFileInfo& d : QDir::drives())
            expected << d.absoluteFilePath().left(1).toUpper() + '=' + d.absoluteFilePath();
        if (!onWindows)
            system = QStringList{system.first(), system.last()}, expected = QStringList{"C=" + QDir::homePath(), "Z=/"};
        QCOMPARE(system, expected);
        const int reads = driveTableReads();
        errorOf([] { toSystemPath("C:\\a"); });
        {
            const DriveTableScope scope, inner;
            for (const char* path : {"C:\\a", "C:\\b", "Q:\\c"})
                errorOf([&] { toSystemPath(path); });
        }
        QCOMPARE(driveTableReads() - reads, onWindows ? 2 : 0);
    }

    void folderList_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected"); // the error number when it raises one
        QTest::addColumn<QStringList>("entries"); // "level|text"; empty: as before
        QTest::newRow("root") << "C:\\" << "C:\\" << QStringList{"0|C:\\", "1|d", "1|Pictures"};
        QTest::newRow("folder, its subfolders in order")
            << "c:\\Pictures\\" << "C:\\Pictures" << QStringList{"0|C:\\", "1|Pictures", "2|2023", "2|2024", "2|A", "2|aab", "2|a_b", "2|b", "2|zlink"};
        QTest::newRow("dot-dot, doubled backslash") << "C:\\\\Pictures\\2023\\..\\2024" << "C:\\Pictures\\2024" << QStringList{"0|C:\\", "1|Pictures", "2|2024", "3|deep"};
        QTest::newRow("through a link") << "C:\\Pictures\\zlink" << "C:\\Pictures\\zlink" << QStringList{"0|C:\\", "1|Pictures", "2|zlink", "3|deep"};
        QTest::newRow("drive list text") << "d: " << "D:\\" << QStringList{"0|D:\\"};
        QTest::newRow("same path, other case: no change") << "c:\\PICTURES\\2023\\" << "C:\\Pictures\\2023" << QStringList{};
        QTest::newRow("missing folder") << "C:\\missing" << "76" << QStringList{};
        QTest::newRow("unavailable drive, list text") << "e: [外部]" << "68" << QStringList{};
    }
    void folderList()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QFETCH(QStringList, entries);
        make({"Pictures/2023/", "Pictures/2024/deep/", "Pictures/.hidden/", "Pictures/b/", "Pictures/A/", "Pictures/a_b/", "Pictures/aab/", ".cfg/", "f.jpg", "Pictures/p.jpg"});
        if (onWindows && path.contains("zlink"))
            QSKIP("symbolic links: QFile::link makes a shortcut file on Windows");
        if (!onWindows)
            link("Pictures/2024", "Pictures/zlink"), link("nothing-here", "Pictures/dead");
        entries.removeAll(onWindows ? "2|zlink" : "");
        QWidget parent;
        DirListBox box(&parent, "Dir1");
        const auto listed = [&] { // "level|text" of each entry, and the current entry's path
            QStringList out;
            const auto* list = qobject_cast<QListWidget*>(box.widget());
            for (int i = 0; i < list->count(); ++i)
                out << QStringLiteral("%1|%2").arg(list->item(i)->data(DirListBox::LevelRole).toInt()).arg(list->item(i)->text());
            return out << list->item(list->currentRow())->data(DirListBox::PathRole).toString();
        };
        box.setPath("C:\\Pictures\\2023");
        const QString before = box.Path();
        const QStringList beforeEntries = listed();
        QStringList seen;
        box.setChangeHandler([&] { seen << box.Path(); });
        const int error = errorOf([&] { box.setPath(path); });
        QCOMPARE(error ? QString::number(error) : box.Path(), expected);
        QCOMPARE(seen, box.Path() == before ? QStringList() : QStringList{expected}); // at once, not queued
        QCOMPARE(listed(), entries.isEmpty() ? beforeEntries : entries << box.Path()); // the path's entry current
    }
};

TARNAVEL_TEST_MAIN(TestArithmetic, TestFiles)
#include "tst_platform.moc"
