#pragma once
// A temporary drive "C:" with folders of small pictures, and the main window started on it.

#include "browser/frmselect.h"
#include "support/testforms.h"

#include <QColor>
#include <QTemporaryDir>
#include <memory>

namespace testsupport {

// The colour of the n-th picture that makeBmpFolder writes, distinct for n up to several hundred.
QColor pictureColour(int n);

class BrowseFixture {
public:
    BrowseFixture();  // makes the drive and installs it as the drive table
    ~BrowseFixture(); // restores the system's drives
    QString root() const { return m_dir.path(); }
    // A folder under the drive's root; returns its Windows-style path ("C:\name").
    QString makeFolder(const QString& name);
    // Writes `count` bitmaps p000.bmp, p001.bmp, ... each a solid pictureColour(n).
    QString makeBmpFolder(const QString& name, int count);
    void writeBytes(const QString& folder, const QString& file, const QByteArray& bytes);

private:
    QTemporaryDir m_dir;
};

// A folder for large temporary fixtures: the memory file system where there is one.
QString fastTempBase();

// Runs the program's start-up and returns the shown main window.
FrmSelect* startMainWindow();
// The main window started and sized to a grid of 4 x 3 cells.
FrmSelect* startGridWindow();
// After a page display of `outer` into which one of `nested` ran: the number of leading slots that
// show page `nested` (all named p000.bmp..., of makeBmpFolder), when the rest show page `outer`;
// -1 when the slots are not split that way.
int nestedPageSplit(FrmSelect* window, int outer, int nested);
// Unloads the main window and waits until it is gone.
void closeMainWindow();
// Sets the main window's inner size in twips, through its outer size as a program would.
void setInnerSize(FrmSelect* window, float scaleWidth, float scaleHeight);
// Whether slot i shows the n-th picture of makeBmpFolder under `name`.
bool slotShows(FrmSelect* window, int slot, int n, const QString& name);
// Chooses `folder` as the folder command does after the folder window's OK: scan, first page, cells.
void browse(FrmSelect* window, const QString& folder);

} // namespace testsupport
