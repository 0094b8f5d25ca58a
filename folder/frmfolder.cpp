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
    Dir1.setOpenFailedHandler([this](const QString& path, const RuntimeError& e) { Dir1_OpenFailed(path, e); });
    Com_Ok.setClickHandler([this] { Com_Ok_Click(); });
    Com_Cancel.setClickHandler([this] { Com_Cancel_Click(); });
}

FrmFolder::~FrmFolder() = default;

namespace {

// The message for a folder that cannot be opened: the folder, then the runtime's reason.
void reportFolder(const QString& path, const RuntimeError& e)
{
    MsgBox(QStringLiteral("ﾌｫﾙﾀﾞ %1 を開けませんでした。\n%2").arg(path, e.description()), vbExclamation,
           AppTitle);
}

} // namespace

void FrmFolder::Form_Load()
{
    const QPointer<FrmFolder> self(this);
    Move((Screen::Width() - Width()) / 2, (Screen::Height() - Height()) / 2);
    try {
        Drive1.setDrive(QStringLiteral("C:"));
        Dir1.setPath(QStringLiteral("C:\\"));
    } catch (const RuntimeError&) {
        // C: cannot be read: said as for any unavailable drive; the user can pick another one.
        MsgBox(QStringLiteral("デバイスが無効です。"), vbExclamation, AppTitle);
        if (!self)
            return;
    }
    lbl_path.setCaption(Dir1.Path());
    ChkPhoto[0].setValue(narrowTo16(UseBmp));
    ChkPhoto[1].setValue(narrowTo16(UseJpg));
    ChkPhoto[2].setValue(narrowTo16(UseGif));
    ChosenFolder = QString();
    Dir1.widget()->setFocus();
}

void FrmFolder::Drive1_Change()
{
    const QPointer<FrmFolder> self(this);
    const QString drive = Drive1.Drive();
    try {
        Dir1.setPath(drive);
    } catch (const RuntimeError& e) {
        if (e.number() == ErrDeviceUnavailable)
            MsgBox(QStringLiteral("デバイスが無効です。"), vbExclamation, AppTitle);
        else
            reportFolder(drive.left(2).toUpper() + QLatin1Char('\\'), e);
        // Back to the drive of the folder shown so far (none when even C: could not be read at load).
        if (!self || !Loaded() || lbl_path.Caption().isEmpty())
            return;
        Drive1.setDrive(lbl_path.Caption().left(2));
    }
}

void FrmFolder::Dir1_Change() { lbl_path.setCaption(Dir1.Path()); }

void FrmFolder::Dir1_OpenFailed(const QString& path, const RuntimeError& error)
{
    const QPointer<FrmFolder> self(this);
    reportFolder(path, error);
    if (!self || !Loaded() || error.number() != ErrDeviceUnavailable)
        return;
    try {
        Drive1.setDrive(QStringLiteral("C:"));
    } catch (const RuntimeError&) {
        // No drive C: in the table: the list stays where it is.
    }
}

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
