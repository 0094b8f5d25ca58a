// The main road from end to end, driven as a user drives it: keys and clicks go through the window
// system, so a window behind a modal one does not take them.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "folder/frmfolder.h"
#include "platform/drives.h"
#include "platform/twips.h"
#include "support/browsefixture.h"
#include "support/modal.h"
#include "support/picturefiles.h"
#include "viewer/frmphoto.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;

namespace {
// A click at the middle of `widget`, delivered to its top-level window as the window system does.
void clickThroughWindow(QWidget* widget, QPoint at = {})
{
    QWidget* top = widget->window();
    if (at.isNull())
        at = widget->rect().center();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, widget->mapTo(top, at));
}
} // namespace

class TestRoad : public QObject {
    Q_OBJECT
private slots:
    void init() { m_recorder = std::make_unique<RuntimeRecorder>(); }
    void cleanup()
    {
        closeMainWindow();
        platform::resetDriveTable();
        m_recorder.reset();
    }
    void folderToPageToViewerAndBack();
    void clickBehindModalWindowIsNotTaken();

private:
    std::unique_ptr<RuntimeRecorder> m_recorder;
};

void TestRoad::folderToPageToViewerAndBack()
{
    BrowseFixture home;
    QTemporaryDir other;
    platform::setDriveTable({{QChar('C'), home.root(), QStringLiteral("ホーム")}, {QChar('D'), other.path(), {}}});
    QDir(other.path()).mkpath("road");
    QStringList names;
    for (int n = 0; n < 6; ++n)
        names << QStringLiteral("a%1.bmp").arg(n);
    for (int n = 0; n < 5; ++n)
        names << QStringLiteral("b%1.jpg").arg(n);
    for (int n = 0; n < 5; ++n)
        names << QStringLiteral("c%1.gif").arg(n);
    for (int n = 0; n < names.size(); ++n) {
        const QString& name = names[n];
        const QColor colour = pictureColour(n);
        const QByteArray bytes = name.endsWith("bmp") ? bmpBytes(30 + n, 20, colour)
                               : name.endsWith("jpg") ? jpegBytes(30 + n, 20, colour)
                                                      : gifBytes(30 + n, 20, colour);
        writeFile(other.path() + "/road/" + name, name == "b2.jpg" ? QByteArray("not a picture") : bytes);
    }

    FrmSelect* main = startGridWindow();
    QVERIFY(main);

    // The folder window, driven while it runs modally.
    bool chosen = false;
    whenModal([](QWidget* w) { return w == FrmFolder::Existing(); },
              [&](QWidget* w) {
                  FrmFolder* f = FrmFolder::Existing();
                  QCOMPARE(f->lbl_path.Caption(), QStringLiteral("C:\\"));
                  QVERIFY(f->Dir1.widget()->hasFocus());
                  QTest::keyClick(w->windowHandle(), Qt::Key_Tab); // to the drive list
                  QTest::keyClick(w->windowHandle(), Qt::Key_Down); // the next drive, D:
                  QTRY_COMPARE(f->lbl_path.Caption(), QStringLiteral("D:\\"));
                  auto* list = static_cast<QListWidget*>(f->Dir1.widget());
                  const QList<QListWidgetItem*> road = list->findItems("road", Qt::MatchExactly);
                  QCOMPARE(road.size(), 1);
                  const QPoint at = list->viewport()->mapTo(w, list->visualItemRect(road[0]).center());
                  QTest::mouseDClick(w->windowHandle(), Qt::LeftButton, {}, at);
                  QTRY_COMPARE(f->lbl_path.Caption(), QStringLiteral("D:\\road"));
                  for (int i : {1, 1}) // off and on again
                      clickThroughWindow(f->ChkPhoto[i].widget(), QPoint(6, f->ChkPhoto[i].widget()->height() / 2));
                  QCOMPARE(f->ChkPhoto[1].Value(), std::int16_t(1));
                  clickThroughWindow(f->Com_Ok.widget());
                  chosen = true;
              });
    QTest::keyClick(main->windowHandle(), Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget()->windowHandle(), Qt::Key_S);
    QTRY_VERIFY(chosen);
    QTRY_COMPARE(main->Caption(), QStringLiteral("Tarnavel（1 / 2）"));
    QTRY_COMPARE(main->PageReady, std::int16_t(-1));
    QCOMPARE(MdlSelect::PhotoFolder, QStringLiteral("D:\\road"));
    QCOMPARE(main->PhotoNames, names);
    for (int i = 0; i < 12; ++i) {
        if (names[i] == "b2.jpg") { // unreadable: the empty picture under its own name
            QVERIFY(main->Img_Photo[i].Visible() && !main->Img_Photo[i].hasPicture());
            QCOMPARE(main->Lbl_Photo[i].Caption(), names[i]);
        } else {
            QVERIFY2(slotShows(main, i, i, names[i]), qPrintable(names[i]));
        }
    }

    // The scroll bar's down arrow: the second page.
    QWidget* bar = main->VScroll.widget();
    clickThroughWindow(bar, QPoint(bar->width() / 2, bar->height() - 4));
    QTRY_COMPARE(main->Caption(), QStringLiteral("Tarnavel（2 / 2）"));
    QVERIFY(slotShows(main, 3, 15, names[15]));
    QVERIFY(!main->Img_Photo[4].Visible());

    // A click on a thumbnail opens the viewer at its picture's own size, in the screen's corner.
    QString caption;
    QSizeF inner;
    QPoint corner(-1, -1);
    whenModal([](QWidget* w) { return w == FrmPhoto::Existing(); },
              [&](QWidget* w) {
                  FrmPhoto* v = FrmPhoto::Existing();
                  caption = v->Caption();
                  inner = QSizeF(v->ScaleWidth(), v->ScaleHeight());
                  corner = w->frameGeometry().topLeft();
                  clickThroughWindow(main->Img_Photo[0].widget()); // behind the viewer: not taken
                  w->close();                                      // the close box
              });
    clickThroughWindow(main->Img_Photo[2].widget());
    QTRY_VERIFY(!caption.isEmpty());
    QTRY_VERIFY(!FrmPhoto::Existing());
    QCOMPARE(caption, QStringLiteral("D:\\road\\c3.gif"));
    QCOMPARE(MdlSelect::PhotoName, QStringLiteral("c3.gif"));
    const float tpp = platform::twipsPerPixel();
    QCOMPARE(inner, QSizeF((30 + 14) * tpp, 20 * tpp));
    QCOMPARE(corner, QPoint(0, 0));
    // Back on the same page.
    QTest::qWait(50);
    QCOMPARE(main->Caption(), QStringLiteral("Tarnavel（2 / 2）"));
    QCOMPARE(MdlSelect::PhotoName, QStringLiteral("c3.gif"));
    QVERIFY(slotShows(main, 2, 14, names[14]));
    QVERIFY(m_recorder->messages.isEmpty());
}

void TestRoad::clickBehindModalWindowIsNotTaken()
{
    BrowseFixture home;
    FrmSelect* main = startMainWindow();
    bool cancelled = false;
    int menuOpened = 0;
    whenModal([](QWidget* w) { return w == FrmFolder::Existing(); },
              [&](QWidget* w) {
                  // The main window's menu cannot be opened while the folder window is open.
                  QTest::keyClick(main->windowHandle(), Qt::Key_F, Qt::AltModifier);
                  QTest::qWait(50);
                  menuOpened = QApplication::activePopupWidget() ? 1 : 0;
                  clickThroughWindow(FrmFolder::Existing()->Com_Cancel.widget());
                  Q_UNUSED(w);
                  cancelled = true;
              });
    main->MnuFolder.action()->trigger();
    QTRY_VERIFY(cancelled);
    QTRY_VERIFY(!FrmFolder::Existing());
    QCOMPARE(menuOpened, 0);
    QCOMPARE(MdlSelect::ChosenFolder, QString());
    QCOMPARE(main->Caption(), QStringLiteral("写真選択"));
}

QTEST_MAIN(TestRoad)
#include "tst_road.moc"
