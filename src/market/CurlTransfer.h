#pragma once

#include "QuoteClient.h"

#include <QByteArray>

#include <curl/curl.h>

namespace yanlan::detail {

// curl_global_init, once per process, safe from any thread.
void initCurlOnce();

// http://HOST/list=<percent-encoded prefixed code>
QByteArray quoteUrl(const QuoteSettings &settings, const QString &prefixedCode);

// What one transfer collects. Stays at one address while its handle is in use,
// because the handle keeps pointers to it.
class CurlTransfer
{
public:
    CurlTransfer() = default;
    CurlTransfer(const CurlTransfer &) = delete;
    CurlTransfer &operator=(const CurlTransfer &) = delete;

    // Sets every option of a GET for the code on the handle and clears what was collected.
    void prepare(CURL *handle, const QuoteSettings &settings, const QString &prefixedCode);
    // The outcome once the handle has finished with the given code.
    FetchResult finish(CURL *handle, CURLcode code) const;

private:
    static size_t collectBody(char *data, size_t size, size_t count, void *self);
    static size_t collectHeader(char *data, size_t size, size_t count, void *self);

    QByteArray m_body;
    QByteArray m_statusLine;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
};

} // namespace yanlan::detail
