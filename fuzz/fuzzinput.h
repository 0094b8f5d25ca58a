#pragma once
// Turning a fuzzer's bytes into text: UTF-8 for readable seeds, raw UTF-16 to reach lone surrogates.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// A first byte 0x01 makes the rest raw UTF-16 (little-endian units, any values); anything else is
// read as UTF-8 from the start.
inline QString textOf(const std::uint8_t* data, std::size_t size)
{
    if (size > 0 && data[0] == 0x01) {
        QString text;
        for (std::size_t i = 1; i + 1 < size; i += 2)
            text.append(QChar(char16_t(data[i] | data[i + 1] << 8)));
        return text;
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Upper-cases unit by unit, the way names are compared: no expansion, surrogates left alone.
inline QString upperUnits(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        c = c.toUpper();
    return out;
}

// Stops the run with a message the fuzzer log keeps; libFuzzer reports the abort with the input.
[[noreturn]] inline void fail(const char* what, const QString& a, const QString& b = {})
{
    std::fprintf(stderr, "invariant broken: %s\n  a = \"%s\"\n  b = \"%s\"\n", what,
                 a.toUtf8().constData(), b.toUtf8().constData());
    std::abort();
}

} // namespace fuzz
