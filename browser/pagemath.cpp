#include "browser/pagemath.h"

#include "platform/errors.h"

#include <algorithm>
#include <cmath>

namespace pagemath {

PageRange pageRange(std::int32_t count, std::int32_t pageSize)
{
    PageRange range;
    if (pageSize < 1)
        return range;
    const double last = std::trunc((double(count) - 1.0) / double(pageSize));
    if (last > 32767.0) {
        range.lastPage = 32767;
        range.clipped = true;
        range.firstUnreachable = std::int64_t(32768) * pageSize + 1;
    } else {
        range.lastPage = static_cast<std::int16_t>(std::max(last, 0.0));
    }
    return range;
}

std::int32_t filledSlots(std::int32_t page, std::int32_t lastPage, std::int32_t count, std::int32_t pageSize)
{
    if (page != lastPage)
        return std::max(pageSize, 0);
    const std::int64_t left = std::int64_t(count) - std::int64_t(page) * pageSize;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(left, 0, std::max(pageSize, 0)));
}

QString pageCaption(std::int32_t page, std::int32_t lastPage)
{
    return QStringLiteral("Tarnavel（%1 / %2）").arg(std::int64_t(page) + 1).arg(std::int64_t(lastPage) + 1);
}

std::int32_t gridColumns(float scaleWidth)
{
    const double cols = std::trunc((double(scaleWidth) - GridOffset - ScrollBarWidth) / ColumnPitch);
    return cols > 0 ? platform::truncTo32(cols) : 0;
}

std::int32_t gridRows(float scaleHeight)
{
    const double rows = std::trunc((double(scaleHeight) - GridOffset) / RowPitch);
    return rows > 0 ? platform::truncTo32(rows) : 0;
}

CellPlace cellPlace(std::int32_t index, std::int32_t columns)
{
    if (columns < 1)
        return {GridOffset, GridOffset};
    const std::int32_t row = platform::truncTo32(double(index) / double(columns));
    return {platform::add32(platform::mul32(index % columns, ColumnPitch), GridOffset),
            platform::add32(platform::mul32(row, RowPitch), GridOffset)};
}

std::int32_t movedSelection(std::int32_t selected, Move move, std::int32_t count, std::int32_t columns)
{
    if (count < 1 || columns < 1)
        return selected;
    const std::int64_t from = std::clamp<std::int64_t>(selected, 0, count - 1);
    std::int64_t to = from;
    switch (move) {
    case Move::Left: to = from - 1; break;
    case Move::Right: to = from + 1; break;
    case Move::Up: to = from >= columns ? from - columns : from; break;
    case Move::Down: to = from / columns < (count - 1) / columns ? from + columns : from; break;
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(to, 0, count - 1));
}

} // namespace pagemath
