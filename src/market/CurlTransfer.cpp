#include "CurlTransfer.h"

#include "common/Text.h"

#include <QUrl>

namespace yanlan::detail {

void initCurlOnce()
{
    static const bool initialized = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return true;
    }();
    (void)initialized;
}

QByteArray quoteUrl(const QuoteSettings &settings, const QString &prefixedCode)
{
    // everything but letters, digits and -._~ is escaped, so a code cannot change the
    // request line or the path; the "sz"/"sh" prefix is letters and stays as it is
    return "http://" + settings.host.toUtf8() + "/list=" + QUrl::toPercentEncoding(prefixedCode);
}

void CurlTransfer::prepare(CURL *handle, const QuoteSettings &settings, const QString &prefixedCode)
{
    m_body.clear();
    m_statusLine.clear();
    m_errorBuffer[0] = '\0';

    const long timeout = settings.timeoutSeconds > 0 ? settings.timeoutSeconds : 5;
    curl_easy_setopt(handle, CURLOPT_URL, quoteUrl(settings, prefixedCode).constData());
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, timeout);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, timeout);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CurlTransfer::collectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &CurlTransfer::collectHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, this);
}

FetchResult CurlTransfer::finish(CURL *handle, CURLcode code) const
{
    FetchResult result;
    if (code != CURLE_OK) {
        result.error = QString::fromUtf8(curl_easy_strerror(code));
        const QString detail = trimText(QString::fromUtf8(m_errorBuffer));
        if (!detail.isEmpty())
            result.error += QStringLiteral(": ") + detail;
        return result;
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) {
        result.error = QStringLiteral("HTTP %1").arg(status);
        // "HTTP/1.1 500 Internal Server Error": the reason follows the second blank
        const QList<QByteArray> parts = trimBytes(m_statusLine).split(' ');
        if (parts.size() > 2)
            result.error += QLatin1Char(' ') + QString::fromLatin1(parts.mid(2).join(' '));
        return result;
    }
    result.ok = true;
    result.body = fromGbk(m_body);
    return result;
}

size_t CurlTransfer::collectBody(char *data, size_t size, size_t count, void *self)
{
    const size_t bytes = size * count;
    static_cast<CurlTransfer *>(self)->m_body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

size_t CurlTransfer::collectHeader(char *data, size_t size, size_t count, void *self)
{
    const size_t bytes = size * count;
    const QByteArray line(data, static_cast<qsizetype>(bytes));
    // the last status line wins (a "100 Continue" may come first)
    if (line.startsWith("HTTP/"))
        static_cast<CurlTransfer *>(self)->m_statusLine = line;
    return bytes;
}

} // namespace yanlan::detail
