#pragma once

#include "common/Seams.h"
#include "storage/Ledger.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace yanlan::bench {

// Settings of a benchmark run, from the command line:
//   --market PATH      the yanlan-market binary (default: beside the benchmark)
//   --stock-list PATH  data/a-share-list.csv (default: the source tree's)
struct BenchOptions
{
    QString marketPath;
    QString stockListPath;
    static BenchOptions fromArguments(const QStringList &arguments);
};

// A yanlan-market process on a free loopback port; stopped when this goes.
class MarketProcess
{
public:
    MarketProcess(const QString &program, int latencyMs);
    ~MarketProcess();
    MarketProcess(const MarketProcess &) = delete;
    MarketProcess &operator=(const MarketProcess &) = delete;

    // "127.0.0.1:PORT"; empty when the service did not start (see error()).
    QString host() const { return m_host; }
    QString error() const { return m_error; }

private:
    QProcess m_process;
    QString m_host;
    QString m_error;
};

// count prefixed codes ("sz000001", "sh600000") spread evenly over the Shanghai and
// Shenzhen rows of the stock list; fewer when the list is shorter or unreadable.
QStringList stockCodes(const QString &stockListPath, int count, QString *error);

// What both benchmarks start from: stock codes from the list, a running quote service and
// a fresh ledger in a temporary folder, filled by the benchmark's own function.
class BenchWorld
{
public:
    using Fill = std::function<bool(Ledger &, const QStringList &codes, QString *error)>;
    // False, with the reason on stderr, when any of the three cannot be had.
    bool prepare(const BenchOptions &options, int stockCount, int latencyMs, const Fill &fill);

private:
    QTemporaryDir m_dir; // first made, last gone: it holds the ledger's file

public:
    QStringList codes;
    std::unique_ptr<MarketProcess> market;
    Ledger ledger;
};

// Messages go to stderr; a benchmark whose run showed one is not valid.
class ConsolePrompter : public Prompter
{
public:
    void inform(const QString &text) override;
    bool confirm(const QString &text) override;
    int messages = 0;
};

// Peak resident set of this process so far, in MiB.
double peakRssMiB();

double elapsedMs(const QElapsedTimer &timer);

// "name: value unit" on stdout.
void printFigure(const char *name, double value, const char *unit);

} // namespace yanlan::bench
