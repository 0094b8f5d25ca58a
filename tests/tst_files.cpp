// Drives, paths, file listings and the drive and folder list controls, over folders made at run time.

#include "platform/dirlist.h"
#include "platform/drivelist.h"
#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/filelist.h"
#include "support/testforms.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace platform;
using testsupport::errorOf;
using testsupport::onWindows;

class TestFiles : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString m_root; // the system folder of "C:"

    void make(const QStringList& paths) // files, and folders ending in '/'
    {
        for (const QString& p : paths)
            QVERIFY(p.endsWith('/') ? QDir(m_root).mkpath(p) : QDir(m_root).mkpath(QFileInfo(p).path()) && QFile(m_root + '/' + p).open(QIODevice::WriteOnly));
    }
    static QStringList listed(const DirListBox& box) // "level|text"
    {
        QStringList out;
        const auto* list = qobject_cast<QListWidget*>(box.widget());
        for (int i = 0; i < list->count(); ++i)
            out << QStringLiteral("%1|%2").arg(list->item(i)->data(DirListBox::LevelRole).toInt()).arg(list->item(i)->text());
        return out;
    }

private slots:
    void init()
    {
        QDir(m_tmp.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_tmp.path() + "/c/d"));
        m_root = QDir(m_tmp.path() + "/c").canonicalPath();
        // C: the folder ("テスト"), D: its folder "d" (no label), E: a missing folder ("外部").
        setDriveTable({{QLatin1Char('C'), m_root, QStringLiteral("テスト")}, {QLatin1Char('D'), m_root + "/d", QString()},
                       {QLatin1Char('E'), m_root + "/missing-volume", QStringLiteral("外部")}});
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
        QCOMPARE(QString::number(errorOf([&] { got = toSystemPath(windowsPath); })), readBack.startsWith('C') || readBack.startsWith('D') ? "0" : readBack);
        if (!got.isEmpty()) {
            QCOMPARE(got, m_root + systemPath);
            QCOMPARE(toWindowsPath(got), readBack);
        }
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
        QFETCH(int, error);
        make({"b.jpg", "A.JPG", "a.jpg", "c.Jpg", "a.jpeg", "a.jpg.bak", ".hidden.jpg", "写真.jpg", "é.jpg", "a_b.jpg", "9.jpg",
              "10.jpg", "README", "Sub/x.bmp", "Sub/Y.BMP", "Sub/z.png", "d/in-d.jpg", "folder.jpg/"});
        // On Windows "a.jpg" is "A.JPG", and QFile::link makes shortcut files, not links.
        QVERIFY(onWindows || (QFile::link(m_root + "/a.jpeg", m_root + "/link.jpg") && QFile::link(m_root + "/nothing-here", m_root + "/dead.jpg")
                              && QFile::link(m_root + "/folder.jpg", m_root + "/dirlink.jpg")));
        if (onWindows)
            names.removeOne("a.jpg"), names.removeOne("link.jpg");
        QCOMPARE(Dir("C:\\*.jpeg"), QStringLiteral("a.jpeg")); // a listing in progress
        QStringList got;
        QCOMPARE(errorOf([&] {
                     for (QString name = Dir(pattern); !name.isEmpty() && got.size() <= names.size(); name = Dir())
                         got << name;
                 }),
                 error);
        QCOMPARE(got, names);
        QCOMPARE(errorOf([] { Dir(); }), int(ErrInvalidCall)); // the listing has ended
    }

    void driveList()
    {
        QWidget parent;
        DriveListBox box(&parent, "Drive1");
        const auto* combo = qobject_cast<QComboBox*>(box.widget());
        QCOMPARE(QStringList({combo->itemText(0), combo->itemText(1), combo->itemText(2)}), (QStringList{"c: [テスト]", "d:", "e: [外部]"}));
        QStringList seen;
        box.setChangeHandler([&] { seen << box.Drive(); });
        box.setDrive("D: [x]"); // the letter counts, in either case
        box.setDrive("d");
        for (const char* text : {"q:", "", "xyz"})
            QCOMPARE(errorOf([&] { box.setDrive(text); }), int(ErrDeviceUnavailable));
        box.setDrive("e:"); // an unavailable drive can be shown
        QCOMPARE(seen, (QStringList{"d:", "e: [外部]"})); // once a change, at once
        // A new drive table: the drive shown stays, or C: when it has gone.
        setDriveTable({{QLatin1Char('C'), m_root, QString()}, {QLatin1Char('D'), m_root + "/d", QStringLiteral("新")}});
        box.refreshDrives();
        QCOMPARE(box.Drive() + combo->itemText(1), QStringLiteral("c:d: [新]"));
        // The system's own table: on Windows its drives, as QDir::drives() has them; elsewhere C: the home
        // folder and Z: the root.
        resetDriveTable();
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
        // The system's own table is read once for a path, and once for a scope however many paths it sees.
        const int reads = driveTableReads();
        errorOf([] { toSystemPath("C:\\a"); });
        {
            const DriveTableScope scope, inner;
            for (const char* path : {"C:\\a", "C:\\b", "Q:\\c"})
                errorOf([&] { toSystemPath(path); });
        }
        QCOMPARE(driveTableReads() - reads, 2);
    }

    void folderList_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected"); // the error number when it raises one
        QTest::addColumn<QStringList>("entries"); // "level|text"; empty: as before
        const QString start = "C:\\Pictures\\2023";
        QTest::newRow("root") << "C:\\" << "C:\\" << QStringList{"0|C:\\", "1|d", "1|Pictures"};
        QTest::newRow("folder, its subfolders in order")
            << "c:\\Pictures\\" << "C:\\Pictures" << QStringList{"0|C:\\", "1|Pictures", "2|2023", "2|2024", "2|A", "2|aab", "2|a_b", "2|b", "2|zlink"};
        QTest::newRow("dot-dot, doubled backslash") << "C:\\\\Pictures\\2023\\..\\2024" << "C:\\Pictures\\2024"
                                                    << QStringList{"0|C:\\", "1|Pictures", "2|2024", "3|deep"};
        QTest::newRow("through a link") << "C:\\Pictures\\zlink" << "C:\\Pictures\\zlink" << QStringList{"0|C:\\", "1|Pictures", "2|zlink", "3|deep"};
        QTest::newRow("drive list text") << "d: " << "D:\\" << QStringList{"0|D:\\"};
        QTest::newRow("same path, other case: no change") << "c:\\PICTURES\\2023\\" << start << QStringList{};
        QTest::newRow("missing folder") << "C:\\missing" << "76" << QStringList{};
        QTest::newRow("unavailable drive, list text") << "e: [外部]" << "68" << QStringList{};
    }
    void folderList()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QFETCH(QStringList, entries);
        make({"Pictures/2023/", "Pictures/2024/deep/", "Pictures/.hidden/", "Pictures/b/", "Pictures/A/", "Pictures/a_b/",
              "Pictures/aab/", ".cfg/", "f.jpg", "Pictures/p.jpg"});
        if (onWindows && path.contains("zlink"))
            QSKIP("symbolic links: QFile::link makes a shortcut file on Windows");
        QVERIFY(onWindows || (QFile::link(m_root + "/Pictures/2024", m_root + "/Pictures/zlink") && QFile::link(m_root + "/nothing-here", m_root + "/Pictures/dead")));
        if (onWindows)
            entries.removeOne("2|zlink");
        QWidget parent;
        DirListBox box(&parent, "Dir1");
        box.setPath("C:\\Pictures\\2023");
        const QString before = box.Path();
        const QStringList beforeEntries = listed(box);
        QStringList seen;
        box.setChangeHandler([&] { seen << box.Path(); });
        const int error = errorOf([&] { box.setPath(path); });
        QCOMPARE(error ? QString::number(error) : box.Path(), expected);
        QCOMPARE(seen, box.Path() == before ? QStringList() : QStringList{expected}); // at once, not queued
        QCOMPARE(listed(box), entries.isEmpty() ? beforeEntries : entries);
        // The entry of the path is current; each entry knows its full path.
        const auto* list = qobject_cast<QListWidget*>(box.widget());
        QCOMPARE(list->item(list->currentRow())->data(DirListBox::PathRole).toString(), box.Path());
    }

};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
