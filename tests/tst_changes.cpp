// Changes under the program's feet: files, folders and drives that go away between the scan, a page
// and a click, or under the folder window's lists, and a home folder that is not there. Each gets an
// empty slot or a message, and the program keeps what it showed and goes on.

#include "browser/frmselect.h"
#include "folder/frmfolder.h"
#include "platform/drives.h"
#include "support/browsefixture.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

using namespace testsupport;

using Change = std::function<void(const QString& root)>; // acts on the test drive's root folder
Q_DECLARE_METATYPE(Change)

class TestChanges : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_test = std::make_unique<MainWindowTest>();
        browse(m_test->window, m_test->drive.makeBmpFolder(QStringLiteral("photos"), 30));
    }
    void cleanup()
    {
        if (FrmFolder::Existing())
            FrmFolder::Existing()->Unload();
        m_test.reset();
    }
    void changeBetweenPages_data();
    void changeBetweenPages();
    void folderWindow_data();
    void folderWindow();

private:
    std::unique_ptr<MainWindowTest> m_test;
};

void TestChanges::changeBetweenPages_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("emptySlots"); // of page 2's twelve
    QTest::newRow("file deleted after the scan") << Change([](QString r) { QFile::remove(r + "/photos/p013.bmp"); }) << 1;
    QTest::newRow("folder deleted") << Change([](const QString& r) { QDir(r + "/photos").removeRecursively(); }) << 12;
    QTest::newRow("drive gone") << Change([](QString r) { platform::setDriveTable({{QChar('C'), r + "/gone", {}}}); }) << 12;
}

void TestChanges::changeBetweenPages()
{
    QFETCH(Change, change);
    QFETCH(int, emptySlots);
    change(m_test->drive.root());
    auto* bar = static_cast<QScrollBar*>(m_test->window->VScroll.widget());
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); // the user's page change
    QTRY_COMPARE(m_test->window->Caption(), QStringLiteral("Tarnavel（2 / 3）"));
    int empty = 0;
    for (int i = 0; i < 12; ++i) {
        const QString name = QStringLiteral("p%1.bmp").arg(12 + i, 3, 10, QChar('0'));
        QCOMPARE(m_test->window->Lbl_Photo[i].Caption(), name); // every slot keeps its own name
        QVERIFY(m_test->window->Img_Photo[i].Visible());
        if (m_test->window->Img_Photo[i].hasPicture())
            QVERIFY2(slotShows(m_test->window, i, 12 + i, name), qPrintable(name));
        else
            ++empty;
    }
    QCOMPARE(empty, emptySlots);
    QVERIFY(m_test->recorder.messages.isEmpty());
    QVERIFY(m_test->recorder.ends.isEmpty());
}

enum class CDrive { Fixture, Missing, MissingHome }; // what C: stands for when the folder window opens
Q_DECLARE_METATYPE(CDrive)

void TestChanges::folderWindow_data()
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

void TestChanges::folderWindow()
{
    QFETCH(CDrive, c);
    QFETCH(QString, start);
    QFETCH(QString, gone);
    QFETCH(QString, act);
    QFETCH(QString, path);
    QFETCH(QString, message);
    const QString root = m_test->drive.root();
    QVERIFY(QDir(root).mkpath("a/b") && QDir(root).mkpath("d/x"));
    platform::setDriveTable({{QChar('C'), c == CDrive::Missing ? root + "/none" : root, {}}, {QChar('D'), root + "/d", {}}});
    const QByteArray home = qgetenv("HOME");
    if (c == CDrive::MissingHome) {
        qputenv("HOME", QFile::encodeName(root + "/none"));
        platform::resetDriveTable();
    }
    QPointer<FrmFolder> window = FrmFolder::Instance();
    window->Show();
    qputenv("HOME", home);
    QVERIFY(QTest::qWaitForWindowActive(window));
    if (!start.isEmpty()) {
        window->Drive1.setDrive(start.left(2));
        window->Dir1.setPath(start);
    }
    if (!gone.isEmpty())
        QVERIFY(QDir(root + '/' + gone).removeRecursively());
    auto* list = static_cast<QListWidget*>(window->Dir1.widget());
    if (act.endsWith(':')) {
        window->Drive1.setDrive(act);
    } else if (!act.isEmpty()) {
        list->setCurrentItem(list->findItems(act, Qt::MatchExactly).value(0));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
    }
    QTRY_COMPARE(m_test->recorder.messages, message.isEmpty() ? QStringList() : QStringList{"Tarnavel|" + message});
    QTRY_COMPARE(window->lbl_path.Caption(), path);
    QCOMPARE(window->Dir1.Path(), path);
    QVERIFY(m_test->recorder.ends.isEmpty());
    window->Unload();
}

QTEST_MAIN(TestChanges)
#include "tst_changes.moc"
