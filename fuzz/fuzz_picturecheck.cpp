// Fuzzes the byte-level picture checks and the own bitmap decoding: any bytes, no crash, no read
// outside them, consistent answers.

#include "platform/pictures/bmpdecoder.h"
#include "platform/pictures/picturecheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void check(bool holds, const char* what)
{
    if (!holds)
        std::fprintf(stderr, "invariant broken: %s\n", what), std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace platform;
    // Raw data over the fuzzer's own exactly sized buffer: a read one byte past the end is caught.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const PictureKind kind = sniffPicture(bytes);
    const ClaimedSize claimed = pictureHeaderSize(bytes);
    const PictureEnd end = pictureEnd(bytes);
    check(kind != PictureKind::Unknown || (!claimed.isValid() && end == PictureEnd::Cut), "an unknown kind of file has a size or is whole");
    check(!claimed.isValid() || claimed.pixels() >= claimed.width, "a pixel count below the width");
    check(sniffPicture(bytes) == kind && pictureEnd(bytes) == end && pictureHeaderSize(bytes).width == claimed.width &&
              pictureHeaderSize(bytes).height == claimed.height, "the same bytes give other answers");
    check(end != PictureEnd::Unterminated || kind == PictureKind::Jpeg, "only a JPEG is unterminated");
    // Bitmaps only: the bit-field decoder's image is bounded by the bytes, the normalised copy too.
    if (kind == PictureKind::Bmp && end == PictureEnd::Whole) {
        const std::optional<QImage> own = decodeBitFieldBitmap(bytes);
        check(!own || qint64(own->width()) * own->height() <= qint64(size) * 8, "a decoded bitmap larger than its bytes allow");
        check(normalisedBitmap(bytes).size() <= qsizetype(size) + 14 + 40 + 1024, "a normalised bitmap larger than its bytes allow");
    }
    return 0;
}
