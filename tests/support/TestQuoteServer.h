#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace yanlan::test {

// A real HTTP server on 127.0.0.1 at a port of the system's choosing, serving canned
// replies from a background thread until it goes. Every request is logged with its
// raw request target (the path as sent, percent-escapes and all).
class TestQuoteServer
{
public:
    TestQuoteServer();
    ~TestQuoteServer();
    TestQuoteServer(const TestQuoteServer &) = delete;
    TestQuoteServer &operator=(const TestQuoteServer &) = delete;

    int port() const;
    QString host() const; // "127.0.0.1:<port>", as QuoteSettings::host takes it

    // The reply to a request target such as "/list=sz000001"; the body is sent as is.
    void setReply(const QString &target, int status, const QByteArray &body);
    // A 200 reply to /list=<prefixedCode> with the text encoded as GBK.
    void setQuote(const QString &prefixedCode, const QString &text);
    // The reply to targets without one of their own (404 with an empty body at first).
    void setFallbackReply(int status, const QByteArray &body);
    // Every reply waits this long first (cut short when the server stops).
    void setDelay(int milliseconds);

    // Back to no replies, a 404 fallback, no delay and an empty log.
    void reset();

    QStringList requestedTargets() const;
    int requestCount() const;
    void clearLog();

    // A loopback port nothing listens on (bound once by the system, then let go).
    static int unusedPort();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// A quote reply in the service's format, 33 fields: name, open, previous close, price,
// high, low, bid, ask, volume, turnover, five bids and five asks (volume, price),
// date, time, status. Fields not given are filled with plausible numbers.
QString quoteReply(const QString &prefixedCode, const QStringList &firstFields);
// The reply for a code the service does not know.
QString notFoundReply(const QString &prefixedCode);

} // namespace yanlan::test
