#pragma once
// The photo window: one photo at its own size, one picture pixel per screen pixel; the window's inner
// area fitted to it within the screen's work area, a larger photo scrolled.

#include "platform/controls.h"
#include "platform/form.h"
#include "platform/sharedreference.h"

#include <QPointer>
#include <cstdint>

class FrmPhoto : public platform::Form, public platform::SharedReference<FrmPhoto> {
    Q_OBJECT
public:
    FrmPhoto();
    ~FrmPhoto() override;

    // Controls, by their design names.
    platform::PictureBox PicPhoto;

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload(std::int16_t& Cancel) override;

};
