#pragma once

#include <QByteArray>
#include <QString>

namespace yanlan {

// Removes characters whose code is 32 or less from both ends.
QString trimText(const QString &text);
QByteArray trimBytes(const QByteArray &bytes);

// Upper-cases only the ASCII letters a to z; every other character stays.
QString asciiUpper(const QString &text);
QByteArray asciiUpper(const QByteArray &bytes);

// A text between single quotes with every single quote inside doubled.
QString sqlLiteral(const QString &text);

// The program's 8-bit text (GBK) and back.
QByteArray toGbk(const QString &text);
QString fromGbk(const QByteArray &bytes);

} // namespace yanlan
