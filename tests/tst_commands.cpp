// The main window's commands: choosing a folder through the folder window, and opening a photo.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "folder/frmfolder.h"
#include "platform/errors.h"
#include "platform/runtime.h"
#include "support/browsefixture.h"
#include "support/modal.h"
#include "support/picturefiles.h"
#include "viewer/frmphoto.h"

#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace testsupport;

namespace {
// Clicks a button the way a user does, through the window system.
void clickThroughWindow(platform::Form* form, QWidget* button)
{
    QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, button->mapTo(form, button->rect().center()));
}
} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void folderCommandShowsFirstPage_data();
    void folderCommandShowsFirstPage();
    void leavingFolderWindowChangesNothing_data();
    void leavingFolderWindowChangesNothing();
    void newChoiceStartsAtFirstPage_data();
    void newChoiceStartsAtFirstPage();
    void vanishedFolderKeepsWhatWasShown();
    void busyWhileBuilding();

    void viewerShowsClickedPhoto_data();
    void viewerShowsClickedPhoto();
    void unreadablePhotoIsToldNotShown();

private:
    // Runs the folder command; in the folder window opens `folder` (unless empty), runs `before`, then
    // leaves with OK (`ok`) or cancel. Returns whether the folder window was seen.
    bool chooseFolder(const QString& folder, bool ok, const std::function<void(FrmFolder*)>& before = {});
    void showPage(int value);

    std::unique_ptr<RuntimeRecorder> m_recorder;
    std::unique_ptr<BrowseFixture> m_drive;
    FrmSelect* m_window = nullptr;
};

void TestCommands::init()
{
    m_recorder = std::make_unique<RuntimeRecorder>();
    m_drive = std::make_unique<BrowseFixture>();
    m_window = startGridWindow();
    QVERIFY(m_window);
    QCOMPARE(m_window->PageSize, 12);
}

void TestCommands::cleanup()
{
    closeMainWindow();
    m_drive.reset();
    m_recorder.reset();
}

bool TestCommands::chooseFolder(const QString& folder, bool ok, const std::function<void(FrmFolder*)>& before)
{
    bool seen = false;
    whenModal([](QWidget* w) { return qobject_cast<FrmFolder*>(w) != nullptr; },
              [=](QWidget* w) {
                  auto* dialog = static_cast<FrmFolder*>(w);
                  if (!folder.isEmpty())
                      dialog->Dir1.setPath(folder);
                  if (before)
                      before(dialog);
                  clickThroughWindow(dialog, ok ? dialog->Com_Ok.widget() : dialog->Com_Cancel.widget());
              },
              &seen);
    m_window->MnuFolder_Click();
    return seen;
}

void TestCommands::showPage(int value)
{
    m_window->VScroll.setValue(std::int16_t(value));
    QTRY_COMPARE(m_window->Caption(),
                 QStringLiteral("Tarnavel（%1 / %2）").arg(value + 1).arg(m_window->VScroll.Max() + 1));
}

void TestCommands::folderCommandShowsFirstPage_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pages");
    QTest::newRow("one page") << 5 << 1;
    QTest::newRow("three pages") << 30 << 3;
}

void TestCommands::folderCommandShowsFirstPage()
{
    QFETCH(int, count);
    QFETCH(int, pages);
    const QString folder = m_drive->makeBmpFolder(QStringLiteral("first"), count);
    QVERIFY(chooseFolder(folder, true));
    QCOMPARE(FrmFolder::Existing(), nullptr);
    QCOMPARE(MdlSelect::PhotoFolder, folder);
    QCOMPARE(MdlSelect::PhotoCount, count);
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（1 / %1）").arg(pages));
    QVERIFY(slotShows(m_window, 0, 0, QStringLiteral("p000.bmp")));
    QVERIFY(m_window->FraPhoto.Visible());
    QCOMPARE(platform::Screen::MousePointer(), platform::vbDefault);
    QCOMPARE(m_window->PageReady, std::int16_t(-1));
    QVERIFY(m_window->MnuFolder.Enabled());
    QVERIFY(m_recorder->messages.isEmpty());
}

void TestCommands::leavingFolderWindowChangesNothing_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("cancel") << false;
    QTest::newRow("close box") << true;
}

void TestCommands::leavingFolderWindowChangesNothing()
{
    QFETCH(bool, closeBox);
    const QString shown = m_drive->makeBmpFolder(QStringLiteral("shown"), 14);
    const QString other = m_drive->makeBmpFolder(QStringLiteral("other"), 3);
    browse(m_window, shown);
    showPage(1);
    bool seen = false;
    whenModal([](QWidget* w) { return qobject_cast<FrmFolder*>(w) != nullptr; },
              [=](QWidget* w) {
                  auto* dialog = static_cast<FrmFolder*>(w);
                  dialog->Dir1.setPath(other);
                  if (closeBox)
                      dialog->close();
                  else
                      clickThroughWindow(dialog, dialog->Com_Cancel.widget());
              },
              &seen);
    m_window->MnuFolder_Click();
    QVERIFY(seen);
    QCOMPARE(MdlSelect::ChosenFolder, QString());
    QCOMPARE(MdlSelect::PhotoFolder, shown);
    QCOMPARE(m_window->PhotoNames.size(), 14);
    QCOMPARE(m_window->VScroll.Value(), std::int16_t(1));
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（2 / 2）"));
    QCOMPARE(platform::Screen::MousePointer(), platform::vbDefault);
    QVERIFY(m_window->MnuFolder.Enabled());
}

void TestCommands::newChoiceStartsAtFirstPage_data()
{
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("secondCount");
    QTest::addColumn<QString>("caption");
    QTest::newRow("the same folder again") << "a" << 30 << "Tarnavel（1 / 3）";
    QTest::newRow("another folder") << "b" << 14 << "Tarnavel（1 / 2）";
}

void TestCommands::newChoiceStartsAtFirstPage()
{
    QFETCH(QString, second);
    QFETCH(int, secondCount);
    QFETCH(QString, caption);
    const QString first = m_drive->makeBmpFolder(QStringLiteral("a"), 30);
    const QString next = second == "a" ? first : m_drive->makeBmpFolder(second, secondCount);
    QVERIFY(chooseFolder(first, true));
    showPage(2);
    QVERIFY(slotShows(m_window, 0, 24, QStringLiteral("p024.bmp")));
    QVERIFY(chooseFolder(next, true));
    QCOMPARE(MdlSelect::PhotoFolder, next);
    QCOMPARE(m_window->VScroll.Value(), std::int16_t(0));
    QCOMPARE(m_window->Caption(), caption);
    QCOMPARE(m_window->PhotoNames.size(), secondCount);
    QVERIFY(slotShows(m_window, 0, 0, QStringLiteral("p000.bmp")));
    QVERIFY(slotShows(m_window, 11, 11, QStringLiteral("p011.bmp")));
}

void TestCommands::vanishedFolderKeepsWhatWasShown()
{
    const QString kept = m_drive->makeBmpFolder(QStringLiteral("kept"), 14);
    const QString gone = m_drive->makeBmpFolder(QStringLiteral("gone"), 3);
    QVERIFY(chooseFolder(kept, true));
    showPage(1);
    const QString root = m_drive->root();
    QVERIFY(chooseFolder(gone, true, [root](FrmFolder*) { QDir(root + QStringLiteral("/gone")).removeRecursively(); }));
    QCOMPARE(m_recorder->messages,
             QStringList{QStringLiteral("Tarnavel|ﾌｫﾙﾀﾞ C:\\gone を読み込めませんでした。\n%1")
                             .arg(platform::errorText(platform::ErrPathNotFound))});
    QCOMPARE(MdlSelect::PhotoFolder, kept);
    QCOMPARE(MdlSelect::PhotoCount, 14);
    QCOMPARE(m_window->PhotoNames.size(), 14);
    QCOMPARE(m_window->VScroll.Value(), std::int16_t(1));
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（2 / 2）"));
    QVERIFY(slotShows(m_window, 0, 12, QStringLiteral("p012.bmp")));
    QCOMPARE(m_window->PageReady, std::int16_t(-1));
    QVERIFY(m_window->FraPhoto.Visible());
    QVERIFY(m_window->MnuFolder.Enabled());
    QCOMPARE(platform::Screen::MousePointer(), platform::vbDefault);
    // The page scroll bar still works on the kept list.
    showPage(0);
    QVERIFY(slotShows(m_window, 0, 0, QStringLiteral("p000.bmp")));
}

void TestCommands::busyWhileBuilding()
{
    const QString folder = m_drive->makeBmpFolder(QStringLiteral("busy"), 12);
    // Looks at the window each time the page build lets events through.
    int looks = 0, menuEnabled = 0, frameShown = 0, notHourglass = 0;
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, this, [&] {
        if (m_window->PageReady != 0 || FrmFolder::Existing())
            return;
        ++looks;
        menuEnabled += m_window->MnuFolder.Enabled() ? 1 : 0;
        frameShown += m_window->FraPhoto.Visible() ? 1 : 0;
        notHourglass += platform::Screen::MousePointer() != platform::vbHourglass ? 1 : 0;
    });
    probe.start();
    QVERIFY(chooseFolder(folder, true));
    probe.stop();
    QVERIFY(looks > 0);
    QCOMPARE(menuEnabled, 0);
    QCOMPARE(frameShown, 0);
    QCOMPARE(notHourglass, 0);
    QVERIFY(m_window->MnuFolder.Enabled());
    QCOMPARE(platform::Screen::MousePointer(), platform::vbDefault);
}

void TestCommands::viewerShowsClickedPhoto_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("a folder") << "v" << "C:\\v\\p017.bmp";
    QTest::newRow("the drive's root") << "" << "C:\\\\p017.bmp";
}

void TestCommands::viewerShowsClickedPhoto()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    const QString folder = m_drive->makeBmpFolder(name, 30); // 16 x 12 pixels each
    QVERIFY(chooseFolder(folder, true));
    showPage(1);
    QString seenCaption;
    float scaleWidth = 0, scaleHeight = 0;
    QRect outer;
    bool seen = false;
    whenModal([](QWidget* w) { return qobject_cast<FrmPhoto*>(w) != nullptr; },
              [&](QWidget* w) {
                  auto* viewer = static_cast<FrmPhoto*>(w);
                  seenCaption = viewer->Caption();
                  scaleWidth = viewer->ScaleWidth();
                  scaleHeight = viewer->ScaleHeight();
                  outer = viewer->frameGeometry();
                  viewer->close();
              },
              &seen);
    m_window->Img_Photo_Click(5);
    QVERIFY(seen);
    QCOMPARE(MdlSelect::PhotoName, QStringLiteral("p017.bmp"));
    QCOMPARE(seenCaption, caption);
    QCOMPARE(scaleWidth, 16.0f * 15);
    QCOMPARE(scaleHeight, 12.0f * 15);
    QVERIFY2(outer.left() >= 0 && outer.left() <= 2 && outer.top() >= 0 && outer.top() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(outer.left()).arg(outer.top())));
    QTRY_COMPARE(FrmPhoto::Existing(), nullptr);
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（2 / 3）"));
    QVERIFY(slotShows(m_window, 5, 17, QStringLiteral("p017.bmp")));
    QVERIFY(m_recorder->messages.isEmpty());
}

void TestCommands::unreadablePhotoIsToldNotShown()
{
    const QString folder = m_drive->makeBmpFolder(QStringLiteral("u"), 3);
    m_drive->writeBytes(folder, QStringLiteral("bad.bmp"), QByteArray("not a picture"));
    QVERIFY(chooseFolder(folder, true));
    QCOMPARE(m_window->Lbl_Photo[0].Caption(), QStringLiteral("bad.bmp"));
    bool viewerOpened = false;
    whenModal([](QWidget* w) { return qobject_cast<FrmPhoto*>(w) != nullptr; },
              [](QWidget* w) { w->close(); }, &viewerOpened, 1000);
    m_window->Img_Photo_Click(0);
    QVERIFY(!viewerOpened);
    QCOMPARE(FrmPhoto::Existing(), nullptr);
    QCOMPARE(MdlSelect::PhotoName, QStringLiteral("bad.bmp"));
    QCOMPARE(m_recorder->messages.size(), 1);
    const QString expected = QStringLiteral("Tarnavel|C:\\u\\bad.bmp を表示できません。\n%1")
                                 .arg(platform::errorText(platform::ErrInvalidPicture));
    QVERIFY2(m_recorder->messages.first().startsWith(expected), qPrintable(m_recorder->messages.first()));
    QCOMPARE(m_window->Caption(), QStringLiteral("Tarnavel（1 / 1）"));
    QVERIFY(slotShows(m_window, 1, 0, QStringLiteral("p000.bmp")));
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
