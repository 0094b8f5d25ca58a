#pragma once
// The main window: the grid of thumbnails of one folder, the page scroll bar, and the File menu.

#include "platform/controlarray.h"
#include "platform/controls.h"
#include "platform/form.h"
#include "platform/sharedreference.h"
#include "platform/image.h"
#include "platform/scrollbar.h"
#include "platform/thumbnailloader.h"

#include <QPointer>
#include <QStringList>
#include <cstdint>

class FrmSelect : public platform::Form, public platform::SharedReference<FrmSelect> {
    Q_OBJECT
public:
    FrmSelect();
    ~FrmSelect() override;

    // Controls, by their design names.
    platform::ScrollBar VScroll;
    platform::Frame FraPhoto;
    platform::ControlArray<platform::Image> Img_Photo;
    platform::ControlArray<platform::Label> Lbl_Photo;
    platform::MenuItem MnuFile;
    platform::MenuItem MnuFolder;
    platform::MenuItem Sp1;
    platform::MenuItem MnuClose;

    // Window state.
    std::int32_t PageSize = 0;
    std::int32_t LoadedCount = 0;
    std::int32_t ShownPageSize = 0;
    std::int16_t PageReady = 0; // true is -1
    QStringList PhotoNames;

    // The folder scan, the page display and the placing of the cells.
    void ListPhotos();
    void ShowPage(std::int32_t p);
    void ArrangePhotos();

    // Event handlers.
    void VScroll_Change();
    void Img_Photo_Click(std::int16_t Index);
    void MnuFolder_Click();
    void MnuClose_Click();

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload(std::int16_t& Cancel) override;

private:
    friend class BuildScope;
    // Shows the page the scroll bar stands on when a change of it arrived during a rebuild, which
    // showed no page then: the page shown and the scroll bar agree again.
    void catchUpPage(std::int16_t built);

    // Sets the page scroll bar's Max for the list; a list too long for it is clipped, and the user is
    // told which photos have no page (always when `tellUnreachable`, else when that changes).
    void fitScrollRange(bool tellUnreachable);

    // Asks the thumbnail threads for the pictures of page `p`'s slots `from` to `last` - 1 (those that
    // exist and have a photo), superseding what the page display asked for before.
    platform::ThumbnailBatch requestThumbnails(std::int32_t p, std::int32_t from, std::int32_t last);

    std::int64_t m_toldUnreachable = 0;
    platform::ThumbnailLoader m_thumbnails;
    int m_building = 0;
    // Counts the rebuilds begun (a page size change, a new folder): a page display that a rebuild
    // overtook during one of its yields stops, as the page it was showing is no longer the window's.
    std::uint64_t m_rebuilds = 0;
};

// Keeps the folder command disabled while a page is being built or its cells placed, so that no
// folder command runs inside another build.
class BuildScope {
public:
    explicit BuildScope(FrmSelect& window);
    ~BuildScope();
    BuildScope(const BuildScope&) = delete;
    BuildScope& operator=(const BuildScope&) = delete;

private:
    FrmSelect& m_window;
};
