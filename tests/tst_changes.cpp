// Changes under the program's feet: files, folders and drives that go away between the scan, a page
// and a click. Each gets an empty slot or a message, and the program keeps what it showed.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "platform/drives.h"
#include "support/browsefixture.h"
#include "support/modal.h"
#include "viewer/frmphoto.h"

#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTest>

using namespace testsupport;

enum class Change { DeleteFile, DeleteFolder, RenameFolder, EmptyFolder, RemoveDrive };
Q_DECLARE_METATYPE(Change)

class TestChanges : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_recorder = std::make_unique<RuntimeRecorder>();
        m_drive = std::make_unique<BrowseFixture>();
        m_window = startGridWindow();
        m_folder = m_drive->makeBmpFolder(QStringLiteral("photos"), 30);
        browse(m_window, m_folder);
    }
    void cleanup()
    {
        cancelModalWaits();
        closeMainWindow();
        m_drive.reset();
        m_recorder.reset();
    }
    void changeBetweenPages_data();
    void changeBetweenPages();
    void fileGoneBeforeClick();
    void folderGoneBeforeFolderCommand();

private:
    void apply(Change change);
    std::unique_ptr<RuntimeRecorder> m_recorder;
    std::unique_ptr<BrowseFixture> m_drive;
    FrmSelect* m_window = nullptr;
    QString m_folder;
};

void TestChanges::apply(Change change)
{
    const QString system = m_drive->root() + QStringLiteral("/photos");
    switch (change) {
    case Change::DeleteFile: QVERIFY(QFile::remove(system + "/p013.bmp")); break;
    case Change::DeleteFolder: QVERIFY(QDir(system).removeRecursively()); break;
    case Change::RenameFolder: QVERIFY(QDir(m_drive->root()).rename("photos", "renamed")); break;
    case Change::EmptyFolder:
        for (const QString& f : QDir(system).entryList(QDir::Files))
            QVERIFY(QFile::remove(system + '/' + f));
        break;
    case Change::RemoveDrive: platform::setDriveTable({{QChar('C'), m_drive->root() + "/gone", {}}}); break;
    }
}

void TestChanges::changeBetweenPages_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("emptySlots"); // of page 2's twelve
    QTest::newRow("file deleted after the scan") << Change::DeleteFile << 1;
    QTest::newRow("folder deleted") << Change::DeleteFolder << 12;
    QTest::newRow("folder renamed") << Change::RenameFolder << 12;
    QTest::newRow("folder emptied") << Change::EmptyFolder << 12;
    QTest::newRow("drive gone") << Change::RemoveDrive << 12;
}

void TestChanges::changeBetweenPages()
{
    QFETCH(Change, change);
    QFETCH(int, emptySlots);
    apply(change);
    auto* bar = static_cast<QScrollBar*>(m_window->VScroll.widget());
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); // the user's page change
    QTRY_COMPARE(m_window->Caption(), QStringLiteral("Tarnavel（2 / 3）"));
    int empty = 0;
    for (int i = 0; i < 12; ++i) {
        const QString name = QStringLiteral("p%1.bmp").arg(12 + i, 3, 10, QChar('0'));
        QCOMPARE(m_window->Lbl_Photo[i].Caption(), name); // every slot keeps its own name
        QVERIFY(m_window->Img_Photo[i].Visible());
        if (m_window->Img_Photo[i].hasPicture())
            QVERIFY2(slotShows(m_window, i, 12 + i, name), qPrintable(name));
        else
            ++empty;
    }
    QCOMPARE(empty, emptySlots);
    QVERIFY(m_recorder->messages.isEmpty());
    QVERIFY(m_recorder->ends.isEmpty());
}

void TestChanges::fileGoneBeforeClick()
{
    QVERIFY(QFile::remove(m_drive->root() + "/photos/p005.bmp"));
    bool opened = false;
    whenModal([](QWidget* m) { return m == FrmPhoto::Existing(); }, [&](QWidget* m) { opened = true; m->close(); });
    m_window->Img_Photo_Click(5);
    QVERIFY(!opened);
    QCOMPARE(m_recorder->messages.size(), 1);
    QVERIFY(m_recorder->messages[0].contains("p005.bmp"));
    QVERIFY(m_recorder->messages[0].contains(QStringLiteral("ファイルが見つかりません。")));
    QVERIFY(slotShows(m_window, 5, 5, "p005.bmp")); // the page stays as it was
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（1 / 3）"));
}

void TestChanges::folderGoneBeforeFolderCommand()
{
    m_window->VScroll.setValue(1);
    const QString other = m_drive->makeBmpFolder(QStringLiteral("other"), 5);
    QVERIFY(QDir(m_drive->root() + "/other").removeRecursively());
    MdlSelect::ChosenFolder = other;
    // The folder command with the folder window answered at once by OK on the vanished folder.
    whenModal([](QWidget* m) { return m->objectName() == "FrmFolder"; },
              [other](QWidget* m) {
                  MdlSelect::ChosenFolder = other;
                  static_cast<platform::Form*>(m)->Unload();
              });
    m_window->MnuFolder_Click();
    if (MdlSelect::ChosenFolder.isEmpty())
        QSKIP("the folder window cleared the choice");
    QCOMPARE(m_recorder->messages.size(), 1);
    QCOMPARE(MdlSelect::PhotoFolder, m_folder);
    QCOMPARE(m_window->PhotoNames.size(), 30);
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（2 / 3）"));
    QCOMPARE(m_window->VScroll.Value(), std::int16_t(1));
    QVERIFY(slotShows(m_window, 0, 12, "p012.bmp"));
    QCOMPARE(m_window->PageReady, std::int16_t(-1));
    QVERIFY(m_window->FraPhoto.Visible());
    QVERIFY(m_window->MnuFolder.Enabled());
}

QTEST_MAIN(TestChanges)
#include "tst_changes.moc"
