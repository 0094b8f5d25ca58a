#pragma once
// A temporary drive "C:" with folders of small pictures, the main window started on it, and its folder
// command driven as a user drives it.

#include "browser/frmselect.h"
#include "support/testforms.h"

#include <QColor>
#include <QTemporaryDir>
#include <functional>

class FrmFolder;

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
    // Writes `count` bitmaps p000.bmp, p001.bmp, ... each a solid pictureColour(n) of `size` pixels
    // (those above 64 KB are made on the thumbnail threads, smaller ones on the spot).
    QString makeBmpFolder(const QString& name, int count, QSize size = QSize(16, 12));
    void writeBytes(const QString& folder, const QString& file, const QByteArray& bytes);

private:
    QTemporaryDir m_dir;
};

// Runs the program's start-up and returns the shown main window.
FrmSelect* startMainWindow();
// The main window started and sized to a grid of 4 x 3 cells.
FrmSelect* startGridWindow();
// Unloads the main window and waits until it is gone.
void closeMainWindow();
// Sets the main window's inner size in twips, through its outer size as a program would.
void setInnerSize(FrmSelect* window, float scaleWidth, float scaleHeight);
// Whether slot i shows the n-th picture of makeBmpFolder under `name`.
bool slotShows(FrmSelect* window, int slot, int n, const QString& name);
// Whether slot i shows the n-th picture of makeBmpFolder under its own name, pNNN.bmp.
bool slotShows(FrmSelect* window, int slot, int n);

// Runs the main window's folder command from its menu item, lets `answer` act on the folder window
// (leaving it with OK, cancel or the close box), and waits until the command has ended: the folder
// window gone and no page being built. False when the folder window did not open (the menu item is
// disabled while a page is built) or the command did not end in time.
bool runFolderCommand(FrmSelect* window, const std::function<void(FrmFolder*)>& answer);
// Chooses `folder` through the folder command: opens it in the folder window and presses OK. A folder
// the folder window cannot open fails the running test.
void browse(FrmSelect* window, const QString& folder);

// What a test of the main window starts from: message boxes and ends recorded, the drive, the main
// window at 4 x 3 cells (`grid`) or as it starts. Its end leaves no modal wait, no main window and the
// system's drives.
struct MainWindowTest {
    explicit MainWindowTest(bool grid = true);
    ~MainWindowTest();
    RuntimeRecorder recorder;
    BrowseFixture drive;
    FrmSelect* window;
};

} // namespace testsupport
