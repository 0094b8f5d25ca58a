#include "browser/frmselect.h"

// The main window's commands: the folder command and the click on a thumbnail.

void FrmSelect::MnuFolder_Click() {}

void FrmSelect::Img_Photo_Click(std::int16_t /*Index*/) {}
