#include "browser/frmselect.h"

void FrmSelect::ListPhotos() {}
void FrmSelect::ShowPage(std::int32_t) {}
void FrmSelect::VScroll_Change() {}
void FrmSelect::ArrangePhotos() {}
void FrmSelect::Form_Resize() {}
