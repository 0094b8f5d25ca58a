#include "folder/frmfolder.h"

#include "app/application.h"
#include "app/mdlselect.h"
#include "platform/errors.h"
#include "platform/runtime.h"

#include <QFont>

using namespace platform;
using namespace MdlSelect;

FrmFolder::FrmFolder()
    : Form(QStringLiteral("FrmFolder"), 5040, 4455),
      Dir1(client(), QStringLiteral("Dir1")),
      Drive1(client(), QStringLiteral("Drive1")),
      lbl_path(client(), QStringLiteral("lbl_path")),
      Com_Cancel(client(), QStringLiteral("Com_Cancel"), QStringLiteral("ｷｬﾝｾﾙ")),
      Com_Ok(client(), QStringLiteral("Com_Ok"), QStringLiteral("OK")),
      ChkPhoto{{{client(), QStringLiteral("ChkPhoto"), QStringLiteral("Bmp")},
                {client(), QStringLiteral("ChkPhoto"), QStringLiteral("Jpg")},
                {client(), QStringLiteral("ChkPhoto"), QStringLiteral("Gif")}}}
{
    setCaption(QStringLiteral("ﾌｫﾙﾀﾞ選択"));

    Dir1.Move(60, 420, 4875, 2610);
    Drive1.Move(60, 60, 2115, 300);

    lbl_path.Move(60, 3120, 4875, 315);
    lbl_path.setCaption(QString());
    lbl_path.setBackColor(QColor(255, 255, 255));
    QFont font;
    font.setFamilies(app::japaneseFamilies(QStringLiteral("ＭＳ Ｐゴシック")));
    font.setPointSizeF(11.25);
    font.setWeight(QFont::Normal);
    lbl_path.setFont(font);

    Com_Cancel.Move(3750, 4050, 1215, 315);
    Com_Ok.Move(2490, 4050, 1215, 315);

    const float checkLeft[3] = {90, 1080, 2070};
    for (std::size_t i = 0; i < ChkPhoto.size(); ++i) {
        ChkPhoto[i].setIndex(std::int16_t(i));
        ChkPhoto[i].Move(checkLeft[i], 3510, 915, 345);
    }

    platform::setTabOrder({&Dir1, &Drive1, &lbl_path, &Com_Cancel, &Com_Ok, &ChkPhoto[0], &ChkPhoto[1], &ChkPhoto[2]});
    Dir1.widget()->setFocus();

    Drive1.setChangeHandler([this] { Drive1_Change(); });
    Dir1.setChangeHandler([this] { Dir1_Change(); });
    Com_Ok.setClickHandler([this] { Com_Ok_Click(); });
    Com_Cancel.setClickHandler([this] { Com_Cancel_Click(); });
}

FrmFolder::~FrmFolder() = default;

void FrmFolder::Form_Load()
{
    Move((Screen::Width() - Width()) / 2, (Screen::Height() - Height()) / 2);
    Drive1.setDrive(QStringLiteral("C:"));
    Dir1.setPath(QStringLiteral("C:\\"));
    lbl_path.setCaption(Dir1.Path());
    ChkPhoto[0].setValue(narrowTo16(UseBmp));
    ChkPhoto[1].setValue(narrowTo16(UseJpg));
    ChkPhoto[2].setValue(narrowTo16(UseGif));
    ChosenFolder = QString();
    Dir1.widget()->setFocus();
}

void FrmFolder::Drive1_Change()
{
    try {
        Dir1.setPath(Drive1.Drive());
    } catch (const RuntimeError& e) {
        if (e.number() != ErrDeviceUnavailable)
            throw;
        MsgBox(QStringLiteral("デバイスが無効です。"), vbExclamation, AppTitle);
        Drive1.setDrive(lbl_path.Caption().left(2));
    }
}

void FrmFolder::Dir1_Change() { lbl_path.setCaption(Dir1.Path()); }

void FrmFolder::Com_Ok_Click()
{
    ChosenFolder = lbl_path.Caption();
    UseBmp = ChkPhoto[0].Value();
    UseJpg = ChkPhoto[1].Value();
    UseGif = ChkPhoto[2].Value();
    Unload();
}

void FrmFolder::Com_Cancel_Click() { Unload(); }

void FrmFolder::Form_Unload(std::int16_t& /*Cancel*/) { clearReference(); }
