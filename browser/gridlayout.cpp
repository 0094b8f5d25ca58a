// The thumbnail grid: the main window's resize handler, which keeps the grid fitted to the window,
// and the placing of the cells.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "browser/pagemath.h"
#include "platform/errors.h"
#include "platform/runtime.h"

using namespace MdlSelect;
using namespace platform;
using namespace pagemath;

void FrmSelect::Form_Resize()
{
    if (WindowState() == 1)
        return;
    const QPointer<FrmSelect> self(this);
    if (Width() < MinOuterWidth)
        setWidth(MinOuterWidth);
    if (!self || !Loaded())
        return;
    const float grown = Height() + MinInnerHeight - ScaleHeight();
    if (grown > Height())
        setHeight(grown);
    if (!self || !Loaded())
        return;

    PhotoCols = gridColumns(ScaleWidth());
    PhotoRows = gridRows(ScaleHeight());
    PageSize = mul32(PhotoCols, PhotoRows);

    if (LoadedCount < PageSize) {
        for (std::int32_t i = LoadedCount; i < PageSize; ++i) {
            if (i == 0)
                continue;
            Img_Photo.Load(i);
            Lbl_Photo.Load(i);
            Img_Photo[i].setVisible(false);
            Lbl_Photo[i].setVisible(false);
        }
        LoadedCount = PageSize;
    } else {
        // Cells left over from a larger page are hidden and let go of their pictures.
        for (std::int32_t i = std::max(PageSize, 0); i < LoadedCount; ++i) {
            if (Img_Photo.exists(i)) {
                Img_Photo[i].setVisible(false);
                Img_Photo[i].setPicture(LoadPicture());
            }
            if (Lbl_Photo.exists(i))
                Lbl_Photo[i].setVisible(false);
        }
    }

    FraPhoto.setTop(0);
    FraPhoto.setWidth(ScaleWidth() - ScrollBarWidth - FrameGap);
    FraPhoto.setHeight(float(add32(mul32(PhotoRows, RowPitch), GridOffset)));
    FraPhoto.Refresh();

    VScroll.setLeft(ScaleWidth() - ScrollBarWidth);
    VScroll.setHeight(ScaleHeight());

    fitScrollRange(false); // may move Value, and show that page at once
    if (!self || !Loaded())
        return;
    VScroll.setEnabled(VScroll.Max() >= 1);
    VScroll.Refresh();

    if (ShownPageSize == 0)
        ShownPageSize = PageSize;
    if (PageSize == ShownPageSize)
        return;

    // The page size changed: rebuild from the first page.
    rebuildPage();
    if (self)
        m_build.showScrolledPage();
}

void FrmSelect::rebuildPage()
{
    const PageBuild::Ticket build = m_build.rebuild();
    m_selectedCell = 0;
    VScroll.setValue(0);
    if (showPage(VScroll.Value(), build) && arrangePhotos(build))
        ShownPageSize = PageSize;
}

bool FrmSelect::arrangePhotos(const PageBuild::Ticket& build)
{
    const std::int32_t size = PageSize;
    for (std::int32_t i = 0; i < size; ++i) {
        if (Img_Photo.exists(i) && Lbl_Photo.exists(i)) {
            const CellPlace place = cellPlace(i, PhotoCols);
            Image& img = Img_Photo[i];
            Label& lbl = Lbl_Photo[i];
            img.setTop(float(place.top));
            img.setLeft(float(place.left));
            lbl.setTop(img.Top() + img.Height() + GridOffset);
            lbl.setLeft(img.Left());
        }
        if (!build.yield())
            return false;
    }
    return true;
}
