#pragma once
// The photo window: one photo at its own size, the window's inner area fitted to it.

#include "platform/controls.h"
#include "platform/form.h"

#include <QPointer>
#include <cstdint>

class FrmPhoto : public platform::Form {
    Q_OBJECT
public:
    FrmPhoto();
    ~FrmPhoto() override;

    // The shared reference: the photo window, created on first use; null once it has been unloaded.
    static FrmPhoto* Instance();
    static FrmPhoto* Existing();

    // Controls, by their design names.
    platform::PictureBox PicPhoto;

protected:
    void Form_Load() override;
    void Form_Unload(std::int16_t& Cancel) override;

private:
    static QPointer<FrmPhoto> s_instance;
};
