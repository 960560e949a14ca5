#include "TradeHistory.h"

#include "common/Dates.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Text.h"

namespace yanlan {

namespace {

const QString DayOfRow = QStringLiteral("format(dtDate,\"yyyymmdd\")");

// Reads dtDate as the ledger stores it, 'yyyy-MM-dd hh:mm:ss'. By hand, because a history
// can hold a hundred thousand rows and QDateTime::fromString is slow at that; the trades of
// one day come together, so the date of the previous row is kept.
class StoredDateTimeReader
{
public:
    QDateTime read(const QVariant &value)
    {
        if (value.metaType().id() == QMetaType::QDateTime)
            return value.toDateTime();
        const QString text = value.toString();
        if (text.size() < 10 || !hasDigits(text, 0, 4) || !hasDigits(text, 5, 2) ||
            !hasDigits(text, 8, 2))
            return QDateTime::fromString(text, Qt::ISODate);
        const QStringView day = QStringView(text).left(10);
        if (day != m_day) {
            m_day = day.toString();
            m_date = QDate(number(text, 0, 4), number(text, 5, 2), number(text, 8, 2));
        }
        QTime time(0, 0);
        if (text.size() >= 19 && hasDigits(text, 11, 2) && hasDigits(text, 14, 2) &&
            hasDigits(text, 17, 2))
            time = QTime(number(text, 11, 2), number(text, 14, 2), number(text, 17, 2));
        return QDateTime(m_date, time);
    }

private:
    static bool hasDigits(const QString &text, int from, int count)
    {
        for (int i = from; i < from + count; ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < u'0' || c > u'9')
                return false;
        }
        return true;
    }
    static int number(const QString &text, int from, int count)
    {
        int n = 0;
        for (int i = from; i < from + count; ++i)
            n = n * 10 + (text.at(i).unicode() - u'0');
        return n;
    }

    QString m_day;
    QDate m_date;
};

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
        prompter.inform(reportFailureText(msg::ReadTableFailed, error));
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

    StoredDateTimeReader dates;
    result.rows.reserve(rows.rowCount());
    for (int i = 0; i < rows.rowCount(); ++i) {
        HistoryRow row;
        row.autoId = rows.integer(i, autoId);
        row.gp = rows.text(i, gp);
        row.gpName = rows.text(i, gpName);
        row.dtDate = dates.read(rows.value(i, dtDate));
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
