#pragma once

// Small helpers shared by the order tests.

#include "RecordingPrompter.h"
#include "WatchingPrompter.h"
#include "TestLedger.h"
#include "market/QuotePanel.h"
#include "storage/Ledger.h"
#include "trading/OrderInput.h"

#include <QStringList>
#include <QTest>

namespace yanlan::test {

inline const QString SampleCode = QStringLiteral("sz000001");
inline const QString SampleName = QStringLiteral("示例股份");
// A day long gone: journal rows moved there count as bought on an earlier day.
inline const QString EarlierDay = QStringLiteral("2001-02-05 10:00:00");

inline OrderInput orderInput(int account, const QString &quantityText,
                             const QString &priceText = QStringLiteral("4.5"),
                             const QString &codeText = QStringLiteral("000001"))
{
    OrderInput input;
    input.account = AccountCode(account);
    input.codeText = codeText;
    input.priceText = priceText;
    input.quantityText = quantityText;
    return input;
}

inline CurrentQuote sampleQuote(double price, double cash = 100000, int sellable = 0,
                                double heldCost = 0)
{
    CurrentQuote current;
    current.code = SampleCode;
    current.name = SampleName;
    current.price = price;
    current.cash = cash;
    current.heldCost = heldCost;
    current.heldQuantity = sellable;
    current.sellableQuantity = sellable;
    return current;
}

// Every row of the tables an order writes, read over a second connection, so that
// only committed data shows.
inline QStringList committedRows(const QString &path)
{
    Ledger reader;
    if (!reader.open(path))
        qFatal("cannot open the ledger a second time: %s", qPrintable(reader.openError()));
    QStringList out;
    for (const char *sql : {"SELECT * FROM tJXC ORDER BY AutoID", "SELECT * FROM tStore ORDER BY CODE,GP",
                            "SELECT * FROM tAccount ORDER BY Code"}) {
        LedgerRows rows;
        QString error;
        if (!reader.select(QString::fromLatin1(sql), rows, &error))
            qFatal("cannot read the ledger: %s", qPrintable(error));
        for (int r = 0; r < rows.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < rows.columnCount(); ++c)
                cells << rows.text(r, c);
            out << QString::fromLatin1(sql).section(QLatin1Char(' '), 3, 3) + QLatin1Char(':') +
                       cells.join(QLatin1Char('|'));
        }
    }
    return out;
}

} // namespace yanlan::test
