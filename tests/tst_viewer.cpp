// The photo viewer, and the main road through the window system. The viewer: its window fitted to the
// picture and the screen's work area, a larger picture scrolled to every corner or fitted whole with F,
// the clicked photo's path in its caption, an unreadable picture told; stepping through the folder; the
// thumbnail and the viewer crisp on a scaled screen (this executable runs again with QT_SCALE_FACTOR).

#include "app/mdlselect.h"
#include "folder/frmfolder.h"
#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/twips.h"
#include "support/browsefixture.h"
#include "support/picturefiles.h"
#include "viewer/frmphoto.h"
#include "viewer/viewerfit.h"

#include <QListWidget>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtMath>

using namespace testsupport;

namespace {
// A picture whose every pixel tells where it is.
QImage positionImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x & 255, y & 255, ((x >> 8) << 4) | (y >> 8)));
    return image;
}

qreal ratio() { return QGuiApplication::primaryScreen()->devicePixelRatio(); }

// Whether the viewport's top-left device pixel is the file's pixel at the scroll position.
bool topLeftMatches(QScrollArea* box, const QImage& file)
{
    const QPointF at = QPointF(box->horizontalScrollBar()->value(), box->verticalScrollBar()->value()) * ratio();
    const QColor seen = box->viewport()->grab().toImage().pixelColor(0, 0);
    return seen == file.pixelColor(qFloor(at.x()), qFloor(at.y())) || seen == file.pixelColor(qCeil(at.x()), qCeil(at.y()));
}
} // namespace

class TestViewer : public QObject {
    Q_OBJECT
private slots:
    void viewerOnPicture_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QSize>("overRoom"); // the picture's logical size less the room a window has
        QTest::addColumn<QString>("caption"); // empty: the picture cannot be read
        QTest::newRow("smaller, in a folder") << "v" << QSize(-200, -150) << "C:\\v\\photo.bmp";
        QTest::newRow("smaller, at the drive's root") << "" << QSize(-200, -150) << "C:\\\\photo.bmp";
        QTest::newRow("as large as the work area") << "v" << QSize(0, 0) << "C:\\v\\photo.bmp";
        QTest::newRow("wider") << "v" << QSize(300, -100) << "C:\\v\\photo.bmp";
        QTest::newRow("larger both ways") << "v" << QSize(500, 400) << "C:\\v\\photo.bmp";
        QTest::newRow("unreadable") << "u" << QSize(-200, -150) << "";
    }
    void viewerOnPicture()
    {
        QFETCH(QString, folder);
        QFETCH(QSize, overRoom);
        QFETCH(QString, caption);
        MainWindowTest t;
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize picture = (area.size().shrunkBy(t.window->frameMargins()) + overRoom) * ratio();
        const QImage file = positionImage(picture);
        const QString path = folder.isEmpty() ? QStringLiteral("C:\\") : t.drive.makeFolder(folder);
        t.drive.writeBytes(path, QStringLiteral("photo.bmp"), caption.isEmpty() ? QByteArray("not a picture") : bmpOf(file));
        browse(t.window, path);
        // The cell's picture: the cell's logical size (the twips layout) in device pixels, drawn one to
        // one, within two grey levels on average of a reference downscale.
        const QImage shown = t.window->Img_Photo[0].pictureImage(),
                     reference = file.scaled(QSize(qRound(118 * ratio()), qRound(78 * ratio())), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        qint64 difference = 0;
        for (int i = 0, w = reference.width(); !caption.isEmpty() && i < w * reference.height(); ++i)
            difference += qAbs(qGray(shown.pixel(i % w, i / w)) - qGray(reference.pixel(i % w, i / w)));
        QVERIFY(caption.isEmpty() || (shown.size() == reference.size() && shown.devicePixelRatio() == ratio() && difference <= 2 * reference.width() * reference.height()));

        bool seen = false;
        whenModal([](QWidget* w) { return qobject_cast<FrmPhoto*>(w) != nullptr; }, [&](QWidget* w) {
            auto* viewer = static_cast<FrmPhoto*>(w);
            QCOMPARE(viewer->Caption(), caption);
            QVERIFY(viewer->frameGeometry().united(area) == area && viewer->frameGeometry().topLeft() == area.topLeft());
            auto* box = static_cast<QScrollArea*>(viewer->PicPhoto.widget());
            QCOMPARE(box->geometry(), viewer->client()->rect());
            // One picture pixel per device pixel: the inner area is the picture when it fits.
            const QSize shown(qCeil(picture.width() / ratio()), qCeil(picture.height() / ratio()));
            QVERIFY(overRoom.width() > 0 || overRoom.height() > 0 || viewer->client()->size() == shown);
            // End, a drag and Home reach every corner of the picture.
            QScrollBar *across = box->horizontalScrollBar(), *down = box->verticalScrollBar();
            const auto toEnd = [&] { return QSize(across->value(), down->value()) + box->viewport()->size() - shown; };
            QTest::keyClick(box, Qt::Key_End);
            QTRY_COMPARE(toEnd(), QSize(0, 0)); // the bars are shown by a queued call, which may come after this
            QVERIFY(topLeftMatches(box, file));
            QTest::mousePress(box->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
            QTest::mouseMove(box->viewport(), QPoint(80, 70));
            QTest::mouseRelease(box->viewport(), Qt::LeftButton, {}, QPoint(80, 70));
            QCOMPARE(toEnd(), QSize(-std::min(30, across->maximum()), -std::min(20, down->maximum())));
            QTest::keyClick(box, Qt::Key_Home);
            QVERIFY(across->value() + down->value() == 0 && topLeftMatches(box, file));
            // F: the whole picture fitted into the window, its aspect kept, no bars; F again: its own size.
            const QSize ownSize = viewer->client()->size();
            const QSizeF fitted = viewerfit::fittedSize(shown, area.size().shrunkBy(viewer->frameMargins()));
            for (const bool on : {true, false}) {
                QTest::keyClick(box, Qt::Key_F);
                settle();
                const QSize now = viewer->client()->size();
                QVERIFY(FrmPhoto::Fitted() == on && (!on || across->maximum() + down->maximum() == 0));
                QVERIFY2(on ? qAbs(now.width() - fitted.width()) <= 1 && qAbs(now.height() - fitted.height()) <= 1 : now == ownSize,
                         qPrintable(QStringLiteral("%1 x %2").arg(now.width()).arg(now.height())));
            }
            viewer->close(); // its close box
        }, &seen);
        t.window->Img_Photo_Click(0);
        QTRY_COMPARE(FrmPhoto::Existing(), nullptr);
        QCOMPARE(seen, !caption.isEmpty());
        QCOMPARE(t.window->Caption(), QStringLiteral("Tarnavel（1 / 1）")); // the same page
        const QString told = "Tarnavel|C:\\u\\photo.bmp を表示できません。\n" + platform::errorText(platform::ErrInvalidPicture);
        QVERIFY(caption.isEmpty() ? t.recorder.messages.size() == 1 && t.recorder.messages[0].startsWith(told) : t.recorder.messages.isEmpty());
    }

    void stepping_data()
    {
        QTest::addColumn<QList<int>>("mainKeys"); // in the main window, the last opening the viewer
        QTest::addColumn<QList<int>>("keys");     // in the viewer, before Escape
        QTest::addColumn<int>("last");            // the photo shown last, of 26 in pages of 12
        QTest::addColumn<int>("told");            // p013 cannot be read
        using K = QList<int>;
        const K eleventh{Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Return};
        QTest::newRow("enter opens the selected photo") << K{Qt::Key_Right, Qt::Key_Right, Qt::Key_Return} << K{} << 2 << 0;
        QTest::newRow("space across the page end") << eleventh << K{Qt::Key_Space} << 12 << 0;
        QTest::newRow("backspace across the page end") << K{Qt::Key_PageDown, Qt::Key_Return} << K{Qt::Key_Backspace} << 11 << 0;
        QTest::newRow("over an unreadable photo") << K{Qt::Key_PageDown, Qt::Key_Return} << K{Qt::Key_Space, Qt::Key_Space} << 14 << 1;
        QTest::newRow("left and right on a picture that fits") << K{Qt::Key_Space} << K{Qt::Key_Right, Qt::Key_Left, Qt::Key_Left} << 0 << 0;
        QTest::newRow("space at the last photo") << K{Qt::Key_End, Qt::Key_Return} << K{Qt::Key_Space} << 25 << 0;
    }
    // Stepping through the folder in the viewer, and the main window afterwards on the page of the photo
    // shown last, with that photo selected.
    void stepping()
    {
        QFETCH(QList<int>, mainKeys);
        QFETCH(QList<int>, keys);
        QFETCH(int, last);
        MainWindowTest t;
        const QString folder = t.drive.makeBmpFolder(QStringLiteral("s"), 26);
        t.drive.writeBytes(folder, QStringLiteral("p013.bmp"), "not a picture");
        browse(t.window, folder);
        bool seen = false;
        whenModal([](QWidget* w) { return qobject_cast<FrmPhoto*>(w) != nullptr; }, [&](QWidget* w) {
            for (const int key : keys + QList<int>{Qt::Key_Escape})
                QTest::keyClick(static_cast<FrmPhoto*>(w)->PicPhoto.widget(), Qt::Key(key)), settle();
            QVERIFY(!FrmPhoto::Existing()); // Escape closed it
        }, &seen);
        for (const int key : mainKeys)
            QTest::keyClick(t.window, Qt::Key(key)), settle();
        QTRY_VERIFY(seen && !FrmPhoto::Existing());
        QCOMPARE(MdlSelect::PhotoName, QStringLiteral("p%1.bmp").arg(last, 3, 10, QChar('0')));
        QTEST(int(t.recorder.messages.size()), "told");
        QTRY_COMPARE(t.window->Caption(), QStringLiteral("Tarnavel（%1 / 3）").arg(last / 12 + 1));
        QCOMPARE(t.window->SelectedCell(), last % 12);
    }
};

// The main road from end to end, driven as a user drives it: keys and clicks go through the window
// system, so a window behind a modal one does not take them.
class TestRoad : public QObject {
    Q_OBJECT
    // A menu item chosen with the keys: Alt+F, then its letter.
    static void menuKeys(FrmSelect* main, Qt::Key item)
    {
        QTest::keyClick(main->windowHandle(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget()->windowHandle(), item);
    }
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
            names << QStringLiteral("%1%2.%3").arg(QChar('a' + n / 6)).arg(n % 6).arg(n < 6 ? "bmp" : n < 12 ? "jpg" : "gif");
            const QByteArray bytes = n < 6 ? bmpBytes(200 + n, 20, pictureColour(n)) : n < 12 ? jpegBytes(200 + n, 20, pictureColour(n)) : gifBytes(200 + n, 20, pictureColour(n));
            writeFile(other.path() + "/road/" + names.last(), names.last() == "b2.jpg" ? QByteArray("not a picture") : bytes);
        }
        // The folder window, driven while it runs modally: Tab to the drive list, the next drive (D:), a
        // double click on the folder, the Jpg box off and on again, OK.
        bool chosen = false;
        whenModal([](QWidget* w) { return w == FrmFolder::Existing(); }, [&](QWidget* w) {
            FrmFolder* f = FrmFolder::Existing();
            QCOMPARE(f->lbl_path.Caption(), QStringLiteral("C:\\"));
            QTRY_VERIFY(f->Dir1.widget()->hasFocus()); // once a window manager has activated it
            QTest::keyClick(w->windowHandle(), Qt::Key_Tab);
            QTest::keyClick(w->windowHandle(), Qt::Key_Down);
            QTRY_COMPARE(f->lbl_path.Caption(), QStringLiteral("D:\\"));
            auto* list = static_cast<QListWidget*>(f->Dir1.widget());
            const QList<QListWidgetItem*> road = list->findItems("road", Qt::MatchExactly);
            QCOMPARE(road.size(), 1);
            QTest::mouseDClick(w->windowHandle(), Qt::LeftButton, {}, list->viewport()->mapTo(w, list->visualItemRect(road[0]).center()));
            QTRY_COMPARE(f->lbl_path.Caption(), QStringLiteral("D:\\road"));
            for (int i : {1, 1})
                clickThroughWindow(f->ChkPhoto[i].widget(), QPoint(6, f->ChkPhoto[i].widget()->height() / 2));
            QCOMPARE(f->ChkPhoto[1].Value(), std::int16_t(1));
            clickThroughWindow(f->Com_Ok.widget());
            chosen = true;
        });
        menuKeys(main, Qt::Key_S);
        QTRY_VERIFY(chosen && main->Caption() == QStringLiteral("Tarnavel（1 / 2）") && main->PageReady == -1);
        QCOMPARE(MdlSelect::PhotoFolder, QStringLiteral("D:\\road"));
        QCOMPARE(main->PhotoNames, names);
        for (int i = 0; i < 12; ++i) // the unreadable file: an empty picture under its own name
            QVERIFY2(names[i] == "b2.jpg" ? main->Img_Photo[i].Visible() && !main->Img_Photo[i].hasPicture() && main->Lbl_Photo[i].Caption() == names[i]
                                          : slotShows(main, i, i, names[i]), qPrintable(names[i]));
        // The scroll bar's down arrow: the second page.
        QWidget* bar = main->VScroll.widget();
        clickThroughWindow(bar, QPoint(bar->width() / 2, bar->height() - 4));
        QTRY_COMPARE(main->Caption(), QStringLiteral("Tarnavel（2 / 2）"));
        QVERIFY(slotShows(main, 3, 15, names[15]) && !main->Img_Photo[4].Visible());
        // A click on a thumbnail opens the viewer in the screen's corner; a click behind it is not taken.
        QString seen;
        whenModal([](QWidget* w) { return w == FrmPhoto::Existing(); }, [&](QWidget* w) {
            seen = QStringLiteral("%1 at %2,%3").arg(w->windowTitle()).arg(w->frameGeometry().x()).arg(w->frameGeometry().y());
            clickThroughWindow(main->Img_Photo[0].widget());
            w->close(); // the close box
        });
        clickThroughWindow(main->Img_Photo[2].widget());
        QTRY_VERIFY(!seen.isEmpty() && !FrmPhoto::Existing());
        QCOMPARE(seen, QStringLiteral("D:\\road\\c2.gif at 0,0"));
        // Back on the same page; the click behind the viewer opened nothing. Then the end, from the menu.
        QCOMPARE(main->Caption() + MdlSelect::PhotoName, QStringLiteral("Tarnavel（2 / 2）c2.gif"));
        QVERIFY(slotShows(main, 2, 14, names[14]) && t.recorder.messages.isEmpty());
        menuKeys(main, Qt::Key_X);
        QTRY_COMPARE(t.recorder.ends, QList<int>{0});
    }
};

TARNAVEL_TEST_MAIN(TestViewer, TestRoad)
#include "tst_viewer.moc"
