// The folder window: the state it opens in, and what OK, cancel and the close box hand back. Its drive
// change and messages are tried with drives and folders that go away, in tst_changes.

#include "app/mdlselect.h"
#include "folder/frmfolder.h"
#include "support/browsefixture.h"

#include <QCheckBox>
#include <QScreen>
#include <QTest>

using namespace testsupport;

class TestFolder : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        QPointer<FrmFolder> window = FrmFolder::Existing();
        if (window)
            window->Unload();
        QTRY_VERIFY(window.isNull());
    }
    void loadAndHandBack_data();
    void loadAndHandBack();
};

enum class Leave { Ok, Cancel, CloseBox };
Q_DECLARE_METATYPE(Leave)

void TestFolder::loadAndHandBack_data()
{
    QTest::addColumn<QList<int>>("flags"); // UseBmp, UseJpg, UseGif when the window opens
    QTest::addColumn<QString>("folder");   // a folder to open first, "" for none
    QTest::addColumn<bool>("toggle");      // every check box clicked once
    QTest::addColumn<Leave>("leave");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QList<int>>("stored");
    const QList<int> all{1, 1, 1}, none{0, 0, 0}, jpg{0, 1, 0};
    QTest::newRow("OK, no change") << all << "" << false << Leave::Ok << "C:\\" << all;
    QTest::newRow("OK, all boxes clear") << all << "" << true << Leave::Ok << "C:\\" << none;
    QTest::newRow("OK, the label's folder") << jpg << "a/b" << false << Leave::Ok << "C:\\a\\b" << jpg;
    QTest::newRow("cancel") << jpg << "a" << true << Leave::Cancel << "" << jpg;
    QTest::newRow("close box") << none << "a" << true << Leave::CloseBox << "" << none;
}

void TestFolder::loadAndHandBack()
{
    QFETCH(QList<int>, flags);
    QFETCH(QString, folder);
    QFETCH(bool, toggle);
    QFETCH(Leave, leave);
    QFETCH(QString, chosen);
    QFETCH(QList<int>, stored);
    const RuntimeRecorder recorder; // an error would end the test's process, not the program's
    BrowseFixture drive;
    MdlSelect::ChosenFolder = QStringLiteral("stale");
    MdlSelect::UseBmp = flags[0];
    MdlSelect::UseJpg = flags[1];
    MdlSelect::UseGif = flags[2];
    QPointer<FrmFolder> window = FrmFolder::Instance();
    window->Show(); // modeless, so that the test can act on it
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(window->Drive1.Drive().startsWith(QStringLiteral("c:")));
    QCOMPARE(window->Dir1.Path(), QStringLiteral("C:\\"));
    QCOMPARE(window->lbl_path.Caption(), QStringLiteral("C:\\"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(window->ChkPhoto[std::size_t(i)].Value(), std::int16_t(flags[i]));
    QCOMPARE(MdlSelect::ChosenFolder, QString());
    const QRect screen = window->screen()->geometry(); // centred by its outer size
    const QRect outer = window->frameGeometry();
    QVERIFY(qAbs(outer.left() - (screen.width() - outer.width()) / 2) <= 1);
    QVERIFY(qAbs(outer.top() - (screen.height() - outer.height()) / 2) <= 1);

    if (!folder.isEmpty()) {
        drive.makeFolder(folder);
        window->Dir1.setPath(QStringLiteral("C:\\") + folder);
    }
    if (toggle)
        for (auto& box : window->ChkPhoto)
            static_cast<QCheckBox*>(box.widget())->click();
    if (leave == Leave::CloseBox)
        window->close();
    else
        QTest::mouseClick((leave == Leave::Ok ? window->Com_Ok : window->Com_Cancel).widget(), Qt::LeftButton);
    QTRY_VERIFY(window.isNull());
    QCOMPARE(MdlSelect::ChosenFolder, chosen);
    QCOMPARE(QList<int>({MdlSelect::UseBmp, MdlSelect::UseJpg, MdlSelect::UseGif}), stored);
}

QTEST_MAIN(TestFolder)
#include "tst_folder.moc"
