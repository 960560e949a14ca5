// Valuing 100 held stocks against a quote service that takes 50 ms an answer: the
// concurrent fetch of the holdings refresh against fetching the same codes one by one.
#include "BenchSupport.h"

#include "market/QuoteClient.h"
#include "reports/HoldingsValuation.h"
#include "storage/Ledger.h"

#include <QCoreApplication>
#include <QSqlQuery>

#include <cstdio>

using namespace yanlan;
using namespace yanlan::bench;

namespace {

constexpr int StockCount = 100;
constexpr int LatencyMs = 50;

bool fillLedger(Ledger &ledger, const QStringList &codes, QString *error)
{
    LedgerTransaction transaction(ledger);
    if (!transaction.begin(error))
        return false;
    QSqlQuery trade(ledger.database());
    trade.prepare(QStringLiteral("INSERT INTO tJXC (Code,GP,GPName,sl,dj,je,flag,dtDate) "
                                 "VALUES (1,?,?,1000,10,10000,1,'2025-06-02 10:00:00')"));
    QSqlQuery store(ledger.database());
    store.prepare(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,?,1000,10)"));
    for (const QString &code : codes) {
        trade.addBindValue(code);
        trade.addBindValue(QStringLiteral("股票") + code.mid(2));
        store.addBindValue(code);
        if (!trade.exec() || !store.exec()) {
            *error = QStringLiteral("cannot fill the ledger");
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
    if (!world.prepare(options, StockCount, LatencyMs, fillLedger))
        return 1;
    const QStringList &codes = world.codes;
    Ledger &ledger = world.ledger;

    QuoteSettings settings;
    settings.host = world.market->host();
    // The program fetches QuoteSettings{}.maxConcurrent quotes at a time (32, or
    // --quote-concurrency / YANLAN_QUOTE_CONCURRENCY). Here every one of the 100 codes
    // may be in flight at once, so the figure shows what concurrency itself buys.
    const int programDefault = settings.maxConcurrent;
    settings.maxConcurrent = StockCount;
    SystemClock clock;
    ConsolePrompter prompter;

    // one answer first, so that neither run pays for the service's start
    QuoteClient(settings).fetch(codes.first());

    QElapsedTimer timer;
    timer.start();
    const HoldingsRefresh refresh = refreshHoldings(AccountCode(1), ledger, settings, clock, prompter);
    const double concurrentMs = elapsedMs(timer);
    if (!refresh.completed || refresh.rows.size() != StockCount || prompter.messages != 0) {
        std::fprintf(stderr, "the refresh did not value all %d stocks\n", StockCount);
        return 1;
    }

    timer.restart();
    QuoteClient client(settings);
    for (const QString &code : codes) {
        if (!client.fetch(code).ok) {
            std::fprintf(stderr, "a one-by-one fetch of %s failed\n", qPrintable(code));
            return 1;
        }
    }
    const double sequentialMs = elapsedMs(timer);

    QuoteSettings programSettings = settings;
    programSettings.maxConcurrent = programDefault;
    timer.restart();
    const HoldingsRefresh atDefault =
        refreshHoldings(AccountCode(1), ledger, programSettings, clock, prompter);
    const double defaultMs = elapsedMs(timer);
    if (!atDefault.completed || prompter.messages != 0)
        return 1;

    printFigure("refresh_concurrent", concurrentMs, "ms");
    printFigure("refresh_sequential", sequentialMs, "ms");
    printFigure("refresh_speedup", sequentialMs / concurrentMs, "x");
    printFigure("refresh_concurrent_at_default_setting", defaultMs, "ms");
    return 0;
}
