#include "NumberFormat.h"

#include "Text.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace yanlan {

namespace {

// The value rounded to `decimals` places as text, halves away from zero.
QString roundedText(double value, int decimals)
{
    if (!std::isfinite(value))
        value = 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    const std::string s(buf);
    const auto epos = s.find('e');
    const int exponent = std::stoi(s.substr(epos + 1));
    const std::string digits = s.substr(0, 1) + s.substr(2, epos - 2); // 15 significant digits

    // digits * 10^(exponent - 14) == |value|; keep the digits down to 10^-decimals
    const int keep = exponent + 1 + decimals;
    std::string kept;
    bool roundUp = false;
    if (keep >= static_cast<int>(digits.size())) {
        kept = digits + std::string(keep - digits.size(), '0');
    } else if (keep >= 0) {
        kept = digits.substr(0, keep);
        roundUp = digits[keep] >= '5';
    }
    if (kept.empty())
        kept = "0";
    if (roundUp) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[i] == '9') {
            kept[i] = '0';
            --i;
        }
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i];
    }
    if (static_cast<int>(kept.size()) <= decimals)
        kept = std::string(decimals + 1 - kept.size(), '0') + kept;
    std::string text = kept.substr(0, kept.size() - decimals);
    // drop leading zeros of the whole part, keeping one
    const auto firstNonZero = text.find_first_not_of('0');
    text = firstNonZero == std::string::npos ? "0" : text.substr(firstNonZero);
    if (decimals > 0)
        text += "." + kept.substr(kept.size() - decimals);

    const bool isZero = text.find_first_not_of("0.") == std::string::npos;
    if (value < 0 && !isZero)
        text.insert(text.begin(), '-');
    return QString::fromLatin1(text.c_str());
}

} // namespace

QString formatFixed2(double value)
{
    return roundedText(value, 2);
}

QString formatShort(double value)
{
    QString text = roundedText(value, 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString formatWhole(double value)
{
    return roundedText(value, 0);
}

double roundTo2(double value)
{
    return formatFixed2(value).toDouble();
}

double textToNumber(const QString &text)
{
    const QString t = trimText(text);
    if (t.isEmpty())
        return 0;
    // digits, one optional point, an optional sign and exponent: what a decimal reader takes
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return 0;
    return v;
}

QString formatPlain(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    if (text.contains(QLatin1Char('e')))
        text = QString::number(value, 'f', 10);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

} // namespace yanlan
