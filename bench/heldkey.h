#pragma once
// A key held on the page scroll bar: page changes at a steady rate, and what the window and the process
// do meanwhile.

class FrmSelect;

namespace bench {

struct HeldKey {
    double worstNamesMs = 0;   // from a change until the caption and every cell's name show its page
    int peakDecodes = 0;       // decodes running at once on the thumbnail threads
    int restThreads = 0;       // the process's threads before the first change
    int peakThreads = 0;       // and at most while the key is held
    double peakAddedMb = 0;    // resident memory above what was there before, at its peak
    double lastPageMs = -1;    // from the last change until every cell of the last page shows its picture
};

// Moves the page scroll bar `changes` times, one small step each `intervalMs` as its arrow or a held key
// does: from the first page down to the last, then back up, and so on. The window's pages are made cold.
HeldKey holdPageKey(FrmSelect* window, int changes, int intervalMs);

} // namespace bench
