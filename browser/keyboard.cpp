// The main window's keyboard: pages from the keys through the page scroll bar, and the selected cell
// that the arrow keys move and Enter opens.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "browser/pagemath.h"

#include <algorithm>

using namespace MdlSelect;
using namespace platform;

namespace {
// How many photos have a page: the list, less those beyond the scroll bar's last page.
std::int32_t reachablePhotos(std::int32_t count, std::int32_t lastPage, std::int32_t pageSize)
{
    return std::int32_t(std::clamp<std::int64_t>(std::int64_t(lastPage + 1) * pageSize, 0, std::max(count, 0)));
}
} // namespace

void FrmSelect::Form_KeyDown(int KeyCode, int /*Shift: Ctrl+Home and Ctrl+End are Home and End*/)
{
    // Keys do nothing while a rebuild or a folder build runs, as clicks do then.
    if (m_build.busy() || PageReady == 0 || PageSize < 1)
        return;
    const std::int32_t count = reachablePhotos(PhotoCount, VScroll.Max(), PageSize);
    const std::int32_t k = selectedPhoto();
    const auto move = [&](pagemath::Move m) {
        if (k >= 0)
            selectPhoto(pagemath::movedSelection(k, m, count, PhotoCols));
    };
    switch (KeyCode) {
    case vbKeyPageDown: VScroll.userStep(ScrollBar::Step::LargeDown); break;
    case vbKeyPageUp: VScroll.userStep(ScrollBar::Step::LargeUp); break;
    case vbKeyHome: selectPhoto(0); break;
    case vbKeyEnd: selectPhoto(count - 1); break;
    case vbKeyLeft: move(pagemath::Move::Left); break;
    case vbKeyRight: move(pagemath::Move::Right); break;
    case vbKeyUp: move(pagemath::Move::Up); break;
    case vbKeyDown: move(pagemath::Move::Down); break;
    case vbKeyReturn:
    case vbKeySpace:
        if (k >= 0)
            Img_Photo_Click(std::int16_t(m_selectedCell)); // as a click on it
        break;
    default: break;
    }
}

std::int32_t FrmSelect::SelectedCell() const
{
    const std::int32_t filled = pagemath::filledSlots(VScroll.Value(), VScroll.Max(), PhotoCount, PageSize);
    return filled > 0 && m_selectedCell < filled ? m_selectedCell : -1;
}

std::int32_t FrmSelect::selectedPhoto() const
{
    const std::int32_t cell = SelectedCell();
    return cell < 0 ? -1 : std::int32_t(std::int64_t(VScroll.Value()) * PageSize + cell);
}

void FrmSelect::selectPhoto(std::int32_t k)
{
    if (k < 0 || k >= reachablePhotos(PhotoCount, VScroll.Max(), PageSize))
        return;
    const std::int32_t page = k / PageSize;
    m_selectedCell = k % PageSize;
    if (page == VScroll.Value())
        showSelection(pagemath::filledSlots(page, VScroll.Max(), PhotoCount, PageSize));
    else
        VScroll.setValue(std::int16_t(page)); // its change event shows the page, with the cell selected
}

void FrmSelect::showSelection(std::int32_t filled)
{
    m_selectedCell = std::clamp(m_selectedCell, 0, std::max(filled - 1, 0));
    for (std::int32_t i = 0; i < LoadedCount; ++i) {
        if (Img_Photo.exists(i))
            Img_Photo[i].setSelected(i == m_selectedCell && i < filled && i < PageSize);
    }
}
