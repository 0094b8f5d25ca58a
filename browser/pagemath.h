#pragma once
// The arithmetic of pages and of the thumbnail grid, in the units the main window works in.

#include <QString>
#include <cstdint>

namespace pagemath {

// Layout of the grid, in twips.
constexpr float MinOuterWidth = 6045;
constexpr float MinInnerHeight = 3270;
constexpr std::int32_t GridOffset = 60;    // grid inside the frame; thumbnail-to-label gap
constexpr std::int32_t ColumnPitch = 1860; // thumbnail width 1800 + 60
constexpr std::int32_t RowPitch = 1590;    // 60 + 1200 + 60 + 270
constexpr std::int32_t ScrollBarWidth = 255;
constexpr std::int32_t FrameGap = 45;      // between the frame and the scroll bar

// The page scroll bar's range for a list: the last page's number, the integer part of
// (count - 1) / pageSize worked out in double precision. A list too long for a 16-bit last page
// gets 32767 and `clipped`; the photos from `firstUnreachable` (counted from 1) on have no page.
struct PageRange {
    std::int16_t lastPage = 0;
    bool clipped = false;
    std::int64_t firstUnreachable = 0;
};
PageRange pageRange(std::int32_t count, std::int32_t pageSize);

// How many slots page `page` fills: every slot on a page before the last; on the last page what is
// left of the list (a whole page when the list ends exactly at it, none for an empty list).
std::int32_t filledSlots(std::int32_t page, std::int32_t lastPage, std::int32_t count, std::int32_t pageSize);

// "Tarnavel（p / N）" for page `page` (from 0) of a list whose last page is `lastPage`.
QString pageCaption(std::int32_t page, std::int32_t lastPage);

// Columns and rows that an inner area holds; 0 when it holds none.
std::int32_t gridColumns(float scaleWidth);
std::int32_t gridRows(float scaleHeight);

// Where cell `index` stands in a grid of `columns` columns: its thumbnail's left and top, in twips.
struct CellPlace {
    std::int32_t left;
    std::int32_t top;
};
CellPlace cellPlace(std::int32_t index, std::int32_t columns);

// Where the keyboard's selection goes from photo `selected` of a list of `count` photos laid out in
// rows of `columns`: one photo back or on, or one row up or down. It stops at the first and the last
// photo; a row down from the row above the last goes to the last photo when that row is too short.
enum class Move { Left, Right, Up, Down };
std::int32_t movedSelection(std::int32_t selected, Move move, std::int32_t count, std::int32_t columns);

} // namespace pagemath
