#pragma once
// The photo window: one photo at its own size, one picture pixel per screen pixel, or fitted whole into
// the window; the window's inner area fitted to it within the screen's work area, a larger photo
// scrolled; Space and Backspace step through the main window's photos.

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

    // Whether photos are shown fitted whole into the window (F switches it) rather than at their own
    // size: kept for the rest of the run, for every photo and every opening of the window.
    static bool Fitted() { return s_fitted; }

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_KeyDown(int KeyCode, int Shift) override;
    void Form_Unload(std::int16_t& Cancel) override;

private:
    // Shows photo `name` of the photo folder and fits the window to it, making it PhotoName. A photo
    // that cannot be loaded is told, and the window keeps what it showed; false then.
    bool showPhoto(const QString& name);
    // The photo `by` places on in the main window's list, from the one shown or last tried; nothing at
    // either end.
    void step(int by);
    // Sizes and places the window for the picture it shows, as on opening.
    void fitWindow();

    std::int32_t m_index = -1; // where the photo shown, or the last one tried, stands in the list
    static inline bool s_fitted = false;
};
