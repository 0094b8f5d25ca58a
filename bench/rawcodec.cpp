#include "bench/rawcodec.h"

#include <QFile>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace bench {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void onError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void quiet(j_common_ptr, int) {}

// A row of the detailed test picture: gradients, discs, bars and noise, 3 bytes (R, G, B) a pixel.
class RowPainter {
public:
    RowPainter(int w, int h, unsigned seed, int noise) : m_w(w), m_h(h), m_noise(noise), m_state(seed * 2654435761u + 1)
    {
        for (Disc& d : m_discs) {
            d.x = int(next() % unsigned(w));
            d.y = int(next() % unsigned(h));
            d.r = int(next() % unsigned(std::max(2, std::min(w, h) / 5))) + 4;
            d.colour[0] = int(next() % 256);
            d.colour[1] = int(next() % 256);
            d.colour[2] = int(next() % 256);
        }
    }
    void paint(int y, unsigned char* rgb)
    {
        const int band = (y / std::max(1, m_h / 12)) % 2;
        for (int x = 0; x < m_w; ++x) {
            int c[3] = {x * 255 / m_w, y * 255 / m_h, ((x + y) * 255 / (m_w + m_h)) ^ (band * 60)};
            if ((x / std::max(1, m_w / 40)) % 7 == 0)
                c[2] = 255 - c[2]; // bars
            for (const Disc& d : m_discs) {
                const qint64 dx = x - d.x, dy = y - d.y;
                if (dx * dx + dy * dy < qint64(d.r) * d.r) {
                    c[0] = d.colour[0];
                    c[1] = d.colour[1];
                    c[2] = d.colour[2];
                }
            }
            for (int k = 0; k < 3; ++k) {
                const int v = c[k] + int(next() % unsigned(2 * m_noise + 1)) - m_noise;
                rgb[3 * x + k] = (unsigned char)std::clamp(v, 0, 255);
            }
        }
    }

private:
    struct Disc {
        int x, y, r;
        int colour[3];
    };
    unsigned next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int m_w, m_h, m_noise;
    unsigned m_state;
    Disc m_discs[6];
};

} // namespace

QSize rawJpegDecode(const QByteArray& jpeg, int denominator)
{
    jpeg_decompress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = quiet;
    std::unique_ptr<unsigned char[]> pixels;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.constData()), (unsigned long)jpeg.size());
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = (unsigned)denominator;
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    const size_t stride = size_t(info.output_width) * 4;
    pixels.reset(new unsigned char[stride * info.output_height]);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.get() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    const QSize size(int(info.output_width), int(info.output_height));
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return size;
}

bool writeDetailedJpeg(const QString& path, int w, int h, unsigned seed, int quality, bool progressive, int noise)
{
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::fclose(file);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(w);
    info.image_height = JDIMENSION(h);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    RowPainter painter(w, h, seed, noise);
    std::vector<unsigned char> row(size_t(w) * 3);
    while (info.next_scanline < info.image_height) {
        painter.paint(int(info.next_scanline), row.data());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

bool writeDetailedBmp(const QString& path, int w, int h, unsigned seed, int noise)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const quint32 stride = (quint32(w) * 3 + 3) & ~3u;
    const quint32 dataSize = stride * quint32(h);
    unsigned char header[54] = {'B', 'M'};
    const auto put32 = [&](int at, quint32 v) {
        for (int k = 0; k < 4; ++k)
            header[at + k] = (unsigned char)(v >> (8 * k));
    };
    put32(2, 54 + dataSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(w));
    put32(22, quint32(-h)); // top-down rows
    header[26] = 1;
    header[28] = 24;
    put32(34, dataSize);
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    RowPainter painter(w, h, seed, noise);
    std::vector<unsigned char> rgb(size_t(w) * 3);
    QByteArray row(int(stride), '\0');
    for (int y = 0; y < h; ++y) {
        painter.paint(y, rgb.data());
        for (int x = 0; x < w; ++x) { // bitmaps store B, G, R
            row[3 * x] = char(rgb[3 * x + 2]);
            row[3 * x + 1] = char(rgb[3 * x + 1]);
            row[3 * x + 2] = char(rgb[3 * x]);
        }
        if (file.write(row) != row.size())
            return false;
    }
    return file.flush();
}

QStringList rawScan(const QString& folder)
{
    static const char* const suffixes[3] = {".bmp", ".jpg", ".gif"};
    QStringList groups[3];
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return {};
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.' || (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN))
            continue;
        const size_t length = std::strlen(entry->d_name);
        if (length < 4)
            continue;
        for (int k = 0; k < 3; ++k) {
            if (strncasecmp(entry->d_name + length - 4, suffixes[k], 4) == 0) {
                groups[k].append(QFile::decodeName(entry->d_name));
                break;
            }
        }
    }
    ::closedir(dir);
    const auto upperLess = [](const QString& a, const QString& b) {
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype i = 0; i < n; ++i) {
            const auto up = [](QChar c) {
                const char16_t u = c.unicode();
                return u < 128 ? char16_t(u >= 'a' && u <= 'z' ? u - 32 : u) : c.toUpper().unicode();
            };
            const char16_t ua = up(a.at(i)), ub = up(b.at(i));
            if (ua != ub)
                return ua < ub;
        }
        return a.size() < b.size();
    };
    QStringList all;
    for (QStringList& group : groups) {
        std::sort(group.begin(), group.end(), upperLess);
        all += group;
    }
    return all;
}

} // namespace bench
