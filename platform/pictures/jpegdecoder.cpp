#include "platform/pictures/jpegdecoder.h"

#ifdef TARNAVEL_HAVE_LIBJPEG

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace platform {

namespace {

// libjpeg's error handling: a fatal error jumps back to the step that started it, warnings are kept.
struct ErrorHandler {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    QStringList* warnings = nullptr;
    char reason[JMSG_LENGTH_MAX] = {};
};

void onFatal(j_common_ptr info)
{
    auto* handler = reinterpret_cast<ErrorHandler*>(info->err);
    info->err->format_message(info, handler->reason);
    std::longjmp(handler->jump, 1);
}

// Every warning (level -1), not only the first as libjpeg's own handler does; trace messages are
// dropped.
void onMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    auto* handler = reinterpret_cast<ErrorHandler*>(info->err);
    char text[JMSG_LENGTH_MAX];
    info->err->format_message(info, text);
    ++info->err->num_warnings;
    handler->warnings->append(QString::fromLatin1(text));
}

// Where the data ends without an end marker: one is made up, as Qt's reader does, without the warning
// of libjpeg's own memory source (whether pixels are missing, the scan's decoder tells).
boolean endOfData(j_decompress_ptr info)
{
    static const JOCTET end[2] = {0xFF, JPEG_EOI};
    info->src->next_input_byte = end;
    info->src->bytes_in_buffer = 2;
    return TRUE;
}

// How the decoder's rows become the image's.
enum class Rows { Direct, Rgb, Grey, Cmyk };

// The steps below are the only places libjpeg may jump back to: no object with a destructor lives in
// them.

bool start(jpeg_decompress_struct& info, ErrorHandler& handler, const QByteArray& data, QSize atLeast, Rows* rows)
{
    if (setjmp(handler.jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()), (unsigned long)data.size());
    info.src->fill_input_buffer = endOfData;
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = 1;
    for (const unsigned denominator : {8u, 4u, 2u}) {
        const unsigned w = (info.image_width + denominator - 1) / denominator;
        const unsigned h = (info.image_height + denominator - 1) / denominator;
        if (atLeast.isValid() && w >= unsigned(atLeast.width()) && h >= unsigned(atLeast.height())) {
            info.scale_denom = denominator;
            break;
        }
    }
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        info.out_color_space = JCS_CMYK;
        *rows = Rows::Cmyk;
    } else if (info.jpeg_color_space == JCS_GRAYSCALE) {
        info.out_color_space = JCS_GRAYSCALE;
        *rows = Rows::Grey;
    } else {
#ifdef JCS_EXTENSIONS
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        info.out_color_space = JCS_EXT_BGRX; // Format_RGB32's bytes in memory
#else
        info.out_color_space = JCS_EXT_XRGB;
#endif
        *rows = Rows::Direct;
#else
        info.out_color_space = JCS_RGB;
        *rows = Rows::Rgb;
#endif
    }
    jpeg_start_decompress(&info);
    return true;
}

bool readRows(jpeg_decompress_struct& info, ErrorHandler& handler, Rows rows, uchar* bits, qsizetype bytesPerLine,
              unsigned char* row)
{
    if (setjmp(handler.jump))
        return false;
    while (info.output_scanline < info.output_height) {
        const JDIMENSION y = info.output_scanline;
        QRgb* out = reinterpret_cast<QRgb*>(bits + qsizetype(y) * bytesPerLine);
        JSAMPROW target = rows == Rows::Direct ? reinterpret_cast<JSAMPROW>(out) : row;
        if (jpeg_read_scanlines(&info, &target, 1) != 1) { // only a suspending source does this
            std::strcpy(handler.reason, "the decoder stopped");
            return false;
        }
        const unsigned char* in = row;
        switch (rows) {
        case Rows::Direct:
            break;
        case Rows::Rgb:
            for (JDIMENSION x = 0; x < info.output_width; ++x, in += 3)
                out[x] = qRgb(in[0], in[1], in[2]);
            break;
        case Rows::Grey:
            for (JDIMENSION x = 0; x < info.output_width; ++x, ++in)
                out[x] = qRgb(in[0], in[0], in[0]);
            break;
        case Rows::Cmyk: // inverted, as Adobe writes it and Qt's reader reads it
            for (JDIMENSION x = 0; x < info.output_width; ++x, in += 4)
                out[x] = qRgb(in[3] * in[0] / 255, in[3] * in[1] / 255, in[3] * in[2] / 255);
            break;
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray& data, QSize atLeast, QStringList* warnings, QString* error)
{
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    ErrorHandler handler;
    info.err = jpeg_std_error(&handler.pub);
    handler.pub.error_exit = onFatal;
    handler.pub.emit_message = onMessage;
    handler.warnings = warnings;
    QImage image;
    Rows rows = Rows::Direct;
    if (start(info, handler, data, atLeast, &rows)) {
        image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
        std::vector<unsigned char> row;
        if (image.isNull()) {
            std::strcpy(handler.reason, "not enough memory for the picture");
        } else {
            row.resize(rows == Rows::Direct ? 0 : size_t(info.output_width) * size_t(info.output_components));
            if (!readRows(info, handler, rows, image.bits(), image.bytesPerLine(), row.data()))
                image = QImage();
        }
    }
    jpeg_destroy_decompress(&info);
    if (image.isNull())
        *error = QString::fromLatin1(handler.reason);
    return image;
}

} // namespace platform

#endif
