#pragma once

#include <QString>
#include <array>

namespace yanlan {

// The number of a simulated account: 1 short-term (DX), 2 medium-term (ZX), 3 long-term (CX).
class AccountCode
{
public:
    constexpr explicit AccountCode(int digit) : m_digit(digit >= 1 && digit <= 3 ? digit : 1) {}

    constexpr int digit() const { return m_digit; }
    QString digitText() const { return QString::number(m_digit); }
    QString prefix() const;        // "DX", "ZX", "CX"
    QString defaultTitle() const;  // "短线试验", "中线操作", "长线投资"

    static std::array<AccountCode, 3> all() { return {AccountCode(1), AccountCode(2), AccountCode(3)}; }

    friend constexpr bool operator==(AccountCode a, AccountCode b) { return a.m_digit == b.m_digit; }

private:
    int m_digit;
};

// Trade direction of a journal row.
enum class TradeFlag { Buy = 1, Sell = 2 };

} // namespace yanlan
