#include "TestQuoteServer.h"
#include "common/Text.h"
#include "market/QuoteClient.h"
#include "market/QuoteSettings.h"

#include <QTest>

#include <curl/curl.h>

using namespace yanlan;
using yanlan::test::notFoundReply;
using yanlan::test::quoteReply;
using yanlan::test::TestQuoteServer;

Q_DECLARE_METATYPE(LookupResult::Status)

class QuoteClientTest : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data();
    void lookup();
    void fetchReportsStatusAndDecodesGbk_data();
    void fetchReportsStatusAndDecodesGbk();
    void refusedConnectionEndsTheLookup();
    void timeOutEndsTheLookup();
    void concurrentFetchKeepsInputOrder_data();
    void concurrentFetchKeepsInputOrder();
    void resolveSettings_data();
    void resolveSettings();

private:
    static QuoteSettings settingsFor(const TestQuoteServer &server, int timeoutSeconds = 2)
    {
        QuoteSettings settings;
        settings.host = server.host();
        settings.timeoutSeconds = timeoutSeconds;
        return settings;
    }
};

// A reply per request target; anything else gets a generic not-found reply.
using Replies = QMap<QString, QString>;

void QuoteClientTest::lookup_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<Replies>("replies"); // target -> "STATUS BODY"
    QTest::addColumn<LookupResult::Status>("status");
    QTest::addColumn<QString>("prefixedCode");
    QTest::addColumn<QStringList>("targets");
    QTest::addColumn<QString>("error");

    using S = LookupResult::Status;
    const QString sz = quoteReply(QStringLiteral("sz000001"), {});
    const QString sh = quoteReply(QStringLiteral("sh600000"), {QStringLiteral("浦发银行")});

    QTest::newRow("Shenzhen answers")
        << "000001" << Replies{{"/list=sz000001", "200 " + sz}} << S::Found << "sz000001"
        << QStringList{"/list=sz000001"} << QString();
    QTest::newRow("Shanghai after Shenzhen does not know it")
        << "600000" << Replies{{"/list=sh600000", "200 " + sh}} << S::Found << "sh600000"
        << QStringList{"/list=sz600000", "/list=sh600000"} << QString();
    QTest::newRow("neither knows it")
        << "999999" << Replies{} << S::NotFound << "sh999999"
        << QStringList{"/list=sz999999", "/list=sh999999"} << QString();
    QTest::newRow("padded code is trimmed")
        << " \t000001  " << Replies{{"/list=sz000001", "200 " + sz}} << S::Found << "sz000001"
        << QStringList{"/list=sz000001"} << QString();

    // whatever the code holds cannot leave the path
    QTest::newRow("slash is escaped")
        << "12/34" << Replies{} << S::NotFound << "sh12/34"
        << QStringList{"/list=sz12%2F34", "/list=sh12%2F34"} << QString();
    QTest::newRow("blank is escaped") << "1 2" << Replies{} << S::NotFound << "sh1 2"
                                      << QStringList{"/list=sz1%202", "/list=sh1%202"} << QString();
    QTest::newRow("query and fragment marks are escaped")
        << "1?a=2#3" << Replies{} << S::NotFound << "sh1?a=2#3"
        << QStringList{"/list=sz1%3Fa%3D2%233", "/list=sh1%3Fa%3D2%233"} << QString();
    QTest::newRow("line break and percent are escaped")
        << "1\r\nX: y%" << Replies{} << S::NotFound << "sh1\r\nX: y%"
        << QStringList{"/list=sz1%0D%0AX%3A%20y%25", "/list=sh1%0D%0AX%3A%20y%25"} << QString();

    QTest::newRow("server error on Shenzhen: no second request")
        << "000001" << Replies{{"/list=sz000001", "500 oops"}} << S::ReadFailed << "sz000001"
        << QStringList{"/list=sz000001"} << "HTTP 500 Internal Server Error";
    QTest::newRow("server error on Shanghai")
        << "600000" << Replies{{"/list=sh600000", "503 busy"}} << S::ReadFailed << "sh600000"
        << QStringList{"/list=sz600000", "/list=sh600000"} << "HTTP 503 Service Unavailable";
    QTest::newRow("not found status")
        << "000001" << Replies{{"/list=sz000001", "404 "}} << S::ReadFailed << "sz000001"
        << QStringList{"/list=sz000001"} << "HTTP 404 Not Found";

    QTest::newRow("reply with 12 fields")
        << "000001"
        << Replies{{"/list=sz000001", "200 var hq_str_sz000001=\"a,1,2,3,4,5,6,7,8,9,10,11\";\n"}}
        << S::ReadFailed << "sz000001" << QStringList{"/list=sz000001"}
        << "malformed quote reply: 12 fields";
    QTest::newRow("reply with 29 fields")
        << "000001"
        << Replies{{"/list=sz000001",
                    "200 v=\"" + QStringList(29, QStringLiteral("1")).join(',') + "\n"}}
        << S::ReadFailed << "sz000001" << QStringList{"/list=sz000001"}
        << "malformed quote reply: 29 fields";
    QTest::newRow("reply with 30 fields is enough")
        << "000001"
        << Replies{{"/list=sz000001",
                    "200 v=\"" + QStringList(30, QStringLiteral("1")).join(',') + "\n"}}
        << S::Found << "sz000001" << QStringList{"/list=sz000001"} << QString();
    QTest::newRow("reply without a double quote")
        << "000001" << Replies{{"/list=sz000001", "200 <html>gateway</html>"}} << S::ReadFailed
        << "sz000001" << QStringList{"/list=sz000001"} << "malformed quote reply: no double quote";
    QTest::newRow("empty reply") << "000001" << Replies{{"/list=sz000001", "200 "}} << S::ReadFailed
                                 << "sz000001" << QStringList{"/list=sz000001"}
                                 << "malformed quote reply: no double quote";
}

void QuoteClientTest::lookup()
{
    QFETCH(QString, code);
    QFETCH(Replies, replies);
    QFETCH(LookupResult::Status, status);
    QFETCH(QString, prefixedCode);
    QFETCH(QStringList, targets);
    QFETCH(QString, error);

    TestQuoteServer server;
    server.setFallbackReply(200, toGbk(notFoundReply(QString())));
    for (auto it = replies.cbegin(); it != replies.cend(); ++it) {
        const qsizetype blank = it.value().indexOf(' ');
        server.setReply(it.key(), it.value().left(blank).toInt(), toGbk(it.value().mid(blank + 1)));
    }

    const LookupResult result = lookupQuote(settingsFor(server), code);

    QCOMPARE(result.status, status);
    QCOMPARE(result.prefixedCode, prefixedCode);
    QCOMPARE(server.requestedTargets(), targets);
    QCOMPARE(result.requests, targets.size());
    QCOMPARE(result.error, error);
    if (status == LookupResult::Status::Found)
        QCOMPARE(result.body, fromGbk(toGbk(replies.value("/list=" + prefixedCode).mid(4))));
}

void QuoteClientTest::fetchReportsStatusAndDecodesGbk_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");

    const QString chinese = QStringLiteral("var hq_str_sz000002=\"万 科Ａ,1\";\n");
    QTest::newRow("GBK body") << 200 << toGbk(chinese) << true << chinese << QString();
    QTest::newRow("redirect status is not a failure")
        << 302 << QByteArray("x") << true << QStringLiteral("x") << QString();
    QTest::newRow("399 is not a failure")
        << 399 << QByteArray("x") << true << QStringLiteral("x") << QString();
    QTest::newRow("400 is") << 400 << QByteArray("x") << false << QString()
                            << QStringLiteral("HTTP 400 Bad Request");
    QTest::newRow("500 is") << 500 << toGbk(chinese) << false << QString()
                            << QStringLiteral("HTTP 500 Internal Server Error");
}

void QuoteClientTest::fetchReportsStatusAndDecodesGbk()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, ok);
    QFETCH(QString, text);
    QFETCH(QString, error);

    TestQuoteServer server;
    server.setReply(QStringLiteral("/list=sz000002"), status, body);
    QuoteClient client(settingsFor(server));
    const FetchResult result = client.fetch(QStringLiteral("sz000002"));

    QCOMPARE(result.ok, ok);
    QCOMPARE(result.body, text);
    QCOMPARE(result.error, error);
    QCOMPARE(client.requestCount(), 1);
    QCOMPARE(server.requestedTargets(), QStringList{QStringLiteral("/list=sz000002")});
}

void QuoteClientTest::refusedConnectionEndsTheLookup()
{
    QuoteSettings settings;
    settings.host = QStringLiteral("127.0.0.1:%1").arg(TestQuoteServer::unusedPort());
    settings.timeoutSeconds = 2;

    const LookupResult result = lookupQuote(settings, QStringLiteral("000001"));

    QCOMPARE(result.status, LookupResult::Status::ReadFailed);
    QCOMPARE(result.requests, 1);
    QCOMPARE(result.prefixedCode, QStringLiteral("sz000001"));
    // curl's own text, then the details it wrote to the error buffer
    const QString curlText = QString::fromUtf8(curl_easy_strerror(CURLE_COULDNT_CONNECT));
    QVERIFY2(result.error.startsWith(curlText + QStringLiteral(": ")), qPrintable(result.error));
    QVERIFY2(result.error.contains(QString::number(settings.host.section(':', 1).toInt())),
             qPrintable(result.error));
}

void QuoteClientTest::timeOutEndsTheLookup()
{
    TestQuoteServer server;
    server.setQuote(QStringLiteral("sz000001"), quoteReply(QStringLiteral("sz000001"), {}));
    server.setDelay(3000);

    const LookupResult result = lookupQuote(settingsFor(server, 1), QStringLiteral("000001"));

    QCOMPARE(result.status, LookupResult::Status::ReadFailed);
    QCOMPARE(result.requests, 1);
    const QString curlText = QString::fromUtf8(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT));
    QVERIFY2(result.error.startsWith(curlText), qPrintable(result.error));
    QCOMPARE(server.requestCount(), 1);
}

void QuoteClientTest::concurrentFetchKeepsInputOrder_data()
{
    QTest::addColumn<int>("maxConcurrent");
    QTest::newRow("one at a time") << 1;
    QTest::newRow("three at a time, handles reused") << 3;
    QTest::newRow("sixteen at a time") << 16;
    QTest::newRow("more slots than codes") << 64;
    QTest::newRow("nonsense limit counts as one") << 0;
}

void QuoteClientTest::concurrentFetchKeepsInputOrder()
{
    QFETCH(int, maxConcurrent);

    TestQuoteServer server;
    QStringList codes;
    for (int i = 0; i < 20; ++i) {
        const QString code = QStringLiteral("sz%1").arg(i, 6, 10, QLatin1Char('0'));
        codes << code;
        server.setQuote(code, quoteReply(code, {QStringLiteral("股票%1").arg(i)}));
    }
    server.setReply(QStringLiteral("/list=sz000007"), 500, "broken");
    codes << QStringLiteral("sz 1/2"); // escaped like a single fetch, answered by the fallback

    QuoteSettings settings = settingsFor(server);
    settings.maxConcurrent = maxConcurrent;
    const QVector<FetchResult> results = fetchQuotesConcurrently(settings, codes);

    QCOMPARE(results.size(), codes.size());
    for (int i = 0; i < 20; ++i) {
        const FetchResult &result = results.at(i);
        if (i == 7) {
            QVERIFY(!result.ok);
            QCOMPARE(result.error, QStringLiteral("HTTP 500 Internal Server Error"));
            continue;
        }
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.body, quoteReply(codes.at(i), {QStringLiteral("股票%1").arg(i)}));
    }
    QVERIFY(!results.last().ok);
    QCOMPARE(results.last().error, QStringLiteral("HTTP 404 Not Found"));

    QStringList targets = server.requestedTargets();
    targets.sort();
    QStringList expected;
    for (const QString &code : codes)
        expected << QStringLiteral("/list=") + QString::fromLatin1(QUrl::toPercentEncoding(code));
    expected.sort();
    QCOMPARE(targets, expected);
}

void QuoteClientTest::resolveSettings_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<int>("concurrency");
    QTest::addColumn<QString>("stockListUrl");

    const QString defaultUrl = QuoteSettings::defaultStockListUrl();
    const QStringList allEnv{"YANLAN_QUOTE_HOST=env.example:81", "YANLAN_QUOTE_TIMEOUT=7",
                             "YANLAN_QUOTE_CONCURRENCY=4", "YANLAN_STOCK_LIST_URL=http://env/list"};

    QTest::newRow("defaults") << QStringList{"yanlan"} << QStringList{} << "127.0.0.1:18080" << 5
                              << 32 << defaultUrl;
    QTest::newRow("environment over defaults")
        << QStringList{"yanlan"} << allEnv << "env.example:81" << 7 << 4 << "http://env/list";
    QTest::newRow("command line over environment")
        << QStringList{"yanlan",
                       "--quote-host",
                       "cli.example",
                       "--quote-timeout",
                       "9",
                       "--quote-concurrency",
                       "32",
                       "--stock-list-url",
                       "http://cli/list"}
        << allEnv << "cli.example" << 9 << 32 << "http://cli/list";
    QTest::newRow("--opt=value form")
        << QStringList{"yanlan", "--quote-host=h:1", "--quote-timeout=2", "--quote-concurrency=3",
                       "--stock-list-url=http://x/y?a=b#c=d"}
        << QStringList{} << "h:1" << 2 << 3 << "http://x/y?a=b#c=d";
    QTest::newRow("one option on the command line, the rest from the environment")
        << QStringList{"yanlan", "--quote-timeout", "3"} << allEnv << "env.example:81" << 3 << 4
        << "http://env/list";
    QTest::newRow("last occurrence wins")
        << QStringList{"yanlan", "--quote-timeout", "3", "--quote-timeout=4"} << QStringList{}
        << "127.0.0.1:18080" << 4 << 32 << defaultUrl;
    QTest::newRow("unreadable environment numbers keep the defaults")
        << QStringList{"yanlan"}
        << QStringList{"YANLAN_QUOTE_TIMEOUT=five", "YANLAN_QUOTE_CONCURRENCY=-2"}
        << "127.0.0.1:18080" << 5 << 32 << defaultUrl;
    QTest::newRow("unreadable command-line numbers keep what the environment gave")
        << QStringList{"yanlan", "--quote-timeout", "1.5", "--quote-concurrency=0"} << allEnv
        << "env.example:81" << 7 << 4 << "http://env/list";
    QTest::newRow("empty values are passed over")
        << QStringList{"yanlan", "--quote-host="} << QStringList{"YANLAN_STOCK_LIST_URL="}
        << "127.0.0.1:18080" << 5 << 32 << defaultUrl;
    QTest::newRow("option without a value at the end")
        << QStringList{"yanlan", "--quote-host"} << QStringList{} << "127.0.0.1:18080" << 5 << 32
        << defaultUrl;
    QTest::newRow("padded number") << QStringList{"yanlan", "--quote-timeout", " 8 "}
                                   << QStringList{} << "127.0.0.1:18080" << 8 << 32 << defaultUrl;
}

void QuoteClientTest::resolveSettings()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(QString, host);
    QFETCH(int, timeout);
    QFETCH(int, concurrency);
    QFETCH(QString, stockListUrl);

    QProcessEnvironment env;
    for (const QString &entry : environment)
        env.insert(entry.section('=', 0, 0), entry.section('=', 1));
    const QuoteSettings settings = QuoteSettings::resolve(arguments, env);

    QCOMPARE(settings.host, host);
    QCOMPARE(settings.timeoutSeconds, timeout);
    QCOMPARE(settings.maxConcurrent, concurrency);
    QCOMPARE(settings.stockListUrl, stockListUrl);
}

QTEST_GUILESS_MAIN(QuoteClientTest)
#include "tst_quote_client.moc"
