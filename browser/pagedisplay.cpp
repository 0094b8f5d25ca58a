// The page display: one page of the photo list in the thumbnail slots, and the page scroll bar's
// change event.

#include "app/mdlselect.h"
#include "browser/frmselect.h"
#include "browser/pagemath.h"
#include "platform/errors.h"
#include "platform/runtime.h"

using namespace MdlSelect;
using namespace platform;

namespace {
// Runs one step of the page display; a step that fails is skipped and the display goes on.
template <class Step>
void step(Step&& s)
{
    try {
        s();
    } catch (const RuntimeError&) {
    }
}
} // namespace

void FrmSelect::ShowPage(std::int32_t p)
{
    const std::int32_t n = pagemath::filledSlots(p, VScroll.Max(), PhotoCount, PageSize);
    const std::int32_t end = PageSize;
    const QPointer<FrmSelect> self(this);

    for (std::int32_t i = 0; i < end; ++i) {
        const bool slotExists = Img_Photo.exists(i) && Lbl_Photo.exists(i);
        if (slotExists && i < n) {
            const std::int64_t k = std::int64_t(p) * PageSize + i; // page size and list read afresh
            if (k >= 0 && k < PhotoNames.size()) {
                const QString name = PhotoNames.at(qsizetype(k));
                try {
                    Img_Photo[i].setPicture(LoadPicture(PhotoFolder + QStringLiteral("\\") + name));
                } catch (const RuntimeError&) {
                    // A picture that cannot be read shows as the empty picture under its own name,
                    // never as the picture the slot showed before.
                    Img_Photo[i].setPicture(LoadPicture());
                }
                step([&] { Lbl_Photo[i].setCaption(name); });
            }
            step([&] { Img_Photo[i].setVisible(true); });
            step([&] { Lbl_Photo[i].setVisible(true); });
        } else if (slotExists) {
            step([&] { Img_Photo[i].setPicture(LoadPicture()); });
            step([&] { Lbl_Photo[i].setCaption(QString()); });
            step([&] { Img_Photo[i].setVisible(false); });
            step([&] { Lbl_Photo[i].setVisible(false); });
        }
        if (slotExists) {
            Img_Photo[i].Refresh();
            Lbl_Photo[i].Refresh();
        }
        Ra_Rav::YieldMessage();
        if (!self || !Loaded())
            return; // the window was closed during the yield
    }
    setCaption(pagemath::pageCaption(p, VScroll.Max()));
}

void FrmSelect::VScroll_Change()
{
    if (PageReady == 0)
        return;
    ShowPage(VScroll.Value());
}
