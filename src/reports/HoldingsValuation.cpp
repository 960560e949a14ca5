#include "HoldingsValuation.h"

#include "common/Dates.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Text.h"
#include "market/QuoteClient.h"
#include "market/StockQuote.h"

#include <QHash>

#include <algorithm>

namespace yanlan {

namespace {

// A quote with fewer fields has no price.
constexpr int MinimumValuationFields = 4;

QString readFailure(const QString &detail)
{
    return reportFailureText(msg::ReadTableFailed, detail);
}

// One security of the account's list of bought securities.
struct ListedStock
{
    QString gp;          // trimmed code as first listed
    QString name;        // the only name it was bought under, until a second one shows
    bool renamed = false; // bought under more than one name
};

// Rows of the distinct (GP, GPNAME) list merged into one entry per code, in the order
// codes first appear.
QVector<ListedStock> groupByCode(const LedgerRows &list)
{
    QVector<ListedStock> stocks;
    QHash<QString, int> byCode;
    for (int i = 0; i < list.rowCount(); ++i) {
        const QString gp = trimText(list.text(i, 0));
        const QString name = trimText(list.text(i, 1));
        // the ledger compares codes without regard to case, so grouping does too
        const QString key = gp.toLower();
        const auto found = byCode.constFind(key);
        if (found == byCode.cend()) {
            byCode.insert(key, static_cast<int>(stocks.size()));
            stocks.append({gp, name, false});
        } else if (stocks[*found].name != name) {
            stocks[*found].renamed = true;
        }
    }
    return stocks;
}

// What the ledger says about one security of the list.
struct Position
{
    QString name;
    qint64 bought = 0;        // B
    double boughtAmount = 0;  // A
    qint64 boughtToday = 0;   // T
    qint64 sold = 0;          // S
    double realised = 0;      // R: what the sells made over their cost
    double cost = 0;          // C
    bool held() const { return bought - sold != 0; }
};

// Runs the statements of one security; false with the engine's message on failure.
bool readPosition(const QString &account, const ListedStock &stock, const QString &today,
                  Ledger &ledger, Position &position, QString *error)
{
    const QString g = sqlLiteral(stock.gp);
    LedgerRows rows;
    position.name = stock.name;
    if (stock.renamed) {
        // named after the latest buy
        if (!ledger.select(QStringLiteral("SELECT GPNAME FROM tJXC WHERE code=%1 AND flag=1 AND "
                                          "GP=%2 ORDER BY dtDate DESC,AutoID DESC")
                               .arg(account, g),
                           rows, error))
            return false;
        position.name = trimText(rows.text(0, 0));
    }
    if (!ledger.select(QStringLiteral("SELECT SUM(IIF(SL IS NULL,0,SL)),SUM(IIF(JE IS NULL,0,JE)) "
                                      "FROM tJXC WHERE code=%1 AND flag=1 AND GP=")
                               .arg(account) + g,
                       rows, error))
        return false;
    position.bought = rows.integer(0, 0);
    position.boughtAmount = rows.number(0, 1);

    if (!ledger.select(QStringLiteral("SELECT SUM(IIF(SL IS NULL,0,SL)) FROM tJXC WHERE code=%1 "
                                      "AND flag=1 AND GP=")
                               .arg(account) + g +
                           QStringLiteral(" AND format(dtDate,\"yyyymmdd\")=") + sqlLiteral(today),
                       rows, error))
        return false;
    position.boughtToday = rows.integer(0, 0);

    if (!ledger.select(QStringLiteral("SELECT SUM(IIF(SL IS NULL,0,SL)),SUM((IIF(DJ IS NULL,0,DJ)-"
                                      "IIF(CBJ IS NULL,0,CBJ))*IIF(SL IS NULL,0,SL)) FROM tJXC "
                                      "WHERE code=%1 AND flag=2 AND GP=")
                               .arg(account) + g,
                       rows, error))
        return false;
    position.sold = rows.integer(0, 0);
    position.realised = rows.number(0, 1);

    if (!position.held())
        return true;
    if (!ledger.select(QStringLiteral("SELECT cbj FROM tStore WHERE code=%1 AND GP=").arg(account) + g,
                       rows, error))
        return false;
    position.cost = rows.number(0, 0);
    return true;
}

// The message a reply earns when it cannot value a security; none for a usable quote.
std::optional<QString> quoteFailure(const FetchResult &reply, StockQuote &quote)
{
    if (!reply.ok)
        return reportFailureText(msg::ReadQuoteFailed, reply.error);
    if (isNotFoundBody(reply.body))
        return msg::QuoteNotFound;
    if (!reply.body.contains(QLatin1Char('"')))
        return readFailure(QStringLiteral("行情数据格式错误: no double quote"));
    quote = parseQuote(reply.body);
    if (quote.fieldCount() < MinimumValuationFields)
        return readFailure(QStringLiteral("行情数据格式错误: %1 fields").arg(quote.fieldCount()));
    return std::nullopt;
}

HoldingRow valuedRow(const QString &gp, const Position &position, const StockQuote &quote)
{
    HoldingRow row;
    row.gp = gp;
    row.gpCode = gp.mid(2);
    row.gpName = position.name;
    row.zqsl = static_cast<int>(position.bought - position.sold);
    row.kmsl = static_cast<int>(position.bought - position.boughtToday - position.sold);
    double price = quote.number(StockQuote::PriceField);
    if (price == 0) // no trade yet today: the previous close
        price = quote.number(StockQuote::PrevCloseField);
    row.cbj = roundTo2(position.cost);
    row.curDj = price;
    row.cgje = row.zqsl * row.curDj;
    row.fdyk = roundTo2((row.curDj - row.cbj) * row.zqsl + position.realised);
    if (position.boughtAmount != 0)
        row.ykl = textToNumber(formatShort(row.fdyk * 100 / position.boughtAmount));
    return row;
}

} // namespace

HoldingsRefresh refreshHoldings(AccountCode account, Ledger &ledger, const QuoteSettings &quotes,
                                const Clock &clock, Prompter &prompter)
{
    HoldingsRefresh result;
    const QString d = account.digitText();

    LedgerRows list;
    QString error;
    if (!ledger.select(QStringLiteral("SELECT distinct GP,GPNAME FROM tJXC WHERE code=%1 and flag=1")
                           .arg(d),
                       list, &error)) {
        prompter.inform(readFailure(error));
        return result;
    }
    result.listOpened = true;
    result.listRowCount = list.rowCount();
    const QVector<ListedStock> stocks = groupByCode(list);

    // All statements first, up to the first that fails: the walk ends there.
    const QString today = yyyymmdd(clock.today());
    QVector<Position> positions;
    positions.reserve(stocks.size());
    qsizetype failedStatementAt = stocks.size();
    QString statementError;
    for (qsizetype i = 0; i < stocks.size(); ++i) {
        Position position;
        if (!readPosition(d, stocks.at(i), today, ledger, position, &statementError)) {
            failedStatementAt = i;
            break;
        }
        positions.append(position);
    }

    // Then the quotes of every held security the walk reaches, all at once.
    QStringList heldCodes;
    for (qsizetype i = 0; i < positions.size(); ++i) {
        if (positions.at(i).held())
            heldCodes << stocks.at(i).gp;
    }
    const QVector<FetchResult> replies = fetchQuotesConcurrently(quotes, heldCodes);

    // Then the walk itself, in list order, stopping where a one-by-one walk would have.
    double marketValue = 0;
    qsizetype reply = 0;
    bool stopped = false;
    for (qsizetype i = 0; i < positions.size(); ++i) {
        const Position &position = positions.at(i);
        if (!position.held())
            continue;
        StockQuote quote;
        if (const auto failure = quoteFailure(replies.at(reply++), quote)) {
            prompter.inform(*failure);
            stopped = true;
            break;
        }
        result.rows.append(valuedRow(stocks.at(i).gp, position, quote));
        marketValue += result.rows.constLast().cgje;
    }
    if (!stopped && failedStatementAt < stocks.size()) {
        prompter.inform(readFailure(statementError));
        stopped = true;
    }

    std::stable_sort(result.rows.begin(), result.rows.end(),
                     [](const HoldingRow &a, const HoldingRow &b) { return a.gpCode < b.gpCode; });
    if (stopped)
        return result;
    result.completed = true;
    result.summary = computeSummary(account, marketValue, ledger, prompter);
    return result;
}

} // namespace yanlan
