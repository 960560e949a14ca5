// yanlan-market: a simulated quote service answering /list=<code> in the usual
// `var hq_str_...` form, plus a browsable list of every quoted security.

#include "QuoteEngine.h"
#include "Universe.h"

#include <httplib.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QRandomGenerator>
#include <QStringEncoder>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

using namespace market;

namespace {

enum class Malformed { NoQuote, Short, Empty, Garbage };

struct Options {
    QString host = QStringLiteral("127.0.0.1");
    int port = 18080;
    std::optional<std::uint64_t> seed;
    int latencyMs = 0;
    QHash<QString, int> failures;          // prefixed code → HTTP status
    QHash<QString, Malformed> malformed;   // prefixed code → kind of broken answer
};

const char kJavascript[] = "application/javascript; charset=GBK";

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "yanlan-market: %s\n", qPrintable(message));
    std::exit(2);
}

// Splits "CODE=VALUE"; the code is compared in lower case like the quote paths.
std::pair<QString, QString> codeAssignment(const QString &option, const QString &text)
{
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0 || eq == text.size() - 1)
        fail(QStringLiteral("--%1 expects CODE=VALUE, got \"%2\"").arg(option, text));
    return {text.left(eq).trimmed().toLower(), text.mid(eq + 1).trimmed()};
}

Options parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated A-share quote service.\n"
        "  GET /list=<code>[,<code>...]     quote lines, e.g. /list=sz000001\n"
        "  GET /finance/stockscreener       HTML table of every quoted security"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("listen"),
                      QStringLiteral("Address to listen on; port 0 picks a free port (default 127.0.0.1:18080)."),
                      QStringLiteral("HOST:PORT")});
    parser.addOption({QStringLiteral("seed"),
                      QStringLiteral("Fixed figures depending only on N and the code, not on date or time."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("latency-ms"),
                      QStringLiteral("Wait N milliseconds before answering each request."), QStringLiteral("N")});
    parser.addOption({QStringLiteral("fail"),
                      QStringLiteral("Answer quotes of CODE with HTTP STATUS (repeatable), e.g. sz000002=500."),
                      QStringLiteral("CODE=STATUS")});
    parser.addOption({QStringLiteral("malformed"),
                      QStringLiteral("Answer quotes of CODE with a broken body (repeatable); KIND is noquote, "
                                     "short, empty or garbage."),
                      QStringLiteral("CODE=KIND")});
    if (!parser.parse(app.arguments()))
        fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));

    Options o;
    if (parser.isSet(QStringLiteral("listen"))) {
        const QString listen = parser.value(QStringLiteral("listen"));
        const qsizetype colon = listen.lastIndexOf(QLatin1Char(':'));
        bool ok = false;
        const int port = colon > 0 ? listen.mid(colon + 1).toInt(&ok) : 0;
        if (!ok || port < 0 || port > 65535)
            fail(QStringLiteral("--listen expects HOST:PORT, got \"%1\"").arg(listen));
        o.host = listen.left(colon);
        o.port = port;
    }
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        o.seed = parser.value(QStringLiteral("seed")).toULongLong(&ok);
        if (!ok)
            fail(QStringLiteral("--seed expects a non-negative integer"));
    }
    if (parser.isSet(QStringLiteral("latency-ms"))) {
        bool ok = false;
        o.latencyMs = parser.value(QStringLiteral("latency-ms")).toInt(&ok);
        if (!ok || o.latencyMs < 0)
            fail(QStringLiteral("--latency-ms expects a non-negative integer"));
    }
    for (const QString &v : parser.values(QStringLiteral("fail"))) {
        const auto [code, statusText] = codeAssignment(QStringLiteral("fail"), v);
        bool ok = false;
        const int status = statusText.toInt(&ok);
        if (!ok || status < 100 || status > 599)
            fail(QStringLiteral("--fail %1: status must be 100..599").arg(v));
        o.failures.insert(code, status);
    }
    static const QHash<QString, Malformed> kinds{{QStringLiteral("noquote"), Malformed::NoQuote},
                                                 {QStringLiteral("short"), Malformed::Short},
                                                 {QStringLiteral("empty"), Malformed::Empty},
                                                 {QStringLiteral("garbage"), Malformed::Garbage}};
    for (const QString &v : parser.values(QStringLiteral("malformed"))) {
        const auto [code, kind] = codeAssignment(QStringLiteral("malformed"), v);
        if (!kinds.contains(kind))
            fail(QStringLiteral("--malformed %1: KIND must be noquote, short, empty or garbage").arg(v));
        o.malformed.insert(code, kinds.value(kind));
    }
    return o;
}

QByteArray malformedAnswer(const QString &code, const QString &fields, Malformed kind)
{
    switch (kind) {
    case Malformed::NoQuote:
        return quoteLine(code, fields).replace('"', QByteArray());
    case Malformed::Short:
        return quoteLine(code, fields.section(QLatin1Char(','), 0, 9));
    case Malformed::Empty:
        return {};
    case Malformed::Garbage: {
        QByteArray bytes(64 + int(QRandomGenerator::global()->bounded(192)), Qt::Uninitialized);
        for (char &b : bytes)
            b = char(QRandomGenerator::global()->bounded(256));
        return bytes;
    }
    }
    return {};
}

class Service {
public:
    Service(const Universe &universe, const Options &options)
        : m_universe(universe), m_options(options), m_engine(options.seed) {}

    void quotes(const httplib::Request &req, httplib::Response &res) const
    {
        const QStringList codes = QString::fromStdString(req.matches[1].str())
                                      .split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString &code : codes) {
            const auto failure = m_options.failures.constFind(code.toLower());
            if (failure != m_options.failures.constEnd()) {
                res.status = *failure;
                res.set_content(QStringLiteral("simulated failure %1 for %2\n").arg(*failure).arg(code).toStdString(),
                                "text/plain; charset=utf-8");
                return;
            }
        }
        const QDateTime now = QDateTime::currentDateTime();
        QByteArray body;
        for (const QString &code : codes) {
            const Security *s = m_universe.find(code.toLower());
            const QString fields = s ? quoteFields(*s, m_engine.quote(*s, now)) : QString();
            const auto broken = m_options.malformed.constFind(code.toLower());
            body += broken != m_options.malformed.constEnd() ? malformedAnswer(code, fields, *broken)
                                                             : quoteLine(code, fields);
        }
        res.set_content(body.constData(), size_t(body.size()), kJavascript);
    }

    void listPage(httplib::Response &res) const
    {
        struct Row {
            const Security *s;
            Quote q;
            std::int64_t change;
        };
        const QDateTime now = QDateTime::currentDateTime();
        std::vector<Row> rows;
        rows.reserve(m_universe.all().size());
        for (const Security &s : m_universe.all()) {
            Quote q = m_engine.quote(s, now);
            rows.push_back({&s, q, q.changeBasisPoints()});
        }
        std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
            return a.change != b.change ? a.change > b.change : a.s->code < b.s->code;
        });

        QString html;
        html.reserve(int(rows.size()) * 120 + 1024);
        html += QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<title>所有股票</title>\n<style>\n"
            "body{font-family:sans-serif;margin:1em}table{border-collapse:collapse}"
            "th,td{padding:2px 10px;border-bottom:1px solid #ddd}td.n{text-align:right}"
            "td.up{color:#c00}td.down{color:#080}\n"
            "</style>\n</head>\n<body>\n<h1>所有股票</h1>\n");
        html += QStringLiteral("<p>%1 只证券，按涨跌幅排序，%2</p>\n")
                    .arg(rows.size())
                    .arg(now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        html += QStringLiteral("<table id=\"stocks\">\n<thead><tr><th>代码</th><th>名称</th>"
                               "<th>最新价</th><th>涨跌幅%</th></tr></thead>\n<tbody>\n");
        for (const Row &r : rows) {
            // a suspended security shows its last close and no change
            const std::int64_t price = r.q.suspended ? r.q.prevClose : r.q.price;
            const char *cls = r.change > 0 ? "n up" : r.change < 0 ? "n down" : "n";
            const std::int64_t absChange = r.change < 0 ? -r.change : r.change;
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td class=\"n\">%3.%4</td><td class=\"%5\">%6%7.%8</td></tr>\n")
                        .arg(r.s->code, r.s->name.toHtmlEscaped())
                        .arg(price / 100)
                        .arg(price % 100, 2, 10, QLatin1Char('0'))
                        .arg(QLatin1String(cls), r.change < 0 ? QStringLiteral("-") : QString())
                        .arg(absChange / 100)
                        .arg(absChange % 100, 2, 10, QLatin1Char('0'));
        }
        html += QStringLiteral("</tbody>\n</table>\n</body>\n</html>\n");
        res.set_content(html.toStdString(), "text/html; charset=utf-8");
    }

private:
    const Universe &m_universe;
    const Options &m_options;
    QuoteEngine m_engine;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("yanlan-market"));
    const Options options = parseOptions(app);

    Universe universe;
    QString error;
    if (!universe.load(&error))
        fail(error);
    if (!QStringEncoder("GBK").isValid())
        fail(QStringLiteral("this Qt build has no GBK encoder"));

    // SIGINT/SIGTERM are taken by a dedicated thread; block them before any other thread exists
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);  // a client hanging up mid-answer must not end the service

    Service service(universe, options);
    httplib::Server svr;
    svr.new_task_queue = [] { return new httplib::ThreadPool(128); };
    // answer at once: headers and body go out in separate writes
    svr.set_tcp_nodelay(true);
    if (options.latencyMs > 0) {
        const int latency = options.latencyMs;
        svr.set_pre_routing_handler([latency](const httplib::Request &, httplib::Response &) {
            std::this_thread::sleep_for(std::chrono::milliseconds(latency));
            return httplib::Server::HandlerResponse::Unhandled;
        });
    }
    svr.Get(R"(/list=([^/]*))", [&service](const httplib::Request &req, httplib::Response &res) {
        service.quotes(req, res);
    });
    svr.Get("/finance/stockscreener", [&service](const httplib::Request &, httplib::Response &res) {
        service.listPage(res);
    });
    svr.set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request &, httplib::Response &res) {
            if (res.body.empty())  // keep the text of a --fail answer
                res.set_content(res.status == 404 ? "not found\n" : "error " + std::to_string(res.status) + "\n",
                                "text/plain; charset=utf-8");
            return httplib::Server::HandlerResponse::Handled;
        }));

    // cpp-httplib listens with a backlog of 5, too short when a client opens a hundred
    // connections at once: the excess handshakes stall on SYN retries for seconds. Remember the
    // listening socket so its backlog can be raised once it is bound.
    int listenSocket = -1;
    svr.set_socket_options([&listenSocket](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listenSocket = sock;
    });

    const std::string host = options.host.toStdString();
    int port = options.port;
    if (port == 0)
        port = svr.bind_to_any_port(host);
    else if (!svr.bind_to_port(host, port))
        port = -1;
    if (port <= 0)
        fail(QStringLiteral("cannot listen on %1:%2").arg(options.host).arg(options.port));

    if (listenSocket >= 0)
        ::listen(listenSocket, SOMAXCONN);  // on a listening socket this only changes the backlog

    std::printf("listening on %s:%d\n", host.c_str(), port);
    std::fflush(stdout);

    std::atomic<bool> signalled{false}, listening{true};
    std::thread stopper([&svr, &signalled, &listening, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        signalled = true;
        // a signal right at start-up may come before the server runs, when stop() does nothing
        while (listening) {
            svr.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const bool ok = svr.listen_after_bind();
    listening = false;
    const bool bySignal = signalled;
    if (!bySignal)  // listening ended on its own: wake the waiting thread so it can be joined
        pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return ok || bySignal ? 0 : 1;
}
