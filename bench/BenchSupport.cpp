#include "BenchSupport.h"

#include "storage/LedgerSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <sys/resource.h>

#include <cstdio>

namespace yanlan::bench {

BenchOptions BenchOptions::fromArguments(const QStringList &arguments)
{
    BenchOptions options;
    options.marketPath =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("yanlan-market"));
    options.stockListPath = QStringLiteral(YANLAN_SOURCE_DIR "/data/a-share-list.csv");
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--market"))
            options.marketPath = arguments.at(++i);
        else if (arguments.at(i) == QLatin1String("--stock-list"))
            options.stockListPath = arguments.at(++i);
    }
    return options;
}

MarketProcess::MarketProcess(const QString &program, int latencyMs)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                              QStringLiteral("--seed"), QStringLiteral("1"),
                              QStringLiteral("--latency-ms"), QString::number(latencyMs)});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("%1: %2").arg(program, m_process.errorString());
        return;
    }
    // the service's first line names the port it got
    const QString prefix = QStringLiteral("listening on ");
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(10000)) {
            m_error = QStringLiteral("%1 printed no address").arg(program);
            return;
        }
    }
    const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
    if (!line.startsWith(prefix)) {
        m_error = QStringLiteral("%1 printed: %2").arg(program, line);
        return;
    }
    m_host = line.mid(prefix.size());
}

MarketProcess::~MarketProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QStringList stockCodes(const QString &stockListPath, int count, QString *error)
{
    QFile file(stockListPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(stockListPath, file.errorString());
        return {};
    }
    // ts_code,symbol,name,...: 000001.SZ,000001,平安银行,...
    QStringList all;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).trimmed().split(',');
        if (fields.size() < 2)
            continue;
        const QByteArray tsCode = fields.at(0);
        const QString symbol = QString::fromLatin1(fields.at(1));
        if (tsCode.endsWith(".SZ"))
            all << QStringLiteral("sz") + symbol;
        else if (tsCode.endsWith(".SH"))
            all << QStringLiteral("sh") + symbol;
    }
    if (all.size() < count) {
        *error = QStringLiteral("%1 lists only %2 Shanghai and Shenzhen stocks")
                     .arg(stockListPath)
                     .arg(all.size());
        return all;
    }
    QStringList picked;
    for (int k = 0; k < count; ++k)
        picked << all.at(static_cast<qsizetype>(k) * all.size() / count);
    return picked;
}

void ConsolePrompter::inform(const QString &text)
{
    ++messages;
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
}

bool ConsolePrompter::confirm(const QString &text)
{
    ++messages;
    std::fprintf(stderr, "question: %s\n", qPrintable(text));
    return false;
}

double peakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB on Linux
}

double elapsedMs(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void printFigure(const char *name, double value, const char *unit)
{
    std::printf("%s: %.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

bool BenchWorld::prepare(const BenchOptions &options, int stockCount, int latencyMs,
                         const Fill &fill)
{
    QString error;
    codes = stockCodes(options.stockListPath, stockCount, &error);
    if (codes.size() < stockCount) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    market = std::make_unique<MarketProcess>(options.marketPath, latencyMs);
    if (market->host().isEmpty()) {
        std::fprintf(stderr, "cannot start the quote service: %s\n", qPrintable(market->error()));
        return false;
    }
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("Sys.dat"));
    if (!createLedgerFile(path, &error) || !ledger.open(path) || !fill(ledger, codes, &error)) {
        std::fprintf(stderr, "cannot make the ledger: %s %s\n", qPrintable(error),
                     qPrintable(ledger.openError()));
        return false;
    }
    return true;
}

} // namespace yanlan::bench
