#pragma once

#include <QByteArray>
#include <QString>

namespace yanlan {

// The stored form of a password: a byte-wise stream cipher over the password's
// 8-bit (GBK) bytes, each scrambled byte written as two capital letters.
QString scramblePassword(const QByteArray &bytes);
// The inverse; a last, unpaired letter is ignored.
QByteArray unscramblePassword(const QString &scrambled);

// What the login and the password change store and compare: the typed text
// trimmed, upper-cased (ASCII only), in GBK, scrambled, trimmed.
QString scrambleTypedPassword(const QString &typed);
// The remembered password put back into the password field.
QString unscrambleToText(const QString &scrambled);

} // namespace yanlan
