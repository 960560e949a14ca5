#pragma once

#include "QuoteSettings.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

namespace yanlan {

struct FetchResult
{
    bool ok = false;
    QString body;  // the reply decoded from GBK, when ok
    QString error; // curl's message or "HTTP <status> <reason>", when not ok
};

// Plain HTTP GETs of http://HOST/list=<prefixed code> on one reused connection handle.
// Use one client per lookup, from one thread.
class QuoteClient
{
public:
    explicit QuoteClient(const QuoteSettings &settings);
    ~QuoteClient();
    QuoteClient(const QuoteClient &) = delete;
    QuoteClient &operator=(const QuoteClient &) = delete;

    // prefixedCode such as "sz000001"; it is percent-encoded into the path.
    FetchResult fetch(const QString &prefixedCode);
    // Requests this client has made, failed ones included.
    int requestCount() const { return m_requestCount; }

private:
    struct Handle;
    QuoteSettings m_settings;
    std::unique_ptr<Handle> m_handle;
    int m_requestCount = 0;
};

// A reply that names no security: the service answers `var hq_str_sz123456="";`.
bool isNotFoundBody(const QString &body);

struct LookupResult
{
    enum class Status { Found, NotFound, ReadFailed };
    Status status = Status::ReadFailed;
    QString prefixedCode; // the request whose reply is in body ("sz..." or "sh...")
    QString body;
    QString error; // why the read failed (not shown to the user alone)
    int requests = 0;
};

// Looks a six-digit code up in Shenzhen first, then in Shanghai. A failed request ends
// the lookup. A reply that is found but is not a full quote counts as a failed read.
LookupResult lookupQuote(const QuoteSettings &settings, const QString &code);

// The replies for many codes, fetched at most settings.maxConcurrent at a time,
// in the order of the codes.
QVector<FetchResult> fetchQuotesConcurrently(const QuoteSettings &settings,
                                             const QStringList &prefixedCodes);

} // namespace yanlan
