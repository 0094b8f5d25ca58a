// Drives, paths, file listings and the drive and folder list controls, over folders made at run time.

#include "platform/dirlist.h"
#include "platform/drivelist.h"
#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/filelist.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <optional>

#include "support/browsefixture.h"
#include "support/testforms.h"

#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>

using namespace platform;
using testsupport::errorOf;

namespace {


bool makeFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}

// Entries of a folder list as "level|text".
QStringList entriesOf(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        out << QStringLiteral("%1|%2").arg(item->data(DirListBox::LevelRole).toInt()).arg(item->text());
    }
    return out;
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_root; // system folder of "C:"

    // C: the temporary folder ("テスト"), D: its folder "d" (no label), E: a missing folder ("外部").
    void useTestDrives()
    {
        setDriveTable({{QLatin1Char('C'), m_root, QStringLiteral("テスト")},
                       {QLatin1Char('D'), m_root + "/d", QString()},
                       {QLatin1Char('E'), m_root + "/missing-volume", QStringLiteral("外部")}});
    }

    QString sys(const QString& relative) const { return relative.isEmpty() ? m_root : m_root + relative; }

private slots:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>(testsupport::fastTempBase() + QStringLiteral("/tarnavel-files-XXXXXX"));
        QVERIFY(m_tmp->isValid());
        m_root = QDir(m_tmp->path()).canonicalPath();
        QVERIFY(QDir(m_root).mkpath("d"));
        useTestDrives();
    }

    void cleanup()
    {
        resetDriveTable();
        m_tmp.reset();
    }

    void snapshotReadsAFolderOnce_data()
    {
        QTest::addColumn<bool>("snapshot");
        QTest::addColumn<QStringList>("secondListing");
        QTest::newRow("inside a snapshot: the names as first read") << true << QStringList{"a.jpg", "B.JPG"};
        QTest::newRow("without one: read afresh") << false << QStringList{"a.jpg", "B.JPG", "c.jpg"};
    }

    void snapshotReadsAFolderOnce()
    {
        QFETCH(bool, snapshot);
        QFETCH(QStringList, secondListing);
        for (const char* name : {"a.jpg", "B.JPG", "x.bmp"})
            QVERIFY(QFile(m_root + "/d/" + name).open(QIODevice::WriteOnly));
        std::optional<FolderSnapshot> scope;
        if (snapshot)
            scope.emplace();
        QCOMPARE(listFolder(m_root + "/d", "*.bmp"), QStringList{"x.bmp"});
        QVERIFY(QFile(m_root + "/d/c.jpg").open(QIODevice::WriteOnly));
        QCOMPARE(listFolder(m_root + "/d", "*.jpg"), secondListing);
        // Another folder in between is read for itself, and a folder that is gone still raises.
        QCOMPARE(listFolder(m_root, "*.jpg"), QStringList());
        QCOMPARE(Dir("C:\\d\\*.jpg"), QStringLiteral("a.jpg"));
        try {
            listFolder(m_root + "/gone", "*");
            QFAIL("no error for a missing folder");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number(), int(ErrPathNotFound));
        }
        scope.reset();
        QCOMPARE(listFolder(m_root + "/d", "*.jpg"), (QStringList{"a.jpg", "B.JPG", "c.jpg"}));
    }

#ifndef Q_OS_WIN
    void systemDrives()
    {
        resetDriveTable();
        const QList<DriveInfo> table = drives();
        QVERIFY(table.size() >= 2);
        QCOMPARE(table.first().letter, QLatin1Char('C'));
        QCOMPARE(table.first().root, QDir::homePath());
        QCOMPARE(table.last().letter, QLatin1Char('Z'));
        QCOMPARE(table.last().root, QStringLiteral("/"));
        for (qsizetype i = 1; i < table.size(); ++i)
            QVERIFY(table.at(i - 1).letter < table.at(i).letter);
        QVERIFY(driveAvailable(QLatin1Char('z')));
        QCOMPARE(toSystemPath("z:\\usr"), QStringLiteral("/usr"));
    }
#endif

    void systemPath_data()
    {
        QTest::addColumn<QString>("windowsPath");
        QTest::addColumn<QString>("expected"); // relative to C:'s root folder
        QTest::addColumn<int>("error");
        QTest::newRow("folder") << "C:\\Pictures\\2024" << "/Pictures/2024" << 0;
        QTest::newRow("lower-case letter") << "c:\\Pictures" << "/Pictures" << 0;
        QTest::newRow("doubled backslash at root") << "C:\\\\a.jpg" << "/a.jpg" << 0;
        QTest::newRow("repeated backslashes") << "C:\\a\\\\\\b\\" << "/a/b" << 0;
        QTest::newRow("drive alone") << "C:" << "" << 0;
        QTest::newRow("root") << "C:\\" << "" << 0;
        QTest::newRow("forward slashes") << "C:/a/b" << "/a/b" << 0;
        QTest::newRow("dot parts") << "C:\\a\\.\\b\\..\\c" << "/a/c" << 0;
        QTest::newRow("dot-dot stops at root") << "C:\\..\\..\\x" << "/x" << 0;
        QTest::newRow("other drive") << "d:\\x" << "/d/x" << 0;
        QTest::newRow("unknown drive") << "Q:\\a" << "" << int(ErrDeviceUnavailable);
        QTest::newRow("unavailable drive") << "E:\\" << "" << int(ErrDeviceUnavailable);
        QTest::newRow("relative") << "Pictures\\a" << "" << int(ErrPathNotFound);
        QTest::newRow("empty") << "" << "" << int(ErrPathNotFound);
        QTest::newRow("unc") << "\\\\server\\share" << "" << int(ErrPathNotFound);
        QTest::newRow("digit drive") << "1:\\a" << "" << int(ErrPathNotFound);
    }

    void systemPath()
    {
        QFETCH(QString, windowsPath);
        QFETCH(QString, expected);
        QFETCH(int, error);
        QString got;
        QCOMPARE(errorOf([&] { got = toSystemPath(windowsPath); }), error);
        if (error == 0)
            QCOMPARE(got, sys(expected));
    }

    void windowsPath_data()
    {
        QTest::addColumn<QString>("systemPath"); // relative to C:'s root folder; "<out>" for outside
        QTest::addColumn<QString>("expected");
        QTest::newRow("root") << "" << "C:\\";
        QTest::newRow("root with slash") << "/" << "C:\\";
        QTest::newRow("folder") << "/Pictures/2024" << "C:\\Pictures\\2024";
        QTest::newRow("trailing slash") << "/Pictures/" << "C:\\Pictures";
        QTest::newRow("longest prefix wins") << "/d/x" << "D:\\x";
        QTest::newRow("nested drive's root") << "/d" << "D:\\";
        QTest::newRow("prefix is not a folder") << "/dd" << "C:\\dd";
        QTest::newRow("outside every drive") << "<out>" << "";
    }

    void windowsPath()
    {
        QFETCH(QString, systemPath);
        QFETCH(QString, expected);
        const QString path = systemPath == "<out>" ? QFileInfo(m_root).path() + "/elsewhere" : sys(systemPath);
        QCOMPARE(toWindowsPath(path), expected);
        if (!expected.isEmpty())
            QCOMPARE(toSystemPath(expected), QDir::cleanPath(path));
    }

    void wildcard_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("same case") << "a.jpg" << "*.jpg" << true;
        QTest::newRow("upper-case extension") << "A.JPG" << "*.jpg" << true;
        QTest::newRow("mixed case") << "b.JpG" << "*.jPg" << true;
        QTest::newRow("longer extension") << "a.jpeg" << "*.jpg" << false;
        QTest::newRow("extension then more") << "a.jpg.bak" << "*.jpg" << false;
        QTest::newRow("name is the extension") << ".jpg" << "*.jpg" << true;
        QTest::newRow("two extensions") << "a.tar.jpg" << "*.jpg" << true;
        QTest::newRow("question one char") << "a1.jpg" << "a?.jpg" << true;
        QTest::newRow("question not none") << "a.jpg" << "a?.jpg" << false;
        QTest::newRow("question not two") << "a12.jpg" << "a?.jpg" << false;
        QTest::newRow("star empty run") << "ab" << "a*b" << true;
        QTest::newRow("star needs backtrack") << "abcbcd" << "a*bcd" << true;
        QTest::newRow("two stars") << "xaybz" << "*a*b?" << true;
        QTest::newRow("two stars no match") << "xaybz" << "*a*c*" << false;
        QTest::newRow("star alone") << "anything.at.all" << "*" << true;
        QTest::newRow("star dot star, no dot") << "README" << "*.*" << true;
        QTest::newRow("star dot star, dot") << "a.b" << "*.*" << true;
        QTest::newRow("name dot star, bare") << "photo" << "photo.*" << true;
        QTest::newRow("trailing dot, bare") << "photo" << "*." << true;
        QTest::newRow("trailing dot, extension") << "photo.jpg" << "*." << false;
        QTest::newRow("exact name other case") << "Photo.JPG" << "photo.jpg" << true;
        QTest::newRow("japanese") << "写真.JPG" << "写*.jpg" << true;
        QTest::newRow("non-ascii case") << "É.jpg" << "é.JPG" << true;
        QTest::newRow("pathological") << QString(60, 'a') << QString("*a*a*a*a*a*a*a*a*b") << false;
        QTest::newRow("empty name") << "" << "*" << true;
        QTest::newRow("empty pattern") << "a" << "" << false;
    }

    void wildcard()
    {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(matchesWildcard(name, pattern), matches);
    }

    void ntfsOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("punctuation after letters")
            << QStringList{"a_b", "AAC", "a^", "aab", "a[1]"} << QStringList{"aab", "AAC", "a[1]", "a^", "a_b"};
        QTest::newRow("prefix first") << QStringList{"ab", "a", "abc"} << QStringList{"a", "ab", "abc"};
        QTest::newRow("case-only tie is ordinal")
            << QStringList{"b", "B", "a", "A"} << QStringList{"A", "a", "B", "b"};
        QTest::newRow("digits before letters") << QStringList{"b1", "10", "9", "A"} << QStringList{"10", "9", "A", "b1"};
        QTest::newRow("dot after dash") << QStringList{"a.jpg", "a-b.jpg"} << QStringList{"a-b.jpg", "a.jpg"};
        QTest::newRow("underscore after upper-cased letters") << QStringList{"_x", "ax"} << QStringList{"ax", "_x"};
        QTest::newRow("non-ascii last") << QStringList{"é.jpg", "F.jpg", "e.jpg", "写真.jpg"}
                                        << QStringList{"e.jpg", "F.jpg", "é.jpg", "写真.jpg"};
    }

    void ntfsOrder()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, sorted);
        std::sort(names.begin(), names.end(), ntfsLess);
        QCOMPARE(names, sorted);
        for (qsizetype i = 1; i < sorted.size(); ++i)
            QVERIFY(!ntfsLess(sorted.at(i), sorted.at(i - 1)));
    }

    void dirListing_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("names");
        const QStringList jpgs{"A.JPG", "b.jpg", "c.Jpg", "link.jpg", "写真.jpg"};
        QTest::newRow("doubled backslash at root") << "C:\\\\*.jpg" << jpgs;
        QTest::newRow("single backslash") << "C:\\*.jpg" << jpgs;
        QTest::newRow("lower-case drive, upper-case pattern") << "c:\\*.JPG" << jpgs;
        QTest::newRow("everything") << "C:\\*"
                                    << QStringList{"a.jpeg", "A.JPG", "a.jpg.bak", "b.jpg", "c.Jpg", "d.txt",
                                                   "link.jpg", "写真.jpg"};
        QTest::newRow("nothing after backslash") << "C:\\"
                                                 << QStringList{"a.jpeg", "A.JPG", "a.jpg.bak", "b.jpg", "c.Jpg",
                                                                "d.txt", "link.jpg", "写真.jpg"};
        QTest::newRow("question mark") << "C:\\?.jpg" << QStringList{"A.JPG", "b.jpg", "c.Jpg"};
        QTest::newRow("exact name, other case") << "C:\\B.JPG" << QStringList{"b.jpg"};
        QTest::newRow("subfolder") << "C:\\Sub\\*.bmp" << QStringList{"x.bmp", "Y.BMP"};
        QTest::newRow("subfolder, trailing doubled") << "C:\\Sub\\\\*.bmp" << QStringList{"x.bmp", "Y.BMP"};
        QTest::newRow("forward slashes") << "C:/Sub/*.bmp" << QStringList{"x.bmp", "Y.BMP"};
        QTest::newRow("no match") << "C:\\*.gif" << QStringList{};
        QTest::newRow("other drive") << "D:\\*.jpg" << QStringList{"in-d.jpg"};
    }

    void dirListing()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, names);
        for (const char* f : {"b.jpg", "A.JPG", "c.Jpg", "a.jpeg", "a.jpg.bak", ".hidden.jpg", "d.txt", "写真.jpg",
                              "Sub/x.bmp", "Sub/Y.BMP", "Sub/z.png", "d/in-d.jpg"}) {
            QVERIFY(QDir(m_root).mkpath(QFileInfo(QString::fromUtf8(f)).path()));
            QVERIFY(makeFile(m_root + "/" + QString::fromUtf8(f)));
        }
        QVERIFY(QDir(m_root).mkdir("folder.jpg"));
        QVERIFY(QFile::link(m_root + "/d.txt", m_root + "/link.jpg"));
        QVERIFY(QFile::link(m_root + "/nothing-here", m_root + "/dead.jpg"));
        QVERIFY(QFile::link(m_root + "/folder.jpg", m_root + "/dirlink.jpg"));

        QStringList got;
        QString name = Dir(pattern);
        while (!name.isEmpty()) {
            got << name;
            QVERIFY(got.size() <= names.size());
            name = Dir();
        }
        QCOMPARE(got, names);
        QCOMPARE(errorOf([] { Dir(); }), int(ErrInvalidCall));
    }

    void dirErrors_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("error");
        QTest::newRow("missing folder") << "C:\\missing\\*.jpg" << int(ErrPathNotFound);
        QTest::newRow("a file as folder") << "C:\\file.jpg\\*.jpg" << int(ErrPathNotFound);
        QTest::newRow("unavailable drive") << "E:\\*.jpg" << int(ErrDeviceUnavailable);
        QTest::newRow("unknown drive") << "q:\\*.jpg" << int(ErrDeviceUnavailable);
        QTest::newRow("no drive") << "*.jpg" << int(ErrPathNotFound);
    }

    void dirErrors()
    {
        QFETCH(QString, pattern);
        QFETCH(int, error);
        QVERIFY(makeFile(m_root + "/file.jpg"));
        QCOMPARE(Dir("C:\\*.jpg"), QStringLiteral("file.jpg")); // a listing in progress
        QCOMPARE(errorOf([&] { Dir(pattern); }), error);
        QCOMPARE(errorOf([] { Dir(); }), int(ErrInvalidCall)); // the failed start ended it
    }

    void dirNextWithoutListing_data()
    {
        QTest::addColumn<QString>("pattern"); // "" to start no listing
        QTest::newRow("never started") << "";
        QTest::newRow("start found nothing") << "C:\\*.none";
    }

    void dirNextWithoutListing()
    {
        QFETCH(QString, pattern);
        if (pattern.isEmpty()) {
            // Make sure no listing survives from an earlier test: end one.
            QVERIFY(makeFile(m_root + "/only.jpg"));
            QCOMPARE(Dir("C:\\*.jpg"), QStringLiteral("only.jpg"));
            QCOMPARE(Dir(), QString());
        } else {
            QCOMPARE(Dir(pattern), QString());
        }
        QCOMPARE(errorOf([] { Dir(); }), int(ErrInvalidCall));
    }

    void vanishedFolder()
    {
        QVERIFY(QDir(m_root).mkpath("Gone"));
        QVERIFY(makeFile(m_root + "/Gone/a.jpg"));
        QCOMPARE(Dir("C:\\Gone\\*.jpg"), QStringLiteral("a.jpg"));
        QVERIFY(QDir(m_root + "/Gone").removeRecursively());
        QCOMPARE(errorOf([] { Dir("C:\\Gone\\*.jpg"); }), int(ErrPathNotFound));
        QCOMPARE(errorOf([this] { listFolder(m_root + "/Gone", "*"); }), int(ErrPathNotFound));
    }

    void hundredThousandFiles()
    {
        // 60,000 pictures (.jpg and .JPG) among 100,000 files.
        QVERIFY(QDir(m_root).mkdir("big"));
        const QString big = m_root + "/big/";
        for (int i = 0; i < 100000; ++i) {
            const QString name = i % 5 < 3 ? QStringLiteral("p%1.%2").arg(i, 6, 10, QLatin1Char('0')).arg(i % 2 ? "JPG" : "jpg")
                                           : QStringLiteral("q%1.png").arg(i, 6, 10, QLatin1Char('0'));
            QVERIFY(makeFile(big + name));
        }
        const QStringList names = listFolder(big, "*.jpg");
        QCOMPARE(names.size(), 60000);
        QCOMPARE(names.first(), QStringLiteral("p000000.jpg"));
        QCOMPARE(names.last(), QStringLiteral("p099997.JPG"));

        int count = 0;
        QString last;
        for (QString name = Dir("C:\\big\\*.jpg"); !name.isEmpty(); name = Dir()) {
            ++count;
            last = name;
        }
        QCOMPARE(count, 60000);
        QCOMPARE(last, QStringLiteral("p099997.JPG"));
    }

    void driveListTexts()
    {
        QWidget parent;
        DriveListBox box(&parent, "Drive1");
        auto* combo = qobject_cast<QComboBox*>(box.widget());
        QVERIFY(combo);
        QCOMPARE(box.Name(), QStringLiteral("Drive1"));
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
        QCOMPARE(texts, (QStringList{"c: [テスト]", "d:", "e: [外部]"}));
        QCOMPARE(box.Drive(), QStringLiteral("c: [テスト]"));
    }

    void setDrive_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("error");
        QTest::newRow("shown drive") << "C:" << "c: [テスト]" << 0 << 0;
        QTest::newRow("shown drive, full text") << "c: [テスト]" << "c: [テスト]" << 0 << 0;
        QTest::newRow("other drive") << "d:" << "d:" << 1 << 0;
        QTest::newRow("other drive, other case and label") << "D: [x]" << "d:" << 1 << 0;
        QTest::newRow("letter alone") << "d" << "d:" << 1 << 0;
        QTest::newRow("unavailable drive is shown") << "e:" << "e: [外部]" << 1 << 0;
        QTest::newRow("unknown letter") << "q:" << "c: [テスト]" << 0 << int(ErrDeviceUnavailable);
        QTest::newRow("empty") << "" << "c: [テスト]" << 0 << int(ErrDeviceUnavailable);
        QTest::newRow("not a drive") << "xyz" << "c: [テスト]" << 0 << int(ErrDeviceUnavailable);
    }

    void setDrive()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QFETCH(int, events);
        QFETCH(int, error);
        QWidget parent;
        DriveListBox box(&parent, "Drive1");
        int raised = 0;
        QString seen;
        box.setChangeHandler([&] {
            ++raised;
            seen = box.Drive();
        });
        QCOMPARE(errorOf([&] { box.setDrive(text); }), error);
        QCOMPARE(box.Drive(), shown);
        QCOMPARE(raised, events); // synchronous: already counted
        if (events)
            QCOMPARE(seen, shown);
    }

    void changeHandlerErrorReachesCaller_data()
    {
        QTest::addColumn<bool>("dirList");
        QTest::newRow("drive list") << false;
        QTest::newRow("folder list") << true;
    }

    void changeHandlerErrorReachesCaller()
    {
        QFETCH(bool, dirList);
        QWidget parent;
        DriveListBox drive(&parent, "Drive1");
        DirListBox dir(&parent, "Dir1");
        drive.setChangeHandler([] { raise(ErrFileNotFound); });
        dir.setChangeHandler([] { raise(ErrFileNotFound); });
        if (dirList) {
            QCOMPARE(errorOf([&] { dir.setPath("D:\\"); }), int(ErrFileNotFound));
            QCOMPARE(dir.Path(), QStringLiteral("D:\\"));
        } else {
            QCOMPARE(errorOf([&] { drive.setDrive("D:"); }), int(ErrFileNotFound));
            QCOMPARE(drive.Drive(), QStringLiteral("d:"));
        }
    }

    void userPicksDrive()
    {
        QWidget parent;
        DriveListBox box(&parent, "Drive1");
        int raised = 0;
        box.setChangeHandler([&] { ++raised; });
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QTest::keyClick(box.widget(), Qt::Key_Down);
        QCOMPARE(box.Drive(), QStringLiteral("d:"));
        QCOMPARE(raised, 0); // queued, after the key's own handling
        QTRY_COMPARE_WITH_TIMEOUT(raised, 1, 5000);
    }

    void refreshDrivesKeepsShown()
    {
        QWidget parent;
        DriveListBox box(&parent, "Drive1");
        int raised = 0;
        box.setChangeHandler([&] { ++raised; });
        box.setDrive("d:");
        setDriveTable({{QLatin1Char('C'), m_root, QString()}, {QLatin1Char('D'), m_root + "/d", QStringLiteral("新")}});
        box.refreshDrives();
        QCOMPARE(box.Drive(), QStringLiteral("d: [新]"));
        QCOMPARE(qobject_cast<QComboBox*>(box.widget())->count(), 2);
        QCOMPARE(raised, 1);
    }

private:
    // Folders for the folder list: Pictures with subfolders (one hidden, one a link), a file, a
    // dangling link.
    void makeFolders()
    {
        for (const char* f : {"Pictures/2023", "Pictures/2024/deep", "Pictures/.hidden", "Pictures/b", "Pictures/A",
                              "Pictures/a_b", "Pictures/aab", ".cfg"})
            QVERIFY(QDir(m_root).mkpath(QString::fromUtf8(f)));
        QVERIFY(makeFile(m_root + "/f.jpg"));
        QVERIFY(makeFile(m_root + "/Pictures/p.jpg"));
        QVERIFY(QFile::link(m_root + "/Pictures/2024", m_root + "/Pictures/zlink"));
        QVERIFY(QFile::link(m_root + "/nothing-here", m_root + "/Pictures/dead"));
    }

private slots:
    void setPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("error");
        const QString start = "C:\\Pictures\\2023";
        QTest::newRow("folder") << "C:\\Pictures" << "C:\\Pictures" << 1 << 0;
        QTest::newRow("trailing backslash") << "c:\\Pictures\\" << "C:\\Pictures" << 1 << 0;
        QTest::newRow("doubled backslash") << "C:\\\\Pictures" << "C:\\Pictures" << 1 << 0;
        QTest::newRow("dot-dot") << "C:\\Pictures\\2023\\.." << "C:\\Pictures" << 1 << 0;
        QTest::newRow("root") << "C:\\" << "C:\\" << 1 << 0;
        QTest::newRow("drive alone") << "c:" << "C:\\" << 1 << 0;
        QTest::newRow("drive list text") << "c: [テスト]" << "C:\\" << 1 << 0;
        QTest::newRow("other drive's root") << "d: " << "D:\\" << 1 << 0;
        QTest::newRow("deeper") << "C:\\Pictures\\2024\\deep" << "C:\\Pictures\\2024\\deep" << 1 << 0;
        QTest::newRow("same path") << start << start << 0 << 0;
        QTest::newRow("same path, other case") << "c:\\PICTURES\\2023\\" << start << 0 << 0;
        QTest::newRow("missing folder") << "C:\\missing" << start << 0 << int(ErrPathNotFound);
        QTest::newRow("a file") << "C:\\f.jpg" << start << 0 << int(ErrPathNotFound);
        QTest::newRow("not a drive path") << "Pictures" << start << 0 << int(ErrPathNotFound);
        QTest::newRow("unavailable drive") << "E:\\" << start << 0 << int(ErrDeviceUnavailable);
        QTest::newRow("unavailable drive, list text") << "e: [外部]" << start << 0 << int(ErrDeviceUnavailable);
        QTest::newRow("unknown drive") << "Q:\\x" << start << 0 << int(ErrDeviceUnavailable);
    }

    void setPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QFETCH(int, events);
        QFETCH(int, error);
        makeFolders();
        QWidget parent;
        DirListBox box(&parent, "Dir1");
        QCOMPARE(box.Path(), QString());
        QCOMPARE(qobject_cast<QListWidget*>(box.widget())->count(), 0);
        box.setPath("C:\\Pictures\\2023");
        const QStringList before = entriesOf(qobject_cast<QListWidget*>(box.widget()));
        int raised = 0;
        QString seen;
        box.setChangeHandler([&] {
            ++raised;
            seen = box.Path();
        });
        QCOMPARE(errorOf([&] { box.setPath(path); }), error);
        QCOMPARE(box.Path(), expected);
        QCOMPARE(raised, events);
        if (events)
            QCOMPARE(seen, expected);
        if (error)
            QCOMPARE(entriesOf(qobject_cast<QListWidget*>(box.widget())), before);
    }

    void dirEntries_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("entries"); // "level|text"
        QTest::addColumn<int>("current");
        QTest::newRow("root") << "C:\\" << QStringList{"0|C:\\", "1|d", "1|Pictures"} << 0;
        QTest::newRow("folder")
            << "C:\\Pictures"
            << QStringList{"0|C:\\", "1|Pictures", "2|2023", "2|2024", "2|A", "2|aab", "2|a_b", "2|b", "2|zlink"} << 1;
        QTest::newRow("deeper") << "c:\\Pictures\\2024" << QStringList{"0|C:\\", "1|Pictures", "2|2024", "3|deep"}
                                << 2;
        QTest::newRow("no subfolders") << "C:\\Pictures\\2024\\deep"
                                       << QStringList{"0|C:\\", "1|Pictures", "2|2024", "3|deep"} << 3;
        QTest::newRow("through a link") << "C:\\Pictures\\zlink" << QStringList{"0|C:\\", "1|Pictures", "2|zlink", "3|deep"}
                                        << 2;
    }

    void dirEntries()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, entries);
        QFETCH(int, current);
        makeFolders();
        QWidget parent;
        DirListBox box(&parent, "Dir1");
        box.setPath(path);
        auto* list = qobject_cast<QListWidget*>(box.widget());
        QCOMPARE(entriesOf(list), entries);
        QCOMPARE(list->currentRow(), current);
        QVERIFY(list->item(current)->isSelected());
        // Each entry knows its full path: the ancestors' are prefixes of Path, the subfolders' extend it.
        for (int i = 0; i < list->count(); ++i) {
            const QString full = list->item(i)->data(DirListBox::PathRole).toString();
            if (i <= current)
                QVERIFY2(box.Path().startsWith(full), qPrintable(full));
            else
                QCOMPARE(full, (box.Path().endsWith('\\') ? box.Path() : box.Path() + '\\') + list->item(i)->text());
        }
    }

    void userOpensEntry_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("events");
        QTest::newRow("double-click subfolder") << false << "2024" << "C:\\Pictures\\2024" << 1;
        QTest::newRow("double-click root") << false << "C:\\" << "C:\\" << 1;
        QTest::newRow("double-click current") << false << "Pictures" << "C:\\Pictures" << 0;
        QTest::newRow("enter on subfolder") << true << "aab" << "C:\\Pictures\\aab" << 1;
        QTest::newRow("enter on root") << true << "C:\\" << "C:\\" << 1;
    }

    void userOpensEntry()
    {
        QFETCH(bool, byKey);
        QFETCH(QString, entry);
        QFETCH(QString, expected);
        QFETCH(int, events);
        makeFolders();
        QWidget parent;
        parent.resize(300, 400);
        DirListBox box(&parent, "Dir1");
        box.widget()->setGeometry(0, 0, 300, 400);
        box.setPath("C:\\Pictures");
        int raised = 0;
        box.setChangeHandler([&] { ++raised; });
        parent.show();
        QVERIFY(QTest::qWaitForWindowActive(&parent));

        auto* list = qobject_cast<QListWidget*>(box.widget());
        const QList<QListWidgetItem*> found = list->findItems(entry, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        if (byKey) {
            list->setFocus();
            list->setCurrentItem(found.first());
            QTest::keyClick(list, Qt::Key_Return);
        } else {
            // Through the window system, as a user's double-click comes: press, release, press.
            const QPoint at = list->viewport()->mapTo(&parent, list->visualItemRect(found.first()).center());
            QTest::mouseDClick(parent.windowHandle(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(box.Path(), expected);
        if (events) {
            QTRY_COMPARE_WITH_TIMEOUT(raised, events, 5000);
            QCOMPARE(list->item(list->currentRow())->text(), expected.section('\\', -1).isEmpty()
                                                                 ? expected
                                                                 : expected.section('\\', -1));
        } else {
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            QCOMPARE(raised, 0);
        }
    }
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
