// A ledger of 100,000 journal rows over 500 stocks: valuing every holding (quotes
// answered at once) and listing the whole trade history with its footer.
#include "BenchSupport.h"

#include "reports/HistoryModel.h"
#include "reports/HoldingsValuation.h"
#include "reports/TradeHistory.h"
#include "storage/Ledger.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlQuery>

#include <cstdio>

using namespace yanlan;
using namespace yanlan::bench;

namespace {

constexpr int StockCount = 500;
constexpr int RowsPerStock = 200; // one trade a day: 120 buys, then 80 sells, so every stock stays held
constexpr int BuysPerStock = 120;
constexpr int JournalRows = StockCount * RowsPerStock;

// The journal is written in time order, as trades append to it: day by day, each day's
// trades of every stock.
bool fillLedger(Ledger &ledger, const QStringList &codes, QString *error)
{
    LedgerTransaction transaction(ledger);
    if (!transaction.begin(error))
        return false;
    QSqlQuery trade(ledger.database());
    trade.prepare(QStringLiteral("INSERT INTO tJXC (Code,GP,GPName,sl,dj,je,cbj,flag,dtDate) "
                                 "VALUES (1,?,?,100,?,?,?,?,?)"));
    const QDateTime first(QDate(2024, 1, 2), QTime(9, 30));
    for (int day = 0; day < RowsPerStock; ++day) {
        const bool buy = day < BuysPerStock;
        const double price = 10 + (day % 10) * 0.1;
        for (int s = 0; s < codes.size(); ++s) {
            const QString &code = codes.at(s);
            trade.addBindValue(code);
            trade.addBindValue(QStringLiteral("股票") + code.mid(2));
            trade.addBindValue(price);
            trade.addBindValue(price * 100);
            trade.addBindValue(buy ? QVariant() : QVariant(10.0));
            trade.addBindValue(buy ? 1 : 2);
            trade.addBindValue(first.addDays(day).addSecs(s * 7)
                                   .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
            if (!trade.exec()) {
                *error = QStringLiteral("cannot fill the journal");
                return false;
            }
        }
    }
    QSqlQuery store(ledger.database());
    store.prepare(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,?,?,10)"));
    for (const QString &code : codes) {
        store.addBindValue(code);
        store.addBindValue((2 * BuysPerStock - RowsPerStock) * 100);
        if (!store.exec()) {
            *error = QStringLiteral("cannot fill the stock records");
            return false;
        }
    }
    return transaction.commit(error);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const BenchOptions options = BenchOptions::fromArguments(app.arguments());

    BenchWorld world;
    if (!world.prepare(options, StockCount, 0, fillLedger))
        return 1;
    Ledger &ledger = world.ledger;

    // the program's own quote settings, pointed at the local service
    QuoteSettings settings;
    settings.host = world.market->host();
    SystemClock clock;
    ConsolePrompter prompter;

    QElapsedTimer timer;
    timer.start();
    const HoldingsRefresh refresh = refreshHoldings(AccountCode(1), ledger, settings, clock, prompter);
    const double valuationMs = elapsedMs(timer);
    if (!refresh.completed || refresh.rows.size() != StockCount || prompter.messages != 0) {
        std::fprintf(stderr, "the valuation did not value all %d stocks\n", StockCount);
        return 1;
    }

    timer.restart();
    HistoryResult history = queryHistory(AccountCode(1), HistoryFilter{}, ledger, prompter);
    HistoryModel model;
    model.setRows(std::move(history.rows), false);
    const QString footer = model.displayText(model.dataRowCount(), HistoryModel::Je);
    const double historyMs = elapsedMs(timer);
    if (!history.opened || model.dataRowCount() != JournalRows || footer.isEmpty()) {
        std::fprintf(stderr, "the history did not list all %d rows\n", JournalRows);
        return 1;
    }

    printFigure("valuation_db", valuationMs, "ms");
    printFigure("history_query", historyMs, "ms");
    printFigure("peak_rss", peakRssMiB(), "MiB");
    return 0;
}
