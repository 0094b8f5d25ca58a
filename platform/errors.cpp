#include "platform/errors.h"

#include <cmath>
#include <limits>

namespace platform {

QString errorText(int number)
{
    switch (number) {
    case ErrInvalidCall: return QStringLiteral("プロシージャの呼び出し、または引数が不正です。");
    case ErrOverflow: return QStringLiteral("オーバーフローしました。");
    case ErrOutOfMemory: return QStringLiteral("メモリが不足しています。");
    case ErrSubscript: return QStringLiteral("インデックスが有効範囲にありません。");
    case ErrFileNotFound: return QStringLiteral("ファイルが見つかりません。");
    case ErrDeviceUnavailable: return QStringLiteral("デバイスが準備されていません。");
    case ErrFileAccess: return QStringLiteral("パス名が無効です。");
    case ErrPathNotFound: return QStringLiteral("パスが見つかりません。");
    case ErrAlreadyLoaded: return QStringLiteral("オブジェクトは既に読み込まれています。");
    case ErrInvalidPropertyValue: return QStringLiteral("プロパティの値が不正です。");
    case ErrInvalidPicture: return QStringLiteral("ピクチャが不正です。");
    default: return {};
    }
}

RuntimeError::RuntimeError(int number, QString detail)
    : m_number(number), m_detail(std::move(detail))
{
    m_what = QStringLiteral("run-time error %1: %2 %3").arg(number).arg(errorText(number), m_detail).toUtf8();
}

void raise(int number, const QString& detail)
{
    throw RuntimeError(number, detail);
}

namespace {
std::int32_t checked32(std::int64_t v)
{
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        raise(ErrOverflow);
    return static_cast<std::int32_t>(v);
}
} // namespace

std::int32_t add32(std::int32_t a, std::int32_t b) { return checked32(std::int64_t(a) + b); }
std::int32_t mul32(std::int32_t a, std::int32_t b) { return checked32(std::int64_t(a) * b); }

std::int32_t truncTo32(double value)
{
    const double t = std::trunc(value);
    if (!(t >= -2147483648.0 && t <= 2147483647.0))
        raise(ErrOverflow);
    return static_cast<std::int32_t>(t);
}

std::int16_t narrowTo16(std::int32_t value)
{
    if (value < -32768 || value > 32767)
        raise(ErrOverflow);
    return static_cast<std::int16_t>(value);
}

} // namespace platform
