#include "app/mdlselect.h"

#include "browser/frmselect.h"

namespace MdlSelect {

QString AppTitle;
std::int32_t PhotoCols = 0;
std::int32_t PhotoRows = 0;
std::int32_t PhotoCount = 0;
QString PhotoFolder;
QString ChosenFolder;
QString PhotoName;
std::int32_t UseBmp = 0;
std::int32_t UseJpg = 0;
std::int32_t UseGif = 0;

void Main()
{
    AppTitle = QStringLiteral("Tarnavel");
    PhotoCols = 4;
    PhotoRows = 3;
    PhotoCount = 0;
    PhotoFolder.clear();
    ChosenFolder.clear();
    PhotoName.clear();
    UseBmp = 1;
    UseJpg = 1;
    UseGif = 1;
    FrmSelect::Instance()->Show();
}

} // namespace MdlSelect
