#include "StockQuote.h"

#include "common/NumberFormat.h"
#include "common/Text.h"

namespace yanlan {

namespace {

// Blanks inside the reply are protected by this stand-in while the fields are split.
constexpr QChar BlankStandIn(0xFF5C); // ｜

bool isSeparatorBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// Fields are ended by a comma or by a run of blanks and control characters (codes 1-32):
// - leading blanks are skipped;
// - a comma ends the current field, empty or not ("a,,b" has an empty middle field, and
//   "a," ends with an empty field); a run of blanks right after a comma is skipped, so it
//   belongs to the separator and not to the next field;
// - a run of blanks ends the current field, and a comma right after such a run is part
//   of the same separator: "a ,b" and "a , b" are two fields, like "a,b";
// - a run of blanks at the end of the data adds nothing.
QStringList splitFields(const QString &data)
{
    QStringList fields;
    QString current;
    bool fieldOpen = false; // started by content or by the comma before it
    const qsizetype n = data.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && isSeparatorBlank(data.at(i)))
            ++i;
    };
    auto endField = [&] {
        fields << current;
        current.clear();
        fieldOpen = false;
    };

    skipBlanks();
    while (i < n) {
        const QChar c = data.at(i);
        if (c == QLatin1Char(',')) {
            ++i;
            endField();
            fieldOpen = true;
            skipBlanks();
        } else if (isSeparatorBlank(c)) {
            if (fieldOpen)
                endField();
            skipBlanks();
            if (i < n && data.at(i) == QLatin1Char(',')) {
                ++i;
                fieldOpen = true;
                skipBlanks();
            }
        } else {
            current += c;
            fieldOpen = true;
            ++i;
        }
    }
    if (fieldOpen)
        fields << current;
    return fields;
}

} // namespace

QString StockQuote::text(int index) const
{
    if (index < 0 || index >= fields.size())
        return {};
    return trimText(fields.at(index));
}

double StockQuote::number(int index) const
{
    return textToNumber(text(index));
}

StockQuote parseQuote(const QString &body)
{
    QString protectedBody = body;
    protectedBody.replace(QLatin1Char(' '), BlankStandIn);

    // 1-based position of the first double quote, 0 when there is none
    const qsizetype quotePosition = protectedBody.indexOf(QLatin1Char('"')) + 1;
    const qsizetype length = std::max<qsizetype>(0, protectedBody.size() - quotePosition - 1);
    const QString data = protectedBody.mid(quotePosition, length);

    StockQuote quote;
    quote.fields = splitFields(data);
    for (QString &field : quote.fields)
        field.replace(BlankStandIn, QLatin1Char(' '));
    return quote;
}

} // namespace yanlan
