#pragma once

#include <QString>

namespace yanlan {

// A fixed failure text, one carriage return (character 13 alone) and the engine's message.
inline QString failureText(const QString &fixedText, const QString &detail)
{
    return fixedText + QChar(13) + detail;
}

// The reports put a line break between the fixed text and the detail.
inline QString reportFailureText(const QString &fixedText, const QString &detail)
{
    return fixedText + QLatin1Char('\n') + detail;
}

// Fixed texts shared by several screens.
namespace msg {
inline const QString ReadTableFailed = QStringLiteral("对不起,读取数据表失败!");
inline const QString ReadQuoteFailed = QStringLiteral("对不起,读取股票数据失败!");
inline const QString QuoteNotFound = QStringLiteral("股票代码没有被发现，请检查股票代码!");
inline const QString ConnectFailed = QStringLiteral("对不起,连接数据库失败!");
} // namespace msg

} // namespace yanlan
