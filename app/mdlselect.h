#pragma once
// The start-up module: the state the three windows share, and the procedure that starts the program.

#include <QString>
#include <cstdint>

namespace MdlSelect {

// Title of every message box.
extern QString AppTitle;
// Columns and rows of the thumbnail grid.
extern std::int32_t PhotoCols;
extern std::int32_t PhotoRows;
// Photos found by the last scan of PhotoFolder.
extern std::int32_t PhotoCount;
// The folder the main window shows, as the folder window gives it.
extern QString PhotoFolder;
// The folder accepted in the folder window; empty when it was left without OK.
extern QString ChosenFolder;
// File name of the photo last clicked in the grid.
extern QString PhotoName;
// File types to list: 1 selects ".bmp", ".jpg", ".gif" files.
extern std::int32_t UseBmp;
extern std::int32_t UseJpg;
extern std::int32_t UseGif;

// Gives every shared value its start value and shows the main window modeless, then returns; the
// program runs in the event loop for as long as the main window lives.
void Main();

} // namespace MdlSelect
