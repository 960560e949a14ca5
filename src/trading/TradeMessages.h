#pragma once

#include <QString>

namespace yanlan::msg::trade {

inline const QString CodeEmpty = QStringLiteral("对不起,证券代码不能为空!");
inline const QString Suspended = QStringLiteral("对不起,该股已停牌,不能交易!");
inline const QString QuantityEmpty = QStringLiteral("对不起,数量不能为空或零!");
inline const QString QuantityNotWhole = QStringLiteral("对不起,数量只能为整数!");
inline const QString QuantityNegative = QStringLiteral("对不起,数量不能为负数!");
inline const QString QuantityTooLarge = QStringLiteral("对不起,数量超出范围!");
inline const QString PositionTooLarge = QStringLiteral("对不起,持仓数量超出范围!");
inline const QString CashShort = QStringLiteral("对不起,帐户余额不足!");

inline QString sellableExceeded(int sellable)
{
    return QStringLiteral("对不起,卖出数量不能大于可卖数量(") + QString::number(sellable) +
           QStringLiteral(")!");
}

inline const QString ConfirmBuy = QStringLiteral("请确认是否买入");
inline const QString ConfirmSell = QStringLiteral("请确认是否卖出");

inline const QString BuyFailed = QStringLiteral("对不起,买入失败!");
inline const QString SellFailed = QStringLiteral("对不起,卖出失败!");
inline const QString BuyDone = QStringLiteral("买入成功!");
inline const QString SellDone = QStringLiteral("卖出成功!");

} // namespace yanlan::msg::trade
