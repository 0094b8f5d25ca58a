#pragma once
// The real main window and viewer, driven and timed as a user would use them, on pictures the
// benchmark made.

#include <QString>
#include <QtGlobal>

class FrmSelect;

namespace bench {

class PageBench {
public:
    // Starts the program's main window with drives C: at `root` and D: at `fastRoot`, and a grid of
    // 5 x 4 cells.
    PageBench(const QString& root, const QString& fastRoot);
    // Closes the windows.
    ~PageBench();

    FrmSelect* window() const { return m_window; }
    // Sets the window's inner size in twips (a new grid, built from its first page).
    void resizeGrid(float scaleWidth, float scaleHeight);
    int pageSize() const;

    // Chooses `folder` (Windows-style) as the folder command does, all three kinds ticked.
    void open(const QString& folder);

    struct Build {
        double ms = 0;          // the whole page display
        double worstLateMs = 0; // the worst lateness of a 5 ms timer during it
        double peakAddedMb = 0; // resident memory above what was there before, at its peak
    };
    // Shows page `p` of the open folder through the page display.
    Build showPage(int p);

    // The bytes of the pictures the slots hold now, and cells x cell pixels x 4.
    qint64 heldBytes() const;
    qint64 cellBytes() const;
    // The visible slots that show a picture.
    int shownCount() const;

    // Changes page `changes` times through the scroll bar, back and forth between the first two.
    void changePages(int changes);

    struct Change {
        double firstThumbnailMs = -1; // from the move to the first slot showing the new page's picture
        bool consistent = false;      // every visible slot shows a picture under its own name at the end
    };
    // Shows page 0; once slot `afterSlot` shows its picture, the user moves the scroll bar one page on.
    Change changeDuringBuild(int afterSlot);

    // Forgets the pages made ahead, so that the next page is made cold.
    void forgetAhead();
    // Waits until the work ahead that the window started once idle has been made.
    void waitForWorkAhead();
    // Bytes held for the pages made ahead beside the one shown, once the work ahead is taken in.
    qint64 aheadBytes();
    // Moves the page scroll bar to page `to` as the user does; the ms until that page is shown whole.
    double userPageChange(int to);
    // Once the work ahead has begun, the user moves the scroll bar to page `to` (not made ahead).
    Change changeDuringWorkAhead(int to);
    // Chooses `folder` through the folder command; the ms from the folder window's OK to the end of
    // the build (the first page shown and its cells placed).
    double timedOpen(const QString& folder);

    // The folder scan of the open folder, in ms.
    double scanMs();

    // Opens picture `name` of folder `folder` (Windows-style) in the viewer; the ms until it is shown
    // and painted, or -1 when it did not open.
    double openViewer(const QString& folder, const QString& name);

private:
    FrmSelect* m_window = nullptr;
};

} // namespace bench
