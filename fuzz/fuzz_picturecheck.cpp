// Fuzzes the byte-level picture checks: any bytes, no crash, no read outside them, consistent answers.

#include "platform/picturecheck.h"

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
    const bool whole = pictureIsWhole(bytes);
    if (kind == PictureKind::Unknown && (claimed.isValid() || whole)) {
        std::fprintf(stderr, "an unknown kind of file has a size or is whole\n");
        std::abort();
    }
    if (claimed.isValid() && claimed.pixels() < claimed.width) {
        std::fprintf(stderr, "pixel count below the width: %lld x %lld\n", (long long)claimed.width,
                     (long long)claimed.height);
        std::abort();
    }
    // The same bytes give the same answers.
    if (sniffPicture(bytes) != kind || pictureIsWhole(bytes) != whole
        || pictureHeaderSize(bytes).width != claimed.width || pictureHeaderSize(bytes).height != claimed.height)
        std::abort();
    return 0;
}
