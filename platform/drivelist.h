#pragma once
// The drive list control: a drop-down of the drive table's drives, "c: [label]", one of them shown.

#include "platform/control.h"

#include <QString>
#include <functional>

class QComboBox;

namespace platform {

class DriveListBox : public Control {
public:
    // A drop-down under `parent` listing the drive table's drives; it shows "C:" when the table has
    // it, else the first drive.
    DriveListBox(QWidget* parent, const QString& name);

    // The shown item's text: "c: [ホーム]", or "c:" for a drive without a label; "" for an empty table.
    QString Drive() const;
    // Shows the drive named by the first two characters of `text` ("C:", "c: [ホーム]"; the letter's
    // case does not matter). Showing another drive raises the change event at once (the handler is
    // called directly and what it throws reaches the caller); the drive already shown raises nothing.
    // A letter that is not in the drive table raises error 68. A drive that is in the table but not
    // available is shown like any other.
    void setDrive(const QString& text);

    // The change event: raised by setDrive, and (through the runtime's queue) when the user picks
    // another drive.
    void setChangeHandler(std::function<void()> handler);

    // Reads the drive table again; the shown drive stays when it is still there. Raises nothing.
    void refreshDrives();

private:
    int indexOfLetter(QChar letter) const;

    QComboBox* m_combo;
    std::function<void()> m_change;
};

} // namespace platform
