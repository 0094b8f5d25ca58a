#include "browser/frmselect.h"

#include "app/appicon.h"
#include "platform/runtime.h"

#include <QMenuBar>

using namespace platform;

FrmSelect::FrmSelect()
    : Form(QStringLiteral("FrmSelect"), 3315, 2220),
      VScroll(client(), QStringLiteral("VScroll")),
      FraPhoto(client(), QStringLiteral("FraPhoto")),
      Img_Photo(std::make_unique<Image>(FraPhoto.container(), QStringLiteral("Img_Photo"))),
      Lbl_Photo(std::make_unique<Label>(FraPhoto.container(), QStringLiteral("Lbl_Photo"))),
      MnuFile(menuBar(), QStringLiteral("MnuFile"), QStringLiteral("ﾌｧｲﾙ(&F)")),
      MnuFolder(MnuFile, QStringLiteral("MnuFolder"), QStringLiteral("ﾌｫﾙﾀﾞ選択(&S)")),
      Sp1(MnuFile, QStringLiteral("Sp1"), QStringLiteral("-")),
      MnuClose(MnuFile, QStringLiteral("MnuClose"), QStringLiteral("終了(&X)")),
      m_build(*this)
{
    setCaption(QStringLiteral("写真選択"));
    setWindowIcon(app::appIcon());

    VScroll.Move(2430, 0, 255, 1695);
    VScroll.setEnabled(false);
    VScroll.setMin(0);
    VScroll.setMax(0);
    VScroll.setValue(0);
    VScroll.setSmallChange(1);
    VScroll.setLargeChange(1);
    VScroll.setTabStop(false);

    FraPhoto.Move(0, 0, 2325, 1815);

    Image& img = Img_Photo[0];
    img.Move(60, 60, 1800, 1200);
    img.setBorder(true);
    img.setVisible(false);

    Label& lbl = Lbl_Photo[0];
    lbl.Move(60, 1320, 1800, 270);
    lbl.setBorder(true);
    lbl.setBackColor(QColor(255, 255, 255));
    lbl.setAlignment(Qt::AlignCenter);
    lbl.setVisible(false);

    VScroll.setChangeHandler([this] { VScroll_Change(); });
    VScroll.takeWheelFrom(FraPhoto); // the wheel over the grid turns the pages
    Img_Photo.setClickHandler([this](std::int16_t index) { Img_Photo_Click(index); });
    MnuFolder.setClickHandler([this] { MnuFolder_Click(); });
    MnuClose.setClickHandler([this] { MnuClose_Click(); });
}

FrmSelect::~FrmSelect() = default;

void FrmSelect::Form_Load()
{
    Move((Screen::Width() - Width()) / 2, (Screen::Height() - Height()) / 2);
    VScroll.setEnabled(false);
    PageReady = -1;
}

void FrmSelect::MnuClose_Click()
{
    Unload();
    End();
}

void FrmSelect::Form_Unload(std::int16_t& /*Cancel*/)
{
    clearReference();
}
