#include "PasswordScrambler.h"

#include "common/Text.h"

#include <cstdint>

namespace yanlan {

namespace {
constexpr std::uint32_t InitialKey = 738215;
constexpr std::uint32_t Multiplier = 56789;
constexpr std::uint32_t Increment = 54667;
} // namespace

QString scramblePassword(const QByteArray &bytes)
{
    std::uint32_t key = InitialKey;
    QString out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const std::uint32_t plain = static_cast<unsigned char>(ch);
        const std::uint32_t c = (plain ^ ((key >> 8) & 0xFFu)) & 0xFFu;
        key = (c + key) * Multiplier + Increment; // unsigned arithmetic wraps modulo 2^32
        out += QChar(static_cast<char16_t>(65 + c / 26));
        out += QChar(static_cast<char16_t>(65 + c % 26));
    }
    return out;
}

QByteArray unscramblePassword(const QString &scrambled)
{
    const qsizetype n = scrambled.size() / 2;
    std::uint32_t key = InitialKey;
    QByteArray out;
    out.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const int high = static_cast<int>(scrambled.at(2 * i).unicode()) - 65;
        const int low = static_cast<int>(scrambled.at(2 * i + 1).unicode()) - 65;
        const std::uint32_t c = static_cast<std::uint32_t>(high * 26 + low) & 0xFFu;
        out += static_cast<char>((c ^ ((key >> 8) & 0xFFu)) & 0xFFu);
        key = (c + key) * Multiplier + Increment;
    }
    return out;
}

QString scrambleTypedPassword(const QString &typed)
{
    return trimText(scramblePassword(toGbk(asciiUpper(trimText(typed)))));
}

QString unscrambleToText(const QString &scrambled)
{
    return fromGbk(unscramblePassword(scrambled));
}

} // namespace yanlan
