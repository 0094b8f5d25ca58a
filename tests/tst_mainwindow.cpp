// The main window: start-up, its design, both ways to end, and the grid that follows its size.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "platform/runtime.h"
#include "platform/twips.h"
#include "support/browsefixture.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>

using namespace testsupport;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { m_recorder = std::make_unique<RuntimeRecorder>(); }
    void cleanup()
    {
        closeMainWindow();
        m_recorder.reset();
    }

    void startUpDefaults();
    void designAtStart();
    void menu();
    void centredByDesignSizeThenEnlarged();
    void exitCommandEndsAtOnce();
    void closeBoxEndsAsNoWindowIsLeft();

    void minimumSize();
    void gridFollowsInnerSize_data();
    void gridFollowsInnerSize();
    void cellsGrowAndAreReused();
    void minimisedWindowChangesNothing();
    void resizeBeforeAnyFolderRebuilds();

private:
    std::unique_ptr<RuntimeRecorder> m_recorder;
};

void TestMainWindow::startUpDefaults()
{
    MdlSelect::PhotoFolder = QStringLiteral("left over");
    MdlSelect::UseJpg = 0;
    FrmSelect* w = startMainWindow();
    QVERIFY(w);
    QCOMPARE(MdlSelect::AppTitle, QStringLiteral("Tarnavel"));
    QCOMPARE(MdlSelect::PhotoCount, 0);
    QCOMPARE(MdlSelect::PhotoFolder, QString());
    QCOMPARE(MdlSelect::ChosenFolder, QString());
    QCOMPARE(MdlSelect::PhotoName, QString());
    QCOMPARE(MdlSelect::UseBmp, 1);
    QCOMPARE(MdlSelect::UseJpg, 1);
    QCOMPARE(MdlSelect::UseGif, 1);
    // The first resize replaced the start values of the grid.
    QCOMPARE(MdlSelect::PhotoCols, 3);
    QCOMPARE(MdlSelect::PhotoRows, 2);
    QCOMPARE(w->PageSize, 6);
    QCOMPARE(w->ShownPageSize, 6);
    QCOMPARE(w->LoadedCount, 6);
    QCOMPARE(w->PageReady, std::int16_t(-1));
    QVERIFY(w->PhotoNames.isEmpty());
    QVERIFY(w->isVisible());
    QVERIFY(!w->isModal());
}

void TestMainWindow::designAtStart()
{
    FrmSelect* w = startMainWindow();
    QCOMPARE(w->objectName(), QStringLiteral("FrmSelect"));
    QCOMPARE(w->Caption(), QStringLiteral("写真選択"));
    QVERIFY(!w->windowIcon().isNull());
    QVERIFY(w->windowIcon().availableSizes().contains(QSize(32, 32)));
    QVERIFY(w->windowIcon().availableSizes().contains(QSize(16, 16)));

    QCOMPARE(w->VScroll.Name(), QStringLiteral("VScroll"));
    QVERIFY(!w->VScroll.Enabled());
    QCOMPARE(w->VScroll.Min(), std::int16_t(0));
    QCOMPARE(w->VScroll.Max(), std::int16_t(0));
    QCOMPARE(w->VScroll.Value(), std::int16_t(0));
    QCOMPARE(w->VScroll.SmallChange(), std::int16_t(1));
    QCOMPARE(w->VScroll.LargeChange(), std::int16_t(1));
    QCOMPARE(w->VScroll.widget()->focusPolicy(), Qt::NoFocus);
    QCOMPARE(w->VScroll.Top(), 0.0f);
    QCOMPARE(w->VScroll.Width(), 255.0f);

    QCOMPARE(w->FraPhoto.Name(), QStringLiteral("FraPhoto"));
    QVERIFY(w->FraPhoto.Visible());
    QCOMPARE(w->FraPhoto.Left(), 0.0f);

    for (int i = 0; i < w->LoadedCount; ++i) {
        QCOMPARE(w->Img_Photo[i].Name(), QStringLiteral("Img_Photo"));
        QCOMPARE(w->Img_Photo[i].widget()->property("index").toInt(), i);
        QVERIFY(!w->Img_Photo[i].Visible());
        QVERIFY(!w->Img_Photo[i].hasPicture());
        QCOMPARE(w->Img_Photo[i].Width(), 1800.0f);
        QCOMPARE(w->Img_Photo[i].Height(), 1200.0f);
        QCOMPARE(w->Lbl_Photo[i].widget()->property("index").toInt(), i);
        QVERIFY(!w->Lbl_Photo[i].Visible());
        QCOMPARE(w->Lbl_Photo[i].Caption(), QString());
        QCOMPARE(w->Lbl_Photo[i].Width(), 1800.0f);
        QCOMPARE(w->Lbl_Photo[i].Height(), 270.0f);
        QCOMPARE(w->Lbl_Photo[i].widget()->palette().color(QPalette::Window), QColor(255, 255, 255));
        QCOMPARE(w->Img_Photo[i].widget()->parentWidget(), w->FraPhoto.widget());
    }
    QCOMPARE(w->Img_Photo[0].Left(), 60.0f);
    QCOMPARE(w->Img_Photo[0].Top(), 60.0f);
    QCOMPARE(w->Lbl_Photo[0].Top(), 1320.0f);
    QCOMPARE(static_cast<QLabel*>(w->Lbl_Photo[0].widget())->alignment(), Qt::AlignCenter);
}

void TestMainWindow::menu()
{
    FrmSelect* w = startMainWindow();
    const QList<QAction*> titles = w->menuBar()->actions();
    QCOMPARE(titles.size(), 1);
    QCOMPARE(titles[0]->text(), QStringLiteral("ﾌｧｲﾙ(&F)"));
    QCOMPARE(titles[0]->objectName(), QStringLiteral("MnuFile"));
    const QList<QAction*> items = titles[0]->menu()->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0]->objectName(), QStringLiteral("MnuFolder"));
    QCOMPARE(items[0]->text(), QStringLiteral("ﾌｫﾙﾀﾞ選択(&S)"));
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[1]->objectName(), QStringLiteral("Sp1"));
    QCOMPARE(items[2]->objectName(), QStringLiteral("MnuClose"));
    QCOMPARE(items[2]->text(), QStringLiteral("終了(&X)"));
    for (QAction* a : items) {
        QVERIFY(a->isEnabled());
        QVERIFY(a->isVisible());
        QVERIFY(!a->isChecked());
        QVERIFY(a->shortcut().isEmpty());
    }
}

void TestMainWindow::centredByDesignSizeThenEnlarged()
{
    FrmSelect* w = startMainWindow();
    const float frameWidth = w->Width() - w->ScaleWidth();
    const float frameHeight = w->Height() - w->ScaleHeight();
    const float tpp = platform::twipsPerPixel();
    // The load handler centred the design size, to the pixel.
    const float left = (platform::Screen::Width() - (3315 + frameWidth)) / 2;
    const float top = (platform::Screen::Height() - (2220 + frameHeight)) / 2;
    QVERIFY(qAbs(w->Left() - left) <= tpp);
    QVERIFY(qAbs(w->Top() - top) <= tpp);
    // The first resize enlarged it to the minimum size, to the right and downward.
    QCOMPARE(w->Width(), 6045.0f);
    QCOMPARE(w->ScaleHeight(), 3270.0f);
    QCOMPARE(w->Caption(), QStringLiteral("写真選択"));
}

void TestMainWindow::exitCommandEndsAtOnce()
{
    QPointer<FrmSelect> w = startMainWindow();
    w->MnuClose.action()->trigger();
    QTRY_COMPARE(m_recorder->ends, QList<int>{0});
    QVERIFY(!w || !w->Loaded());
    QVERIFY(!FrmSelect::Existing());
}

void TestMainWindow::closeBoxEndsAsNoWindowIsLeft()
{
    QPointer<FrmSelect> w = startMainWindow();
    w->close();
    QCOMPARE(m_recorder->noFormsLeft, 1);
    QVERIFY(m_recorder->ends.isEmpty());
    QVERIFY(!FrmSelect::Existing());
    QTRY_VERIFY(w.isNull());
}

void TestMainWindow::minimumSize()
{
    FrmSelect* w = startMainWindow();
    setInnerSize(w, 8000, 5000);
    w->setWidth(5000);
    QCOMPARE(w->Width(), 6045.0f);
    const float outer = w->Height();
    w->setHeight(w->Height() - (w->ScaleHeight() - 3000)); // inner height 3000
    QCOMPARE(w->ScaleHeight(), 3270.0f);
    QVERIFY(w->Height() < outer);
}

void TestMainWindow::gridFollowsInnerSize_data()
{
    QTest::addColumn<float>("scaleWidth");
    QTest::addColumn<float>("scaleHeight");
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("rows");
    QTest::newRow("4 x 3") << 7755.0f << 4830.0f << 4 << 3;
    QTest::newRow("3 x 2 just below") << 7740.0f << 4815.0f << 3 << 2;
    QTest::newRow("5 x 4") << 9615.0f << 6420.0f << 5 << 4;
}

void TestMainWindow::gridFollowsInnerSize()
{
    QFETCH(float, scaleWidth);
    QFETCH(float, scaleHeight);
    QFETCH(int, cols);
    QFETCH(int, rows);
    FrmSelect* w = startMainWindow();
    setInnerSize(w, scaleWidth, scaleHeight);
    QCOMPARE(w->ScaleWidth(), scaleWidth);
    QCOMPARE(MdlSelect::PhotoCols, cols);
    QCOMPARE(MdlSelect::PhotoRows, rows);
    QCOMPARE(w->PageSize, cols * rows);
    QCOMPARE(w->FraPhoto.Top(), 0.0f);
    QCOMPARE(w->FraPhoto.Width(), scaleWidth - 300);
    QCOMPARE(w->FraPhoto.Height(), float(rows * 1590 + 60));
    QCOMPARE(w->VScroll.Left(), scaleWidth - 255);
    QCOMPARE(w->VScroll.Height(), scaleHeight);
    if (w->PageSize == 6)
        return; // the page size of the first resize: no rebuild, so no cells placed yet
    // The cells stand row by row, each label 60 below its thumbnail.
    for (int i = 0; i < w->PageSize; ++i) {
        QCOMPARE(w->Img_Photo[i].Left(), float((i % cols) * 1860 + 60));
        QCOMPARE(w->Img_Photo[i].Top(), float((i / cols) * 1590 + 60));
        QCOMPARE(w->Lbl_Photo[i].Left(), w->Img_Photo[i].Left());
        QCOMPARE(w->Lbl_Photo[i].Top(), w->Img_Photo[i].Top() + 1260);
        QVERIFY(w->Img_Photo[i].widget()->geometry().right() < w->FraPhoto.widget()->width());
    }
}

void TestMainWindow::cellsGrowAndAreReused()
{
    BrowseFixture drive;
    FrmSelect* w = startMainWindow();
    setInnerSize(w, 7755, 4830);
    browse(w, drive.makeBmpFolder(QStringLiteral("forty"), 40));
    QCOMPARE(w->LoadedCount, 12);
    setInnerSize(w, 9615, 6420);
    QCOMPARE(w->PageSize, 20);
    QCOMPARE(w->LoadedCount, 20);
    QCOMPARE(w->Img_Photo.Count(), 20);
    QCOMPARE(w->Lbl_Photo.Count(), 20);
    for (int i = 0; i < 20; ++i)
        QVERIFY2(slotShows(w, i, i, QStringLiteral("p%1.bmp").arg(i, 3, 10, QChar('0'))), qPrintable(QString::number(i)));
    setInnerSize(w, 7755, 4830);
    QCOMPARE(w->PageSize, 12);
    QCOMPARE(w->Img_Photo.Count(), 20); // none removed
    for (int i = 12; i < 20; ++i) {     // and none left showing a stale thumbnail
        QVERIFY(!w->Img_Photo[i].Visible());
        QVERIFY(!w->Img_Photo[i].hasPicture());
        QVERIFY(!w->Lbl_Photo[i].Visible());
    }
    setInnerSize(w, 9615, 6420);
    QCOMPARE(w->Img_Photo.Count(), 20); // none created again
    QVERIFY(slotShows(w, 19, 19, QStringLiteral("p019.bmp")));
}

void TestMainWindow::minimisedWindowChangesNothing()
{
    FrmSelect* w = startMainWindow();
    setInnerSize(w, 7755, 4830);
    w->setWindowStateNumber(1);
    QTRY_COMPARE(w->WindowState(), 1);
    QTest::qWait(20);
    QCOMPARE(w->PageSize, 12);
    QCOMPARE(MdlSelect::PhotoCols, 4);
    w->setWindowStateNumber(0);
    QTRY_COMPARE(w->WindowState(), 0);
    QCOMPARE(w->PageSize, 12);
}

void TestMainWindow::resizeBeforeAnyFolderRebuilds()
{
    FrmSelect* w = startMainWindow();
    setInnerSize(w, 7755, 4830);
    QCOMPARE(w->ShownPageSize, 12);
    QCOMPARE(w->Caption(), QStringLiteral("Tarnavel（1 / 1）"));
    for (int i = 0; i < w->LoadedCount; ++i)
        QVERIFY(!w->Img_Photo[i].Visible() && !w->Lbl_Photo[i].Visible());
    QVERIFY(w->FraPhoto.Visible());
    QCOMPARE(w->PageReady, std::int16_t(-1));
    QCOMPARE(platform::Screen::MousePointer(), platform::vbDefault);
    QVERIFY(!w->VScroll.Enabled());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
