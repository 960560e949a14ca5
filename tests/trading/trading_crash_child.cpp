// yanlan_trading_crash_child LEDGER SEED [ORDERS]
//
// The child process of tst_trading_crash. It places buy and sell orders on the
// ledger file LEDGER through placeBuyOrder/placeSellOrder, one after the other,
// until it is killed, or until ORDERS orders are done when that is given.
//
// Stocks, sides, prices and quantities come from a random generator seeded with
// SEED. Before each order the account's cash, position and today's buys are read
// from the ledger with the quote panels' statements, and the quantity is chosen
// so that the order passes its checks (enough cash; no more than the sellable
// quantity), so every order is one the program accepts.
//
// Standard output: "started" once the ledger is open, then "done" after each
// completed order, one line each, written at once. An order that does not end
// Done stops the process with exit code 3 and the reason on standard error;
// wrong arguments or an unopenable ledger give exit code 2.

#include "LedgerQuote.h"
#include "common/NumberFormat.h"
#include "trading/BuyOrder.h"
#include "trading/SellOrder.h"

#include <QCoreApplication>
#include <QDate>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <random>

using namespace yanlan;

namespace {

// Answers every question with Yes and keeps the last message for the error report.
class YesPrompter : public Prompter
{
public:
    void inform(const QString &text) override { lastMessage = text; }
    bool confirm(const QString &) override { return true; }
    QString lastMessage;
};

struct Stock
{
    const char *code;
    const char *name;
};

const Stock Stocks[] = {
    {"sz000001", "示例股份"},
    {"sh600000", "浦江银行"},
    {"sz300750", "宁港时代"},
    {"sh601318", "平顺保险"},
};

void say(const char *line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool seedOk = false;
    const quint32 seed = args.size() >= 3 ? args.at(2).toUInt(&seedOk) : 0;
    const qint64 limit = args.size() >= 4 ? args.at(3).toLongLong() : -1;
    if (!seedOk) {
        std::fprintf(stderr, "usage: %s LEDGER SEED [ORDERS]\n", argv[0]);
        return 2;
    }

    Ledger ledger;
    if (!ledger.open(args.at(1))) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(args.at(1)), qPrintable(ledger.openError()));
        return 2;
    }
    say("started");

    std::mt19937 rng(seed);
    auto between = [&rng](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    YesPrompter prompter;

    for (qint64 done = 0; limit < 0 || done < limit;) {
        const AccountCode account(between(1, 3));
        const Stock &stock = Stocks[between(0, 3)];
        // cents, and now and then a third decimal that the statements have to round
        double price = between(100, 3000) / 100.0;
        if (between(0, 1) == 1)
            price += between(1, 9) / 1000.0;

        CurrentQuote current;
        QString error;
        if (!test::quoteFromLedger(ledger, account, QString::fromUtf8(stock.code),
                                   QString::fromUtf8(stock.name), price, QDate::currentDate(), current,
                                   &error)) {
            std::fprintf(stderr, "lookup failed: %s\n", qPrintable(error));
            return 3;
        }

        OrderInput input;
        input.account = account;
        input.codeText = QString::fromUtf8(stock.code).mid(2);
        input.priceText = formatShort(price);

        OrderOutcome outcome;
        if (between(0, 1) == 1 && current.sellableQuantity > 0) {
            input.quantityText = QString::number(between(1, std::min(current.sellableQuantity, 300)));
            outcome = placeSellOrder(input, current, ledger, prompter);
        } else {
            int quantity = between(1, 300);
            while (quantity > 0 && roundTo2(current.cash) < roundTo2(quantity * price))
                quantity /= 2;
            if (quantity == 0)
                continue; // this account cannot pay for this stock now
            input.quantityText = QString::number(quantity);
            outcome = placeBuyOrder(input, current, ledger, prompter);
        }
        if (outcome != OrderOutcome::Done) {
            std::fprintf(stderr, "order not done (%d): %s\n", static_cast<int>(outcome),
                         qPrintable(prompter.lastMessage));
            return 3;
        }
        say("done");
        ++done;
    }
    return 0;
}
