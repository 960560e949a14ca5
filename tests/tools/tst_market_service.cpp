// Runs the real yanlan-market binary on a free local port and checks what it serves.

#include <httplib.h>

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTest>

#include <csignal>
#include <memory>
#include <thread>
#include <vector>

namespace {

// The service under test, stopped with SIGTERM when it goes out of scope.
class Market {
public:
    ~Market()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_process.waitForFinished(1000);
        }
    }

    // Starts the binary on 127.0.0.1:0 and reads the port from its "listening on" line.
    bool start(const QStringList &extraArgs, QString *error)
    {
        m_process.start(QStringLiteral(YANLAN_MARKET_BIN),
                        QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")} + extraArgs);
        if (!m_process.waitForStarted(5000)) {
            *error = m_process.errorString();
            return false;
        }
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(5000)) {
                *error = QStringLiteral("no listening line; stderr: ")
                         + QString::fromUtf8(m_process.readAllStandardError());
                return false;
            }
        }
        const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
        static const QRegularExpression re(QStringLiteral("^listening on 127\\.0\\.0\\.1:(\\d+)$"));
        const auto m = re.match(line);
        if (!m.hasMatch()) {
            *error = QStringLiteral("unexpected first line: ") + line;
            return false;
        }
        m_port = m.captured(1).toInt();
        return m_port > 0;
    }

    int port() const { return m_port; }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    int m_port = 0;
};

struct Answer {
    int status = 0;  // 0 when the request itself failed
    QByteArray body;
    QByteArray contentType;
    QString error;   // why the request failed when status is 0
};

Answer get(int port, const QByteArray &path)
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(8, 0);
    Answer a;
    if (auto res = client.Get(path.constData())) {
        a.status = res->status;
        a.body = QByteArray::fromStdString(res->body);
        a.contentType = QByteArray::fromStdString(res->get_header_value("Content-Type"));
    } else {
        a.error = QString::fromStdString(httplib::to_string(res.error()));
    }
    return a;
}

QString fromGbk(const QByteArray &bytes)
{
    QStringDecoder gbk("GBK");
    return gbk(bytes);
}

// Fields of a well-formed answer for one code; an error text when the framing is off.
QStringList quoteFields(const QString &code, const QByteArray &body, QString *error)
{
    const QByteArray prefix = "var hq_str_" + code.toLatin1() + "=\"";
    const QByteArray suffix = "\";\n";
    if (!body.startsWith(prefix) || !body.endsWith(suffix) || body.count('\n') != 1) {
        *error = QStringLiteral("bad framing: ") + QString::fromLatin1(body.left(80));
        return {};
    }
    const QString inner = fromGbk(body.mid(prefix.size(), body.size() - prefix.size() - suffix.size()));
    return inner.isEmpty() ? QStringList() : inner.split(QLatin1Char(','));
}

// "10.500" → 1050 fen; -1 when the text is not a price with three decimals on the fen.
qint64 fen(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^(\\d+)\\.(\\d\\d)0$"));
    const auto m = re.match(text);
    return m.hasMatch() ? m.captured(1).toLongLong() * 100 + m.captured(2).toLongLong() : -1;
}

qint64 limitUp(qint64 prev) { return (prev * 11 + 5) / 10; }
qint64 limitDown(qint64 prev) { return (prev * 9 + 5) / 10; }

struct Book {
    QList<qint64> prices, volumes;  // only the filled levels, best first
};

// Reads one side of the book (fields first..first+9) and checks it is a filled prefix.
bool readBook(const QStringList &f, int first, Book *book, QString *why)
{
    bool emptySeen = false;
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        const qint64 vol = f.at(first + 2 * i).toLongLong(&ok);
        const qint64 price = fen(f.at(first + 2 * i + 1));
        if (!ok || vol < 0 || price < 0) {
            *why = QStringLiteral("unreadable book level at field %1").arg(first + 2 * i);
            return false;
        }
        if ((vol == 0) != (price == 0)) {
            *why = QStringLiteral("half-empty book level at field %1").arg(first + 2 * i);
            return false;
        }
        if (vol == 0) {
            emptySeen = true;
            continue;
        }
        if (emptySeen) {
            *why = QStringLiteral("filled level after an empty one at field %1").arg(first + 2 * i);
            return false;
        }
        book->prices << price;
        book->volumes << vol;
    }
    return true;
}

// Every rule a quote line must keep; returns an empty string when all hold.
QString violations(const QString &code, const QStringList &f)
{
    if (f.size() != 33)
        return QStringLiteral("%1 fields").arg(f.size());
    static const QRegularExpression dateRe(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    static const QRegularExpression timeRe(QStringLiteral("^\\d{2}:\\d{2}:\\d{2}$"));
    if (!dateRe.match(f[30]).hasMatch() || !timeRe.match(f[31]).hasMatch())
        return QStringLiteral("date/time %1 %2").arg(f[30], f[31]);
    if (f[0].isEmpty())
        return QStringLiteral("no name");

    qint64 v[7];
    for (int i = 0; i < 7; ++i) {
        v[i] = fen(f[i + 1]);
        if (v[i] < 0)
            return QStringLiteral("field %1 is not a price: %2").arg(i + 1).arg(f[i + 1]);
    }
    const qint64 open = v[0], prev = v[1], price = v[2], high = v[3], low = v[4], bid = v[5], ask = v[6];
    bool ok = false;
    const qint64 volume = f[8].toLongLong(&ok);
    if (!ok || volume < 0)
        return QStringLiteral("volume %1").arg(f[8]);
    const qint64 turnoverFen = fen(f[9]);
    if (turnoverFen < 0)
        return QStringLiteral("turnover %1").arg(f[9]);
    if (prev <= 0)
        return QStringLiteral("previous close %1").arg(f[2]);

    Book bids, asks;
    QString why;
    if (!readBook(f, 10, &bids, &why) || !readBook(f, 20, &asks, &why))
        return why;

    if (f[32] == QLatin1String("03")) {  // suspended: nothing traded, nothing quoted
        if (open || price || high || low || bid || ask || volume || turnoverFen || !bids.prices.isEmpty()
            || !asks.prices.isEmpty())
            return QStringLiteral("suspended quote with figures");
        return {};
    }
    if (f[32] != QLatin1String("00"))
        return QStringLiteral("status %1").arg(f[32]);

    const qint64 up = limitUp(prev), down = limitDown(prev);
    if (!(down <= low && low <= std::min(open, price) && std::max(open, price) <= high && high <= up))
        return QStringLiteral("open/price/high/low outside band or order: %1").arg(f.mid(1, 5).join(u' '));
    if (volume <= 0)
        return QStringLiteral("no volume");

    const bool isIndex = code == QLatin1String("sh000001") || code == QLatin1String("sz399001");
    if (isIndex)
        return bids.prices.isEmpty() && asks.prices.isEmpty() && bid == 0 && ask == 0
                   ? QString()
                   : QStringLiteral("an index with an order book");

    // the average trade price must lie within the day's range
    if (turnoverFen < volume * low - volume || turnoverFen > volume * high + volume)
        return QStringLiteral("turnover %1 not within volume × [low, high]").arg(f[9]);

    for (qsizetype i = 0; i < bids.prices.size(); ++i) {
        if (bids.prices[i] < down || bids.prices[i] > up || (i > 0 && bids.prices[i] >= bids.prices[i - 1]))
            return QStringLiteral("bid prices out of band or not descending");
    }
    for (qsizetype i = 0; i < asks.prices.size(); ++i) {
        if (asks.prices[i] < down || asks.prices[i] > up || (i > 0 && asks.prices[i] <= asks.prices[i - 1]))
            return QStringLiteral("ask prices out of band or not ascending");
    }
    if (bid != (bids.prices.isEmpty() ? 0 : bids.prices[0]) || ask != (asks.prices.isEmpty() ? 0 : asks.prices[0]))
        return QStringLiteral("bid/ask fields disagree with the book");

    if (price == up) {
        if (!asks.prices.isEmpty() || bids.prices.isEmpty())
            return QStringLiteral("at limit-up the ask side must be empty and bids present");
    } else if (price == down) {
        if (!bids.prices.isEmpty() || asks.prices.isEmpty())
            return QStringLiteral("at limit-down the bid side must be empty and asks present");
    } else {
        if (bids.prices.isEmpty() || asks.prices.isEmpty())
            return QStringLiteral("a side of the book is empty away from the limits");
        if (!(bid < ask && bid <= price && price <= ask))
            return QStringLiteral("price %1 not within bid %2 / ask %3").arg(f[3], f[6], f[7]);
    }
    return {};
}

struct ListRow {
    QString code, name;
    qint64 priceFen;
    qint64 changeBp;  // hundredths of a percent
};

QList<ListRow> parseListPage(const QString &html)
{
    static const QRegularExpression rowRe(QStringLiteral(
        "<tr><td>(\\w+)</td><td>([^<]*)</td><td[^>]*>(\\d+)\\.(\\d\\d)</td><td[^>]*>(-?)(\\d+)\\.(\\d\\d)</td></tr>"));
    QList<ListRow> rows;
    for (auto it = rowRe.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const qint64 change = m.captured(6).toLongLong() * 100 + m.captured(7).toLongLong();
        rows.append({m.captured(1), m.captured(2), m.captured(3).toLongLong() * 100 + m.captured(4).toLongLong(),
                     m.captured(5).isEmpty() ? change : -change});
    }
    return rows;
}

// Shanghai and Shenzhen rows of the stock list: prefixed code → name.
QHash<QString, QString> stockList()
{
    QHash<QString, QString> out;
    QFile file(QStringLiteral(YANLAN_STOCK_LIST));
    if (!file.open(QIODevice::ReadOnly))
        return out;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> cols = lines[i].split(',');
        if (cols.size() < 3)
            continue;
        if (cols[0].endsWith(".SH"))
            out.insert(QStringLiteral("sh") + QString::fromLatin1(cols[1]), QString::fromUtf8(cols[2]));
        else if (cols[0].endsWith(".SZ"))
            out.insert(QStringLiteral("sz") + QString::fromLatin1(cols[1]), QString::fromUtf8(cols[2]));
    }
    return out;
}

// codes the main server is told to fail or garble; kept out of the sample
const QStringList kFaulty{QStringLiteral("sz000858"), QStringLiteral("sh601398"), QStringLiteral("sz300059"),
                          QStringLiteral("sz000001"), QStringLiteral("sh600036"), QStringLiteral("sz000333"),
                          QStringLiteral("sh601318")};
const QStringList kFixedSuspended{QStringLiteral("sz000004"), QStringLiteral("sh600004"), QStringLiteral("sz000007")};
const QStringList kFixedLimitUp{QStringLiteral("sh600519"), QStringLiteral("sz300750")};
const QStringList kFixedLimitDown{QStringLiteral("sz000725")};

} // namespace

class TestMarketService : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void quoteLine();
    void served_data();
    void served();
    void fixedSecurities_data();
    void fixedSecurities();
    void invariantsOverSample();
    void listPage();
    void injectedFailures_data();
    void injectedFailures();
    void malformedAnswers_data();
    void malformedAnswers();
    void unknownPaths_data();
    void unknownPaths();
    void seededFiguresRepeat();
    void concurrentSlowRequests();
    void commandLine_data();
    void commandLine();
    void stopsOnSignal_data();
    void stopsOnSignal();

private:
    std::unique_ptr<Market> m_market;  // --seed 7 with injected faults
    QList<ListRow> m_page;             // list page as first read
    QStringList m_sample;              // ~200 codes spread over the page
};

void TestMarketService::initTestCase()
{
    m_market = std::make_unique<Market>();
    QString error;
    QVERIFY2(m_market->start({"--seed", "7", "--fail", "sz000858=500", "--fail", "sh601398=503",
                              "--fail", "SZ300059=404", "--malformed", "sz000001=noquote",
                              "--malformed", "sh600036=short", "--malformed", "sz000333=empty",
                              "--malformed", "sh601318=garbage"},
                             &error),
             qPrintable(error));

    const Answer page = get(m_market->port(), "/finance/stockscreener");
    QCOMPARE(page.status, 200);
    m_page = parseListPage(QString::fromUtf8(page.body));
    QVERIFY(m_page.size() > 5000);
    const qsizetype step = m_page.size() / 200;
    for (qsizetype i = 0; i < m_page.size(); i += step) {
        if (!kFaulty.contains(m_page[i].code))
            m_sample << m_page[i].code;
    }
}

void TestMarketService::quoteLine()
{
    // sz000001 is set to lose its quotes, so use a fresh unseeded server for the exact format
    Market plain;
    QString error;
    QVERIFY2(plain.start({}, &error), qPrintable(error));
    const Answer a = get(plain.port(), "/list=sz000001");
    QCOMPARE(a.status, 200);
    QCOMPARE(a.contentType, QByteArray("application/javascript; charset=GBK"));
    const QStringList f = quoteFields(QStringLiteral("sz000001"), a.body, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(f.size(), 33);
    QCOMPARE(f[0], QStringLiteral("平安银行"));
    QVERIFY(a.body.contains("\xc6\xbd\xb0\xb2\xd2\xf8\xd0\xd0"));  // 平安银行 in GBK bytes
    QCOMPARE(violations(QStringLiteral("sz000001"), f), QString());
    QVERIFY(QDate::fromString(f[30], QStringLiteral("yyyy-MM-dd")).isValid());
    QVERIFY(QTime::fromString(f[31], QStringLiteral("HH:mm:ss")).isValid());

    // several codes in one request answer one line each, in the order asked
    const Answer two = get(plain.port(), "/list=sh600000,sz600000");
    QCOMPARE(two.status, 200);
    const QList<QByteArray> lines = two.body.split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith("var hq_str_sh600000=\""));
    QCOMPARE(lines[1], QByteArray("var hq_str_sz600000=\"\";"));
}

void TestMarketService::served_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");  // as the quote shows it; empty when not served

    QTest::newRow("shenzhen stock") << "sz000002" << "万 科Ａ";
    QTest::newRow("shanghai stock") << "sh600000" << "浦发银行";
    QTest::newRow("shanghai code asked on shenzhen") << "sz600000" << "";
    QTest::newRow("shenzhen code asked on shanghai") << "sh000002" << "";
    QTest::newRow("shanghai index") << "sh000001" << "上证指数";
    QTest::newRow("shenzhen index") << "sz399001" << "深证成指";
    QTest::newRow("shenzhen index asked on shanghai") << "sh399001" << "";
    QTest::newRow("beijing") << "bj920000" << "";
    QTest::newRow("beijing code on shenzhen") << "sz920000" << "";
    QTest::newRow("unknown") << "sh999999" << "";
    QTest::newRow("three characters") << "sz000876" << "新 希望";
    QTest::newRow("two characters") << "sz000528" << "柳 工";
    QTest::newRow("three with a capital first") << "sh600182" << "Ｓ 佳通";
    QTest::newRow("ST prefix") << "sz000004" << "*ＳＴ国华";
    QTest::newRow("capital in a four-character name") << "sz000725" << "京东方Ａ";
}

void TestMarketService::served()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    const Answer a = get(m_market->port(), "/list=" + code.toLatin1());
    QCOMPARE(a.status, 200);
    if (name.isEmpty()) {
        QCOMPARE(a.body, "var hq_str_" + code.toLatin1() + "=\"\";\n");
        return;
    }
    QString error;
    const QStringList f = quoteFields(code, a.body, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(f.size(), 33);
    QCOMPARE(f[0], name);
}

void TestMarketService::fixedSecurities_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("kind");
    for (const QString &c : kFixedSuspended)
        QTest::newRow(qPrintable(c)) << c << "suspended";
    for (const QString &c : kFixedLimitUp)
        QTest::newRow(qPrintable(c)) << c << "limit-up";
    for (const QString &c : kFixedLimitDown)
        QTest::newRow(qPrintable(c)) << c << "limit-down";
}

void TestMarketService::fixedSecurities()
{
    QFETCH(QString, code);
    QFETCH(QString, kind);
    QString error;
    const QStringList f = quoteFields(code, get(m_market->port(), "/list=" + code.toLatin1()).body, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(violations(code, f), QString());
    const qint64 prev = fen(f[2]);
    QVERIFY(prev > 0);
    const QStringList emptySide{"0", "0.000", "0", "0.000", "0", "0.000", "0", "0.000", "0", "0.000"};
    if (kind == QLatin1String("suspended")) {
        QCOMPARE(f[32], QStringLiteral("03"));
        QCOMPARE(f[3], QStringLiteral("0.000"));
        QCOMPARE(f[8], QStringLiteral("0"));
        QCOMPARE(f.mid(10, 10), emptySide);
        QCOMPARE(f.mid(20, 10), emptySide);
    } else if (kind == QLatin1String("limit-up")) {
        QCOMPARE(f[32], QStringLiteral("00"));
        QCOMPARE(fen(f[3]), limitUp(prev));
        QCOMPARE(fen(f[11]), limitUp(prev));  // buyers queue at the limit
        QCOMPARE(f.mid(20, 10), emptySide);
        QCOMPARE(f[7], QStringLiteral("0.000"));
    } else {
        QCOMPARE(f[32], QStringLiteral("00"));
        QCOMPARE(fen(f[3]), limitDown(prev));
        QCOMPARE(fen(f[21]), limitDown(prev));  // sellers queue at the limit
        QCOMPARE(f.mid(10, 10), emptySide);
        QCOMPARE(f[6], QStringLiteral("0.000"));
    }
}

void TestMarketService::invariantsOverSample()
{
    QStringList codes = m_sample;
    codes << QStringLiteral("sh000001") << QStringLiteral("sz399001") << QStringLiteral("sz000002");
    QVERIFY(codes.size() >= 200);
    qsizetype oddLots = 0, bookLevels = 0;
    for (const QString &code : std::as_const(codes)) {
        const Answer a = get(m_market->port(), "/list=" + code.toLatin1());
        QVERIFY2(a.status == 200, qPrintable(code));
        QString error;
        const QStringList f = quoteFields(code, a.body, &error);
        QVERIFY2(error.isEmpty(), qPrintable(code + QLatin1String(": ") + error));
        const QString why = violations(code, f);
        QVERIFY2(why.isEmpty(), qPrintable(code + QLatin1String(": ") + why));
        for (int i = 10; i < 30; i += 2) {
            const qint64 vol = f[i].toLongLong();
            bookLevels += vol > 0;
            oddLots += vol > 0 && vol % 100 != 0;
        }
    }
    // book volumes are mostly whole lots of 100 shares, with some odd lots among them
    QVERIFY(oddLots > 0);
    QVERIFY2(oddLots * 4 < bookLevels, qPrintable(QStringLiteral("%1 of %2").arg(oddLots).arg(bookLevels)));
}

void TestMarketService::listPage()
{
    const Answer a = get(m_market->port(), "/finance/stockscreener?page=1&num=80&sort=changepercent&asc=0");
    QCOMPARE(a.status, 200);
    QVERIFY(a.contentType.startsWith("text/html"));
    QVERIFY(a.contentType.contains("utf-8"));
    const QString html = QString::fromUtf8(a.body);
    QVERIFY(html.contains(QStringLiteral("<title>所有股票</title>")));

    const QList<ListRow> rows = parseListPage(html);
    const QHash<QString, QString> expected = stockList();
    QVERIFY(!expected.isEmpty());
    QCOMPARE(rows.size(), expected.size() + 2);  // every listed stock plus the two indices

    QSet<QString> seen;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ListRow &r = rows[i];
        QVERIFY2(!seen.contains(r.code), qPrintable(r.code));
        seen.insert(r.code);
        if (i > 0)
            QVERIFY2(rows[i - 1].changeBp >= r.changeBp, qPrintable(r.code + QLatin1String(" out of order")));
        if (r.code == QLatin1String("sh000001"))
            QCOMPARE(r.name, QStringLiteral("上证指数"));
        else if (r.code == QLatin1String("sz399001"))
            QCOMPARE(r.name, QStringLiteral("深证成指"));
        else
            QVERIFY2(expected.value(r.code) == r.name, qPrintable(r.code));
    }
    QVERIFY(rows.first().changeBp > rows.last().changeBp);

    // the page agrees with the quotes: same price and the change rounded to 0.01 %
    for (const ListRow &r : rows) {
        if (!(m_sample.contains(r.code) || kFixedSuspended.contains(r.code)))
            continue;
        QString error;
        const QStringList f = quoteFields(r.code, get(m_market->port(), "/list=" + r.code.toLatin1()).body, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const qint64 prev = fen(f[2]);
        if (f[32] == QLatin1String("03")) {
            QCOMPARE(r.priceFen, prev);
            QCOMPARE(r.changeBp, 0);
            continue;
        }
        const qint64 price = fen(f[3]);
        QCOMPARE(r.priceFen, price);
        const double change = double(price - prev) * 100.0 / double(prev);
        QVERIFY2(qAbs(change - double(r.changeBp) / 100.0) <= 0.005 + 1e-9, qPrintable(r.code));
    }
}

void TestMarketService::injectedFailures_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status");
    QTest::newRow("500") << QByteArray("/list=sz000858") << 500;
    QTest::newRow("503") << QByteArray("/list=sh601398") << 503;
    QTest::newRow("code given in capitals") << QByteArray("/list=sz300059") << 404;
    QTest::newRow("one failing code in a batch") << QByteArray("/list=sh600000,sz000858") << 500;
    QTest::newRow("neighbour unaffected") << QByteArray("/list=sz000859") << 200;
}

void TestMarketService::injectedFailures()
{
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    const Answer a = get(m_market->port(), path);
    QCOMPARE(a.status, status);
    if (status != 200) {
        QVERIFY(!a.body.isEmpty());
        QVERIFY(!a.body.contains("hq_str_"));
    }
}

void TestMarketService::malformedAnswers_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("kind");
    QTest::newRow("noquote") << "sz000001" << "noquote";
    QTest::newRow("short") << "sh600036" << "short";
    QTest::newRow("empty") << "sz000333" << "empty";
    QTest::newRow("garbage") << "sh601318" << "garbage";
}

void TestMarketService::malformedAnswers()
{
    QFETCH(QString, code);
    QFETCH(QString, kind);
    const Answer a = get(m_market->port(), "/list=" + code.toLatin1());
    QCOMPARE(a.status, 200);
    QString error;
    if (kind == QLatin1String("noquote")) {
        QVERIFY(!a.body.isEmpty());
        QVERIFY(!a.body.contains('"'));
        QVERIFY(a.body.startsWith("var hq_str_" + code.toLatin1() + "="));
    } else if (kind == QLatin1String("short")) {
        const QStringList f = quoteFields(code, a.body, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(f.size(), 10);
    } else if (kind == QLatin1String("empty")) {
        QVERIFY(a.body.isEmpty());
    } else {
        QVERIFY(!a.body.isEmpty());
        QVERIFY(!a.body.startsWith("var hq_str_"));
    }
}

void TestMarketService::unknownPaths_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("root") << QByteArray("/");
    QTest::newRow("list without code") << QByteArray("/list");
    QTest::newRow("misspelt") << QByteArray("/lists=sh600000");
    QTest::newRow("deeper") << QByteArray("/list=sh600000/x");
    QTest::newRow("screener subpage") << QByteArray("/finance/stockscreener/x");
}

void TestMarketService::unknownPaths()
{
    QFETCH(QByteArray, path);
    QCOMPARE(get(m_market->port(), path).status, 404);
}

void TestMarketService::seededFiguresRepeat()
{
    Market same, other;
    QString error;
    QVERIFY2(same.start({"--seed", "7"}, &error), qPrintable(error));
    QVERIFY2(other.start({"--seed", "8"}, &error), qPrintable(error));
    int differing = 0;
    for (const QString &code : m_sample.mid(0, 40)) {
        const QByteArray path = "/list=" + code.toLatin1();
        const QStringList a = quoteFields(code, get(m_market->port(), path).body, &error);
        const QStringList b = quoteFields(code, get(same.port(), path).body, &error);
        const QStringList c = quoteFields(code, get(other.port(), path).body, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(b.mid(0, 30), a.mid(0, 30));  // everything but date, time and status
        differing += c.mid(1, 29) != a.mid(1, 29);
    }
    QVERIFY(differing > 30);
}

void TestMarketService::concurrentSlowRequests()
{
    // Each answer waits a second. Served one at a time, 128 requests would need minutes and
    // overrun the client's read timeout, so all succeeding means they were served together.
    Market slow;
    QString error;
    QVERIFY2(slow.start({"--latency-ms", "1000"}, &error), qPrintable(error));
    const QStringList codes = m_sample.mid(0, 128);
    std::vector<Answer> answers(size_t(codes.size()));
    std::vector<std::thread> threads;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        threads.emplace_back([&answers, &codes, i, port = slow.port()] {
            answers[size_t(i)] = get(port, "/list=" + codes[i].toLatin1());
        });
    }
    for (std::thread &t : threads)
        t.join();
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const Answer &a = answers[size_t(i)];
        QVERIFY2(a.status == 200, qPrintable(codes[i] + QStringLiteral(" status %1 %2").arg(a.status).arg(a.error)));
        const QStringList f = quoteFields(codes[i], a.body, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        // without a seed the figures follow the clock and must keep the same rules
        const QString why = violations(codes[i], f);
        QVERIFY2(why.isEmpty(), qPrintable(codes[i] + QLatin1String(": ") + why));
    }
}

void TestMarketService::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");  // expected in stdout (exit 0) or stderr
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--malformed";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << "bogus";
    QTest::newRow("stray argument") << QStringList{"extra"} << 2 << "extra";
    QTest::newRow("fail without status") << QStringList{"--fail", "sz000001"} << 2 << "--fail";
    QTest::newRow("fail with bad status") << QStringList{"--fail", "sz000001=42"} << 2 << "--fail";
    QTest::newRow("unknown malformed kind") << QStringList{"--malformed", "sz000001=weird"} << 2 << "--malformed";
    QTest::newRow("listen without port") << QStringList{"--listen", "127.0.0.1"} << 2 << "--listen";
    QTest::newRow("seed not a number") << QStringList{"--seed", "x"} << 2 << "--seed";
    QTest::newRow("negative latency") << QStringList{"--latency-ms", "-5"} << 2 << "--latency-ms";
}

void TestMarketService::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QProcess p;
    p.start(QStringLiteral(YANLAN_MARKET_BIN), args);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), exitCode);
    const QByteArray text = exitCode == 0 ? p.readAllStandardOutput() : p.readAllStandardError();
    QVERIFY2(QString::fromUtf8(text).contains(output), text.constData());
}

void TestMarketService::stopsOnSignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestMarketService::stopsOnSignal()
{
    QFETCH(int, signal);
    Market m;
    QString error;
    QVERIFY2(m.start({"--seed", "1"}, &error), qPrintable(error));
    QCOMPARE(get(m.port(), "/list=sh600000").status, 200);
    QCOMPARE(::kill(pid_t(m.process().processId()), signal), 0);
    QVERIFY(m.process().waitForFinished(5000));
    QCOMPARE(m.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(m.process().exitCode(), 0);
    QCOMPARE(get(m.port(), "/list=sh600000").status, 0);  // nobody listens any more
}

QTEST_GUILESS_MAIN(TestMarketService)
#include "tst_market_service.moc"
