#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace yanlan {

// Where quotes come from and how long we wait for them.
struct QuoteSettings
{
    // "HOST[:PORT]" of the quote service; the bundled simulated service by default.
    QString host = QStringLiteral("127.0.0.1:18080");
    // Both the connect time-out and the time-out of a whole request.
    int timeoutSeconds = 5;
    // Transfers in flight at once when many quotes are fetched together.
    int maxConcurrent = 32;
    QString stockListUrl = defaultStockListUrl();

    static QString defaultStockListUrl();

    // Command line (--quote-host, --quote-timeout, --quote-concurrency, --stock-list-url,
    // each as "--opt value" or "--opt=value") over the environment (YANLAN_QUOTE_HOST,
    // YANLAN_QUOTE_TIMEOUT, YANLAN_QUOTE_CONCURRENCY, YANLAN_STOCK_LIST_URL) over the
    // defaults. A value that is empty, or a number that is unreadable or not positive,
    // is passed over: the weaker source (or the default) stays.
    static QuoteSettings resolve(const QStringList &arguments, const QProcessEnvironment &env);
};

} // namespace yanlan
