// Fuzzes the byte-level picture checks and the own bitmap decoding: any bytes, no crash, no read
// outside them, consistent answers.

#include "platform/pictures/bmpdecoder.h"
#include "platform/pictures/picturecheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace platform;
    // Raw data over the fuzzer's own exactly sized buffer: a read one byte past the end is caught.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const PictureKind kind = sniffPicture(bytes);
    const ClaimedSize claimed = pictureHeaderSize(bytes);
    const PictureEnd end = pictureEnd(bytes);
    if (kind == PictureKind::Unknown && (claimed.isValid() || end != PictureEnd::Cut)) {
        std::fprintf(stderr, "an unknown kind of file has a size or is whole\n");
        std::abort();
    }
    if (claimed.isValid() && claimed.pixels() < claimed.width) {
        std::fprintf(stderr, "pixel count below the width: %lld x %lld\n", (long long)claimed.width,
                     (long long)claimed.height);
        std::abort();
    }
    // The same bytes give the same answers.
    if (sniffPicture(bytes) != kind || pictureEnd(bytes) != end
        || pictureHeaderSize(bytes).width != claimed.width || pictureHeaderSize(bytes).height != claimed.height)
        std::abort();
    if (end == PictureEnd::Unterminated && kind != PictureKind::Jpeg)
        std::abort();
    // Bitmaps only: the bit-field decoder's image is bounded by the bytes, the normalised copy too.
    if (kind == PictureKind::Bmp && end == PictureEnd::Whole) {
        const std::optional<QImage> own = decodeBitFieldBitmap(bytes);
        if (own && qint64(own->width()) * own->height() > qint64(size) * 8)
            std::abort();
        if (normalisedBitmap(bytes).size() > qsizetype(size) + 14 + 40 + 1024)
            std::abort();
    }
    return 0;
}
