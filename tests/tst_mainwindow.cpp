// The main window: start-up and its place, and the grid that follows its size. (Both ways to end are
// tried on the real program in tests/desktop, and in the middle of builds in tst_storms.)

#include "app/application.h"
#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "platform/runtime.h"
#include "platform/twips.h"
#include "support/browsefixture.h"

#include <QFontMetrics>
#include <QTest>

using namespace testsupport;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startsCentredThenEnlarged()
    {
        MdlSelect::PhotoFolder = QStringLiteral("left over");
        MdlSelect::UseJpg = 0;
        MainWindowTest t(false);
        FrmSelect* w = t.window;
        QVERIFY(w && w->isVisible() && !w->isModal());
        QCOMPARE(MdlSelect::PhotoFolder + QString::number(MdlSelect::UseJpg), QStringLiteral("1"));
        QCOMPARE(w->Caption(), QStringLiteral("写真選択"));
        // Its texts in a Japanese font: Windows's own UI fonts first there; the IPA fonts here and under Wine.
        QCOMPARE(app::japaneseFamilies().first(), onWindows ? "Yu Gothic UI" : "MS PGothic");
        QVERIFY(QFontMetrics(w->font()).inFontUcs4(U'写'));
        // The load handler centred the design size, to the pixel; the first resize then enlarged it to the
        // minimum size, to the right and downward, and made the first grid without a page.
        const float tpp = platform::twipsPerPixel();
        QVERIFY(qAbs(w->Left() - (platform::Screen::Width() - (3315 + w->Width() - w->ScaleWidth())) / 2) <= tpp);
        QVERIFY(qAbs(w->Top() - (platform::Screen::Height() - (2220 + w->Height() - w->ScaleHeight())) / 2) <= tpp);
        QCOMPARE(w->Width(), 6045.0f);
        QCOMPARE(w->ScaleHeight(), 3270.0f);
        QCOMPARE(w->PageSize, 6);
        QCOMPARE(w->PageReady, std::int16_t(-1));
    }

    void gridFollowsInnerSize_data()
    {
        QTest::addColumn<float>("scaleWidth"); // asked for; below the minimum, the minimum is kept
        QTest::addColumn<float>("scaleHeight");
        QTest::addColumn<QSize>("grid"); // columns x rows
        QTest::newRow("3 x 2 just below 4 x 3") << 7740.0f << 4815.0f << QSize(3, 2);
        QTest::newRow("5 x 4") << 9615.0f << 6420.0f << QSize(5, 4);
        QTest::newRow("below the minimum size") << 3000.0f << 2000.0f << QSize(3, 2);
    }

    void gridFollowsInnerSize()
    {
        QFETCH(float, scaleWidth);
        QFETCH(float, scaleHeight);
        QFETCH(QSize, grid);
        MainWindowTest t;
        FrmSelect* w = t.window;
        setInnerSize(w, scaleWidth, scaleHeight);
        QCOMPARE(w->Width(), std::max(6045.0f, scaleWidth + w->Width() - w->ScaleWidth()));
        QCOMPARE(w->ScaleHeight(), std::max(3270.0f, scaleHeight));
        QCOMPARE(QSize(MdlSelect::PhotoCols, MdlSelect::PhotoRows), grid);
        QCOMPARE(w->PageSize, grid.width() * grid.height());
        QCOMPARE(w->VScroll.Left() + 255, w->ScaleWidth());
        QCOMPARE(w->VScroll.Height(), w->ScaleHeight());
        // A rebuild before any folder: the empty list's only page, no cell shown, nothing busy.
        QCOMPARE(w->Caption(), QStringLiteral("Tarnavel（1 / 1）"));
        QVERIFY(w->FraPhoto.Visible() && !w->VScroll.Enabled());
        QCOMPARE(platform::Screen::MousePointer(), platform::vbDefault);
        for (int i = 0; i < w->PageSize; ++i)
            QVERIFY(!w->Img_Photo[i].Visible() && !w->Lbl_Photo[i].Visible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
