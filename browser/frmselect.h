#pragma once
// The main window: the grid of thumbnails of one folder, the page scroll bar, and the File menu.

#include "browser/pagebuild.h"
#include "platform/controlarray.h"
#include "platform/controls.h"
#include "platform/form.h"
#include "platform/sharedreference.h"
#include "platform/image.h"
#include "platform/scrollbar.h"

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

    // The folder scan and the page display.
    void ListPhotos();
    void ShowPage(std::int32_t p);

    // The cell of the shown page that the keyboard has selected (its index), -1 when the page shows
    // no photo.
    std::int32_t SelectedCell() const;

    // The page builds, for tests and measurements.
    const PageBuild& pageBuild() const { return m_build; }
    PageBuild& pageBuild() { return m_build; }

    // Event handlers.
    void VScroll_Change();
    void Img_Photo_Click(std::int16_t Index);
    void MnuFolder_Click();
    void MnuClose_Click();

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_KeyDown(int KeyCode, int Shift) override;
    void Form_Unload(std::int16_t& Cancel) override;

private:
    friend class PageBuild;

    // The steps of a rebuild and of the folder command's build, as part of `build`: each returns false
    // when the build stopped (overtaken by a newer one, or the window closed).
    bool showPage(std::int32_t p, const PageBuild::Ticket& build);
    bool arrangePhotos(const PageBuild::Ticket& build);
    void rebuildPage();
    void buildFolder();

    // Sets the page scroll bar's Max for the list; a list too long for it is clipped, and the user is
    // told which photos have no page (always when `tellUnreachable`, else when that changes).
    void fitScrollRange(bool tellUnreachable);

    // The thumbnail jobs of page `p`'s slots 0 to `last` - 1 that exist and have a photo.
    QList<platform::ThumbnailJob> thumbnailJobs(std::int32_t p, std::int32_t last) const;

    // The keyboard's selection. Moves it to photo `k` of the list: on the shown page at once, on
    // another page through the page scroll bar, as the user's page changes go.
    void selectPhoto(std::int32_t k);
    // Keeps the selection on one of the page's `filled` cells and draws its frame there.
    void showSelection(std::int32_t filled);
    // The photo of the list that the selection stands on, -1 for none.
    std::int32_t selectedPhoto() const;

    std::int32_t m_selectedCell = 0; // kept in its place in the grid from page to page
    std::int64_t m_toldUnreachable = 0;
    PageBuild m_build;
};
