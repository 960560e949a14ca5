#include "TradeHistory.h"

#include "common/Dates.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Text.h"

namespace yanlan {

namespace {

const QString DayOfRow = QStringLiteral("format(dtDate,\"yyyymmdd\")");

// 'yyyy-MM-dd hh:mm:ss' as the ledger stores it; read by hand because a history can
// hold a hundred thousand rows and QDateTime::fromString is slow at that.
QDateTime storedDateTime(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    const QString s = value.toString();
    auto digits = [&s](int from, int count, bool *ok) {
        int n = 0;
        for (int i = from; i < from + count; ++i) {
            if (i >= s.size() || !s.at(i).isDigit()) {
                *ok = false;
                return 0;
            }
            n = n * 10 + s.at(i).digitValue();
        }
        return n;
    };
    bool ok = true;
    const QDate date(digits(0, 4, &ok), digits(5, 2, &ok), digits(8, 2, &ok));
    if (!ok)
        return QDateTime::fromString(s, Qt::ISODate);
    QTime time(0, 0);
    if (s.size() >= 19) {
        const QTime t(digits(11, 2, &ok), digits(14, 2, &ok), digits(17, 2, &ok));
        if (ok)
            time = t;
    }
    return QDateTime(date, time);
}

} // namespace

int historyDirection(const QString &choice)
{
    const QString t = trimText(choice);
    if (t == QStringLiteral("买入"))
        return 1;
    if (t == QStringLiteral("卖出"))
        return 2;
    return 0;
}

QString historyStatement(AccountCode account, const HistoryFilter &filter)
{
    QString sql = QStringLiteral("SELECT * FROM tJXC WHERE CODE=") + account.digitText();
    if (filter.begin.isValid())
        sql += QStringLiteral(" AND ") + DayOfRow + QStringLiteral(" >='") +
               yyyymmdd(filter.begin) + QLatin1Char('\'');
    if (filter.end.isValid())
        sql += QStringLiteral(" AND ") + DayOfRow + QStringLiteral(" <='") +
               yyyymmdd(filter.end) + QLatin1Char('\'');
    if (filter.direction == 1 || filter.direction == 2)
        sql += QStringLiteral(" AND FLAG=") + QString::number(filter.direction);
    const QString text = trimText(filter.text);
    if (!text.isEmpty()) {
        // quotes doubled so typed text stays inside its literal; % and _ keep their meaning
        QString typed = text;
        typed.replace(QLatin1Char('\''), QLatin1String("''"));
        sql += QStringLiteral(" AND (GP like '%") + typed + QStringLiteral("%' OR GPNAME like '%") +
               typed + QStringLiteral("%')");
    }
    return sql + QStringLiteral(" ORDER BY dtDate,AutoID");
}

HistoryResult queryHistory(AccountCode account, const HistoryFilter &filter, Ledger &ledger,
                           Prompter &prompter)
{
    HistoryResult result;
    LedgerRows rows;
    QString error;
    if (!ledger.select(historyStatement(account, filter), rows, &error)) {
        prompter.inform(msg::ReadTableFailed + QLatin1Char('\n') + error);
        return result;
    }
    result.opened = true;

    const int autoId = rows.columnIndex(QStringLiteral("AutoID"));
    const int gp = rows.columnIndex(QStringLiteral("GP"));
    const int gpName = rows.columnIndex(QStringLiteral("GPName"));
    const int dtDate = rows.columnIndex(QStringLiteral("dtDate"));
    const int flag = rows.columnIndex(QStringLiteral("flag"));
    const int sl = rows.columnIndex(QStringLiteral("sl"));
    const int dj = rows.columnIndex(QStringLiteral("dj"));
    const int je = rows.columnIndex(QStringLiteral("je"));
    const int cbj = rows.columnIndex(QStringLiteral("cbj"));

    result.rows.reserve(rows.rowCount());
    for (int i = 0; i < rows.rowCount(); ++i) {
        HistoryRow row;
        row.autoId = rows.integer(i, autoId);
        row.gp = rows.text(i, gp);
        row.gpName = rows.text(i, gpName);
        row.dtDate = storedDateTime(rows.value(i, dtDate));
        row.flag = static_cast<int>(rows.integer(i, flag));
        row.sl = rows.integer(i, sl);
        row.dj = rows.number(i, dj);
        row.je = rows.number(i, je);
        if (!rows.value(i, cbj).isNull())
            row.cbj = rows.number(i, cbj);
        if (row.flag == 2)
            row.sy = roundTo2((row.dj - row.cbj.value_or(0)) * row.sl);
        result.rows.append(std::move(row));
    }
    return result;
}

} // namespace yanlan
