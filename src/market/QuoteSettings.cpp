#include "QuoteSettings.h"

#include "common/Text.h"

namespace yanlan {

namespace {

struct Option
{
    QLatin1String argument;
    QLatin1String variable;
};

const Option HostOption{QLatin1String("--quote-host"), QLatin1String("YANLAN_QUOTE_HOST")};
const Option TimeoutOption{QLatin1String("--quote-timeout"), QLatin1String("YANLAN_QUOTE_TIMEOUT")};
const Option ConcurrencyOption{QLatin1String("--quote-concurrency"),
                               QLatin1String("YANLAN_QUOTE_CONCURRENCY")};
const Option StockListOption{QLatin1String("--stock-list-url"),
                             QLatin1String("YANLAN_STOCK_LIST_URL")};

// The value of the last occurrence of the option on the command line, if any.
bool argumentValue(const QStringList &arguments, QLatin1String name, QString *value)
{
    bool found = false;
    const QString withEquals = name + QLatin1Char('=');
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == name && i + 1 < arguments.size()) {
            *value = arguments.at(++i);
            found = true;
        } else if (arg.startsWith(withEquals)) {
            *value = arg.mid(withEquals.size());
            found = true;
        }
    }
    return found;
}

// The values an option is given, weakest first: the environment, then the command line.
QStringList layers(const Option &option, const QStringList &arguments,
                   const QProcessEnvironment &env)
{
    QStringList values;
    if (env.contains(option.variable))
        values << env.value(option.variable);
    QString value;
    if (argumentValue(arguments, option.argument, &value))
        values << value;
    return values;
}

void applyText(const Option &option, const QStringList &arguments, const QProcessEnvironment &env,
               QString &target)
{
    for (const QString &value : layers(option, arguments, env)) {
        if (!trimText(value).isEmpty())
            target = trimText(value);
    }
}

void applyPositive(const Option &option, const QStringList &arguments,
                   const QProcessEnvironment &env, int &target)
{
    for (const QString &value : layers(option, arguments, env)) {
        bool ok = false;
        const int number = trimText(value).toInt(&ok);
        if (ok && number > 0)
            target = number;
    }
}

} // namespace

QString QuoteSettings::defaultStockListUrl()
{
    return QStringLiteral(
        "http://127.0.0.1:18080/finance/stockscreener?gl=cn#c0=MarketCap&c1=PE"
        "&c2=QuotePercChange&c3=Volume&c4=QuoteLast&c5=Price13WeekPercChange&region=cn"
        "&sector=AllSectors&exchange=ALL_CN_A&sort=QuotePercChange&sortOrder=1");
}

QuoteSettings QuoteSettings::resolve(const QStringList &arguments, const QProcessEnvironment &env)
{
    QuoteSettings settings;
    applyText(HostOption, arguments, env, settings.host);
    applyPositive(TimeoutOption, arguments, env, settings.timeoutSeconds);
    applyPositive(ConcurrencyOption, arguments, env, settings.maxConcurrent);
    applyText(StockListOption, arguments, env, settings.stockListUrl);
    return settings;
}

} // namespace yanlan
