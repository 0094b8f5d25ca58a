// The main road from end to end, driven as a user drives it: keys and clicks go through the window
// system, so a window behind a modal one does not take them.

#include "app/mdlselect.h"
#include "folder/frmfolder.h"
#include "platform/drives.h"
#include "platform/twips.h"
#include "support/browsefixture.h"
#include "support/picturefiles.h"
#include "viewer/frmphoto.h"

#include <QListWidget>
#include <QTemporaryDir>

using namespace testsupport;

class TestRoad : public QObject {
    Q_OBJECT
private slots:
    void folderToPageToViewerAndBack()
    {
        MainWindowTest t;
        FrmSelect* main = t.window;
        QTemporaryDir other;
        platform::setDriveTable({{QChar('C'), t.drive.root(), QStringLiteral("ホーム")}, {QChar('D'), other.path(), {}}});
        QDir(other.path()).mkpath("road");
        QStringList names;
        for (int n = 0; n < 16; ++n) {
            const QString name = QStringLiteral("%1%2.%3").arg(QChar('a' + n / 6)).arg(n % 6).arg(n < 6 ? "bmp" : n < 12 ? "jpg" : "gif");
            const QByteArray bytes = n < 6 ? bmpBytes(200 + n, 20, pictureColour(n))
                                     : n < 12 ? jpegBytes(200 + n, 20, pictureColour(n)) : gifBytes(200 + n, 20, pictureColour(n));
            writeFile(other.path() + "/road/" + name, name == "b2.jpg" ? QByteArray("not a picture") : bytes);
            names << name;
        }

        // The folder window, driven while it runs modally.
        bool chosen = false;
        whenModal([](QWidget* w) { return w == FrmFolder::Existing(); },
                  [&](QWidget* w) {
                      FrmFolder* f = FrmFolder::Existing();
                      QCOMPARE(f->lbl_path.Caption(), QStringLiteral("C:\\"));
                      QTRY_VERIFY(f->Dir1.widget()->hasFocus()); // once a window manager has activated it
                      QTest::keyClick(w->windowHandle(), Qt::Key_Tab);  // to the drive list
                      QTest::keyClick(w->windowHandle(), Qt::Key_Down); // the next drive, D:
                      QTRY_COMPARE(f->lbl_path.Caption(), QStringLiteral("D:\\"));
                      auto* list = static_cast<QListWidget*>(f->Dir1.widget());
                      const QList<QListWidgetItem*> road = list->findItems("road", Qt::MatchExactly);
                      QCOMPARE(road.size(), 1);
                      QTest::mouseDClick(w->windowHandle(), Qt::LeftButton, {}, list->viewport()->mapTo(w, list->visualItemRect(road[0]).center()));
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
        QTRY_VERIFY(main->Caption() == QStringLiteral("Tarnavel（1 / 2）") && main->PageReady == -1);
        QCOMPARE(MdlSelect::PhotoFolder, QStringLiteral("D:\\road"));
        QCOMPARE(main->PhotoNames, names);
        for (int i = 0; i < 12; ++i) // the unreadable file: an empty picture under its own name
            QVERIFY2(names[i] == "b2.jpg" ? main->Img_Photo[i].Visible() && !main->Img_Photo[i].hasPicture() &&
                                                main->Lbl_Photo[i].Caption() == names[i]
                                          : slotShows(main, i, i, names[i]),
                     qPrintable(names[i]));

        // The scroll bar's down arrow: the second page.
        QWidget* bar = main->VScroll.widget();
        clickThroughWindow(bar, QPoint(bar->width() / 2, bar->height() - 4));
        QTRY_COMPARE(main->Caption(), QStringLiteral("Tarnavel（2 / 2）"));
        QVERIFY(slotShows(main, 3, 15, names[15]) && !main->Img_Photo[4].Visible());

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
        QTRY_VERIFY(!caption.isEmpty() && !FrmPhoto::Existing());
        QCOMPARE(caption, QStringLiteral("D:\\road\\c2.gif"));
        QCOMPARE(inner, QSizeF(200 + 14, 20) * platform::twipsPerPixel());
        QCOMPARE(corner, QPoint(0, 0));
        // Back on the same page; the click behind the viewer opened nothing.
        QCOMPARE(main->Caption() + MdlSelect::PhotoName, QStringLiteral("Tarnavel（2 / 2）c2.gif"));
        QVERIFY(slotShows(main, 2, 14, names[14]) && t.recorder.messages.isEmpty());

        // The end, from the File menu.
        QTest::keyClick(main->windowHandle(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget()->windowHandle(), Qt::Key_X);
        QTRY_COMPARE(t.recorder.ends, QList<int>{0});
    }
};

TARNAVEL_TEST_MAIN(TestRoad)
#include "tst_road.moc"
