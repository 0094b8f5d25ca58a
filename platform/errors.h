#pragma once
// Numbered run-time errors as the forms know them, and the guarded integer arithmetic that raises them.

#include <QString>
#include <cstdint>
#include <exception>

namespace platform {

// Error numbers the runtime raises.
enum ErrorNumber : int {
    ErrInvalidCall = 5,
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrSubscript = 9,
    ErrFileNotFound = 53,
    ErrFileAccess = 75,
    ErrPathNotFound = 76,
    ErrDeviceUnavailable = 68,
    ErrAlreadyLoaded = 360,
    ErrInvalidPropertyValue = 380,
    ErrInvalidPicture = 481,
};

// The runtime's own Japanese text for an error number ("" for numbers it does not know).
QString errorText(int number);

// A run-time error: its number, the runtime's text for it, and an optional detail (a file name, a
// decoder's reason) that a message to the user may add.
class RuntimeError : public std::exception {
public:
    explicit RuntimeError(int number, QString detail = {});
    int number() const { return m_number; }
    QString description() const { return errorText(m_number); }
    QString detail() const { return m_detail; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_detail;
    QByteArray m_what;
};

[[noreturn]] void raise(int number, const QString& detail = {});

// Guarded 32-bit arithmetic: an overflow raises error 6.
std::int32_t add32(std::int32_t a, std::int32_t b);
std::int32_t mul32(std::int32_t a, std::int32_t b);
// The integer part of a double (toward zero) as a 32-bit value; out of range raises error 6.
std::int32_t truncTo32(double value);
// A 32-bit value narrowed to 16 bits; out of range raises error 6.
std::int16_t narrowTo16(std::int32_t value);

} // namespace platform
