#pragma once
// A temporary drive "C:" with folders of pictures, the main window started on it, and its folder
// command driven as a user drives it.

#include "browser/frmselect.h"
#include "support/testforms.h"

#include <QColor>
#include <QTemporaryDir>

class FrmFolder;

namespace testsupport {

// The colour of the n-th picture that makeBmpFolder writes, distinct for n up to several hundred.
QColor pictureColour(int n);

// The drive, installed as the drive table for the object's life.
class BrowseFixture {
public:
    BrowseFixture();
    ~BrowseFixture();
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

// The program's start-up: the shown main window; with `grid`, sized to 4 x 3 cells.
FrmSelect* startMainWindow(bool grid = false);
inline FrmSelect* startGridWindow() { return startMainWindow(true); }
// Unloads the main window and waits until it is gone.
void closeMainWindow();
// Sets the main window's inner size in twips, through its outer size as a program would.
void setInnerSize(FrmSelect* window, float scaleWidth, float scaleHeight);
// Whether slot i shows the n-th picture of makeBmpFolder under `name` (by default its own, pNNN.bmp).
bool slotShows(FrmSelect* window, int slot, int n, QString name = {});

// Runs the folder command from its menu item, lets `answer` act on the folder window (leaving it with
// OK, cancel or the close box), and waits until the command has ended: the folder window gone and no
// page being built. False when the folder window did not open (its menu item is disabled while a page
// is built) or the command did not end in time.
bool runFolderCommand(FrmSelect* window, const std::function<void(FrmFolder*)>& answer);
// Chooses `folder` through the folder command and OK; a folder the folder window cannot open fails the test.
void browse(FrmSelect* window, const QString& folder);

// What a test of the main window starts from: message boxes and ends recorded, the drive, the main
// window at 4 x 3 cells (`grid`) or as it starts. Its end leaves no modal wait, no main window and the
// system's drives.
struct MainWindowTest {
    explicit MainWindowTest(bool grid = true) : window(startMainWindow(grid)) {}
    ~MainWindowTest() { cancelModalWaits(), closeMainWindow(); }
    RuntimeRecorder recorder;
    BrowseFixture drive;
    FrmSelect* window;
};

} // namespace testsupport
