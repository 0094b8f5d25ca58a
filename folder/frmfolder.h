#pragma once
// The folder window: a drive list and a folder list to choose the folder to browse, and the file types.

#include "platform/controls.h"
#include "platform/dirlist.h"
#include "platform/drivelist.h"
#include "platform/errors.h"
#include "platform/form.h"
#include "platform/sharedreference.h"

#include <QPointer>
#include <array>
#include <cstdint>

class FrmFolder : public platform::Form, public platform::SharedReference<FrmFolder> {
    Q_OBJECT
public:
    FrmFolder();
    ~FrmFolder() override;


    // Controls, by their design names.
    platform::DirListBox Dir1;
    platform::DriveListBox Drive1;
    platform::Label lbl_path;
    platform::CommandButton Com_Cancel;
    platform::CommandButton Com_Ok;
    std::array<platform::CheckBox, 3> ChkPhoto; // 0 bitmap, 1 JPEG, 2 GIF

    // Event handlers.
    void Drive1_Change();
    void Dir1_Change();
    // An entry the user opened in Dir1 had gone away: names it and the reason; the list is already on
    // the nearest folder that exists, or, when the entry's whole drive is gone, goes back to drive C:.
    void Dir1_OpenFailed(const QString& path, const platform::RuntimeError& error);
    void Com_Ok_Click();
    void Com_Cancel_Click();

protected:
    void Form_Load() override;
    void Form_Unload(std::int16_t& Cancel) override;

};
