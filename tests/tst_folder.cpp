// The folder window: its design, the state it opens in, and what OK, cancel and the drive list do.

#include "app/mdlselect.h"
#include "folder/frmfolder.h"
#include "platform/drives.h"
#include "platform/runtime.h"
#include "support/browsefixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace testsupport;

class TestFolder : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void design_data();
    void design();
    void captionSizeAndFont();
    void tabOrderAndFocus();
    void checkBoxes_data();
    void checkBoxes();

    void loadState_data();
    void loadState();
    void okStores_data();
    void okStores();
    void leavingWithoutOk_data();
    void leavingWithoutOk();
    void unavailableDrive();
    void folderChangeUpdatesLabel();

private:
    FrmFolder* open();
    std::unique_ptr<RuntimeRecorder> m_recorder;
    std::unique_ptr<BrowseFixture> m_drive;
};

void TestFolder::init()
{
    m_recorder = std::make_unique<RuntimeRecorder>();
    m_drive = std::make_unique<BrowseFixture>();
    MdlSelect::AppTitle = QStringLiteral("Tarnavel");
    MdlSelect::UseBmp = 1;
    MdlSelect::UseJpg = 1;
    MdlSelect::UseGif = 1;
    MdlSelect::ChosenFolder = QStringLiteral("stale");
}

void TestFolder::cleanup()
{
    QPointer<FrmFolder> window = FrmFolder::Existing();
    if (window && !window->Loaded())
        delete window; // made for its design only, never loaded
    else if (window)
        window->Unload();
    QTRY_VERIFY(window.isNull());
    m_drive.reset();
    m_recorder.reset();
}

// Opens the window modeless, so that the test can look at it and act on it.
FrmFolder* TestFolder::open()
{
    FrmFolder* window = FrmFolder::Instance();
    window->Show();
    if (!QTest::qWaitForWindowExposed(window))
        return nullptr;
    return window;
}

void TestFolder::design_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place"); // twips: left, top, width, height
    QTest::newRow("Dir1") << "Dir1" << QRect(60, 420, 4875, 2610);
    QTest::newRow("Drive1") << "Drive1" << QRect(60, 60, 2115, 300);
    QTest::newRow("lbl_path") << "lbl_path" << QRect(60, 3120, 4875, 315);
    QTest::newRow("Com_Cancel") << "Com_Cancel" << QRect(3750, 4050, 1215, 315);
    QTest::newRow("Com_Ok") << "Com_Ok" << QRect(2490, 4050, 1215, 315);
    QTest::newRow("ChkPhoto 0") << "ChkPhoto0" << QRect(90, 3510, 915, 345);
    QTest::newRow("ChkPhoto 1") << "ChkPhoto1" << QRect(1080, 3510, 915, 345);
    QTest::newRow("ChkPhoto 2") << "ChkPhoto2" << QRect(2070, 3510, 915, 345);
}

void TestFolder::design()
{
    QFETCH(QString, name);
    QFETCH(QRect, place);
    FrmFolder* window = FrmFolder::Instance();
    QMap<QString, platform::Control*> controls{
        {"Dir1", &window->Dir1},           {"Drive1", &window->Drive1}, {"lbl_path", &window->lbl_path},
        {"Com_Cancel", &window->Com_Cancel}, {"Com_Ok", &window->Com_Ok}, {"ChkPhoto0", &window->ChkPhoto[0]},
        {"ChkPhoto1", &window->ChkPhoto[1]}, {"ChkPhoto2", &window->ChkPhoto[2]}};
    platform::Control* c = controls.value(name);
    QVERIFY(c);
    QCOMPARE(c->widget()->objectName(), name.startsWith("Chk") ? QStringLiteral("ChkPhoto") : name);
    QCOMPARE(c->widget()->parentWidget(), window->client());
    QCOMPARE(c->Left(), float(place.x()));
    QCOMPARE(c->Top(), float(place.y()));
    QCOMPARE(c->Width(), float(place.width()));
    QCOMPARE(c->Height(), float(place.height()));
}

void TestFolder::captionSizeAndFont()
{
    FrmFolder* window = open();
    QVERIFY(window);
    QCOMPARE(window->Caption(), QStringLiteral("ﾌｫﾙﾀﾞ選択"));
    QCOMPARE(window->ScaleWidth(), 5040.0f);
    QCOMPARE(window->ScaleHeight(), 4455.0f);
    QCOMPARE(window->findChild<QMenuBar*>(), nullptr);
    const QFont font = window->lbl_path.widget()->font();
    QVERIFY(!font.families().isEmpty());
    QCOMPARE(font.families().first(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(font.pointSizeF(), 11.25);
    QCOMPARE(font.weight(), QFont::Normal);
    QCOMPARE(window->lbl_path.widget()->palette().color(window->lbl_path.widget()->backgroundRole()),
             QColor(Qt::white));
    for (auto* button : {window->Com_Ok.widget(), window->Com_Cancel.widget()}) {
        auto* push = qobject_cast<QPushButton*>(button);
        QVERIFY(push && !push->isDefault() && !push->autoDefault());
    }
}

void TestFolder::tabOrderAndFocus()
{
    FrmFolder* window = open();
    QVERIFY(window);
    const QList<QWidget*> order{window->Dir1.widget(),   window->Drive1.widget(),      window->lbl_path.widget(),
                                window->Com_Cancel.widget(), window->Com_Ok.widget(), window->ChkPhoto[0].widget(),
                                window->ChkPhoto[1].widget(), window->ChkPhoto[2].widget()};
    // Following the focus chain from each control, the next of the window's controls is the next in order.
    for (int i = 0; i + 1 < order.size(); ++i) {
        QWidget* w = order[i]->nextInFocusChain();
        int guard = 0;
        while (!order.contains(w) && ++guard < 200)
            w = w->nextInFocusChain();
        QCOMPARE(w, order[i + 1]);
    }
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTRY_COMPARE(QApplication::focusWidget(), window->Dir1.widget());
}

void TestFolder::checkBoxes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::newRow("bitmap") << 0 << "Bmp";
    QTest::newRow("JPEG") << 1 << "Jpg";
    QTest::newRow("GIF") << 2 << "Gif";
}

void TestFolder::checkBoxes()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    FrmFolder* window = FrmFolder::Instance();
    auto* box = qobject_cast<QCheckBox*>(window->ChkPhoto[std::size_t(index)].widget());
    QVERIFY(box);
    QCOMPARE(box->text(), caption);
    QCOMPARE(box->property("index").toInt(), index);
    QCOMPARE(window->ChkPhoto[std::size_t(index)].Index(), std::int16_t(index));
}

void TestFolder::loadState_data()
{
    QTest::addColumn<int>("bmp");
    QTest::addColumn<int>("jpg");
    QTest::addColumn<int>("gif");
    QTest::newRow("all") << 1 << 1 << 1;
    QTest::newRow("none") << 0 << 0 << 0;
    QTest::newRow("JPEG only") << 0 << 1 << 0;
    QTest::newRow("a flag other than 1 is clear") << 1 << -1 << 0;
}

void TestFolder::loadState()
{
    QFETCH(int, bmp);
    QFETCH(int, jpg);
    QFETCH(int, gif);
    MdlSelect::UseBmp = bmp;
    MdlSelect::UseJpg = jpg;
    MdlSelect::UseGif = gif;
    FrmFolder* window = open();
    QVERIFY(window);
    QVERIFY(window->Drive1.Drive().startsWith(QStringLiteral("c:")));
    QCOMPARE(window->Dir1.Path(), QStringLiteral("C:\\"));
    QCOMPARE(window->lbl_path.Caption(), QStringLiteral("C:\\"));
    QCOMPARE(window->ChkPhoto[0].Value(), std::int16_t(bmp == 1));
    QCOMPARE(window->ChkPhoto[1].Value(), std::int16_t(jpg == 1));
    QCOMPARE(window->ChkPhoto[2].Value(), std::int16_t(gif == 1));
    QCOMPARE(MdlSelect::ChosenFolder, QString());
    // Centred on the screen by its outer size.
    const QRect screen = window->screen()->geometry();
    const QRect outer = window->frameGeometry();
    QVERIFY2(qAbs(outer.left() - (screen.width() - outer.width()) / 2) <= 1, qPrintable(QString::number(outer.left())));
    QVERIFY2(qAbs(outer.top() - (screen.height() - outer.height()) / 2) <= 1, qPrintable(QString::number(outer.top())));
}

void TestFolder::okStores_data()
{
    QTest::addColumn<bool>("clearAll");
    QTest::addColumn<QString>("folder"); // a folder to open first, "" for none
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("flags");
    QTest::newRow("no change") << false << "" << "C:\\" << 1;
    QTest::newRow("all boxes clear") << true << "" << "C:\\" << 0;
    QTest::newRow("another folder") << false << "Pics" << "C:\\Pics" << 1;
}

void TestFolder::okStores()
{
    QFETCH(bool, clearAll);
    QFETCH(QString, folder);
    QFETCH(QString, chosen);
    QFETCH(int, flags);
    if (!folder.isEmpty())
        m_drive->makeFolder(folder);
    QPointer<FrmFolder> window = open();
    QVERIFY(window);
    if (!folder.isEmpty())
        window->Dir1.setPath(QStringLiteral("C:\\") + folder);
    if (clearAll)
        for (auto& box : window->ChkPhoto)
            static_cast<QCheckBox*>(box.widget())->click();
    QTest::mouseClick(window->Com_Ok.widget(), Qt::LeftButton);
    QTRY_VERIFY(window.isNull());
    QCOMPARE(FrmFolder::Existing(), nullptr);
    QCOMPARE(MdlSelect::ChosenFolder, chosen);
    QCOMPARE(MdlSelect::UseBmp, flags);
    QCOMPARE(MdlSelect::UseJpg, flags);
    QCOMPARE(MdlSelect::UseGif, flags);
}

void TestFolder::leavingWithoutOk_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("cancel") << false;
    QTest::newRow("close box") << true;
}

void TestFolder::leavingWithoutOk()
{
    QFETCH(bool, closeBox);
    MdlSelect::UseJpg = 0;
    m_drive->makeFolder(QStringLiteral("Other"));
    QPointer<FrmFolder> window = open();
    QVERIFY(window);
    window->Dir1.setPath(QStringLiteral("C:\\Other"));
    for (auto& box : window->ChkPhoto)
        static_cast<QCheckBox*>(box.widget())->click();
    if (closeBox)
        window->close();
    else
        QTest::mouseClick(window->Com_Cancel.widget(), Qt::LeftButton);
    QTRY_VERIFY(window.isNull());
    QCOMPARE(MdlSelect::ChosenFolder, QString());
    QCOMPARE(MdlSelect::UseBmp, 1);
    QCOMPARE(MdlSelect::UseJpg, 0);
    QCOMPARE(MdlSelect::UseGif, 1);
}

void TestFolder::unavailableDrive()
{
    platform::setDriveTable({{QChar('C'), m_drive->root(), QStringLiteral("test")},
                             {QChar('D'), m_drive->root() + QStringLiteral("/gone"), QString()}});
    FrmFolder* window = open();
    QVERIFY(window);
    window->Drive1.setDrive(QStringLiteral("D:"));
    QCOMPARE(m_recorder->messages, QStringList{QStringLiteral("Tarnavel|デバイスが無効です。")});
    QVERIFY2(window->Drive1.Drive().startsWith(QStringLiteral("c:")), qPrintable(window->Drive1.Drive()));
    QCOMPARE(window->Dir1.Path(), QStringLiteral("C:\\"));
    QCOMPARE(window->lbl_path.Caption(), QStringLiteral("C:\\"));
}

void TestFolder::folderChangeUpdatesLabel()
{
    m_drive->makeFolder(QStringLiteral("a/b"));
    FrmFolder* window = open();
    QVERIFY(window);
    window->Dir1.setPath(QStringLiteral("C:\\a\\b"));
    QCOMPARE(window->lbl_path.Caption(), QStringLiteral("C:\\a\\b"));
    window->Dir1.setPath(QStringLiteral("C:\\a"));
    QCOMPARE(window->lbl_path.Caption(), QStringLiteral("C:\\a"));
    QCOMPARE(MdlSelect::ChosenFolder, QString());
}

QTEST_MAIN(TestFolder)
#include "tst_folder.moc"
