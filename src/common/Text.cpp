#include "Text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace yanlan {

QString trimText(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QByteArray trimBytes(const QByteArray &bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && static_cast<unsigned char>(bytes.at(begin)) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(bytes.at(end - 1)) <= 32)
        --end;
    return bytes.mid(begin, end - begin);
}

QString asciiUpper(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c.unicode() >= 'a' && c.unicode() <= 'z')
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return out;
}

QByteArray asciiUpper(const QByteArray &bytes)
{
    QByteArray out = bytes;
    for (char &c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

QString sqlLiteral(const QString &text)
{
    QString inner = text;
    inner.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

QByteArray toGbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        return text.toLocal8Bit();
    return encoder.encode(text);
}

QString fromGbk(const QByteArray &bytes)
{
    QStringDecoder decoder("GBK");
    if (!decoder.isValid())
        return QString::fromLocal8Bit(bytes);
    return decoder.decode(bytes);
}

} // namespace yanlan
