#include "QuoteClient.h"

#include "CurlTransfer.h"
#include "StockQuote.h"
#include "common/Text.h"

namespace yanlan {

namespace {
constexpr int MinimumQuoteFields = 30; // name .. the fifth ask price
}

struct QuoteClient::Handle
{
    CURL *curl = nullptr;
    detail::CurlTransfer transfer;

    Handle() : curl(curl_easy_init()) {}
    ~Handle()
    {
        if (curl)
            curl_easy_cleanup(curl);
    }
};

QuoteClient::QuoteClient(const QuoteSettings &settings) : m_settings(settings)
{
    detail::initCurlOnce();
    m_handle = std::make_unique<Handle>();
}

QuoteClient::~QuoteClient() = default;

FetchResult QuoteClient::fetch(const QString &prefixedCode)
{
    ++m_requestCount;
    if (!m_handle->curl) {
        FetchResult result;
        result.error = QStringLiteral("cannot start an HTTP transfer");
        return result;
    }
    m_handle->transfer.prepare(m_handle->curl, m_settings, prefixedCode);
    const CURLcode code = curl_easy_perform(m_handle->curl);
    return m_handle->transfer.finish(m_handle->curl, code);
}

bool isNotFoundBody(const QString &body)
{
    return body.contains(QLatin1String("=\"\""));
}

LookupResult lookupQuote(const QuoteSettings &settings, const QString &code)
{
    const QString trimmed = trimText(code);
    QuoteClient client(settings);
    LookupResult result;

    FetchResult reply;
    for (const QLatin1String prefix : {QLatin1String("sz"), QLatin1String("sh")}) {
        result.prefixedCode = prefix + trimmed;
        reply = client.fetch(result.prefixedCode);
        result.requests = client.requestCount();
        if (!reply.ok) {
            result.status = LookupResult::Status::ReadFailed;
            result.error = reply.error;
            return result;
        }
        if (!isNotFoundBody(reply.body))
            break;
    }
    result.body = reply.body;
    if (isNotFoundBody(reply.body)) {
        result.status = LookupResult::Status::NotFound;
        return result;
    }

    if (!reply.body.contains(QLatin1Char('"'))) {
        result.status = LookupResult::Status::ReadFailed;
        result.error = QStringLiteral("malformed quote reply: no double quote");
        return result;
    }
    const int fieldCount = parseQuote(reply.body).fieldCount();
    if (fieldCount < MinimumQuoteFields) {
        result.status = LookupResult::Status::ReadFailed;
        result.error = QStringLiteral("malformed quote reply: %1 fields").arg(fieldCount);
        return result;
    }
    result.status = LookupResult::Status::Found;
    return result;
}

} // namespace yanlan
