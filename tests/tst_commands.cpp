// The main window's folder command: the folder window's three ways out, a folder gone in between, and
// the busy window while the first page is built.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "folder/frmfolder.h"
#include "platform/errors.h"
#include "platform/runtime.h"
#include "support/browsefixture.h"
#include "support/modal.h"

#include <QDir>
#include <QTest>
#include <QTimer>

using namespace testsupport;

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void folderCommand_data();
    void folderCommand();
};

void TestCommands::folderCommand_data()
{
    QTest::addColumn<QString>("target"); // the folder opened in the folder window
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("firstShown"); // the picture in slot 0 afterwards
    QTest::newRow("OK, one page") << "one" << 5 << "ok" << "Tarnavel（1 / 1）" << 0;
    QTest::newRow("OK, two pages") << "two" << 14 << "ok" << "Tarnavel（1 / 2）" << 0;
    QTest::newRow("OK on the folder shown: first page") << "kept" << 30 << "ok" << "Tarnavel（1 / 3）" << 0;
    QTest::newRow("cancel keeps everything") << "other" << 3 << "cancel" << "Tarnavel（2 / 3）" << 12;
    QTest::newRow("close box keeps everything") << "other" << 3 << "close" << "Tarnavel（2 / 3）" << 12;
    QTest::newRow("a folder gone before OK is told") << "gone" << 3 << "vanish" << "Tarnavel（2 / 3）" << 12;
}

void TestCommands::folderCommand()
{
    QFETCH(QString, target);
    QFETCH(int, count);
    QFETCH(QString, how);
    QFETCH(QString, caption);
    QFETCH(int, firstShown);
    MainWindowTest t;
    FrmSelect* w = t.window;
    const QString kept = t.drive.makeBmpFolder(QStringLiteral("kept"), 30);
    const QString next = target == "kept" ? kept : t.drive.makeBmpFolder(target, count);
    browse(w, kept);
    w->VScroll.setValue(1);
    QTRY_COMPARE(w->Caption(), QStringLiteral("Tarnavel（2 / 3）"));
    const QString gone = t.drive.root() + '/' + target;
    // Each time the build lets events through: the hourglass, the folder command off, the frame hidden.
    int looks = 0, notBusy = 0;
    QTimer probe;
    connect(&probe, &QTimer::timeout, this, [&] {
        if (w->PageReady == 0 && !FrmFolder::Existing()) {
            ++looks;
            notBusy += w->MnuFolder.Enabled() || w->FraPhoto.Visible() || platform::Screen::MousePointer() != platform::vbHourglass;
        }
    });
    probe.start(0);
    QVERIFY(runFolderCommand(w, [=](FrmFolder* f) {
        f->Dir1.setPath(next);
        if (how == "vanish")
            QDir(gone).removeRecursively();
        if (how == "close")
            f->close();
        else
            clickThroughWindow((how == "cancel" ? f->Com_Cancel : f->Com_Ok).widget());
    }));
    probe.stop();
    QCOMPARE(looks > 0, how == "ok");
    QCOMPARE(notBusy, 0);
    const bool left = how == "cancel" || how == "close";
    QCOMPARE(MdlSelect::ChosenFolder, left ? QString() : next);
    QCOMPARE(MdlSelect::PhotoFolder, how == "ok" ? next : kept);
    QCOMPARE(MdlSelect::PhotoCount, how == "ok" ? count : 30);
    QCOMPARE(w->Caption(), caption);
    QVERIFY(slotShows(w, 0, firstShown));
    const QString told = QStringLiteral("Tarnavel|ﾌｫﾙﾀﾞ C:\\gone を読み込めませんでした。\n") +
                         platform::errorText(platform::ErrPathNotFound);
    QCOMPARE(t.recorder.messages, how == "vanish" ? QStringList{told} : QStringList{});
    QVERIFY(w->FraPhoto.Visible() && w->MnuFolder.Enabled());
    QCOMPARE(w->PageReady, std::int16_t(-1));
    QCOMPARE(platform::Screen::MousePointer(), platform::vbDefault);
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
