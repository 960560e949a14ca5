#include "Universe.h"

#include <QFile>

namespace market {

QString quoteStyleName(const QString &name)
{
    QString out = name;
    if (out.size() == 2 || out.size() == 3)
        out.insert(1, QLatin1Char(' '));
    for (QChar &c : out) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(char16_t(0xFF21 + (c.unicode() - u'A')));
    }
    return out;
}

const QStringList &suspendedCodes()
{
    static const QStringList codes{QStringLiteral("sz000004"), QStringLiteral("sh600004"),
                                   QStringLiteral("sz000007")};
    return codes;
}

const QStringList &limitUpCodes()
{
    static const QStringList codes{QStringLiteral("sh600519"), QStringLiteral("sz300750")};
    return codes;
}

const QStringList &limitDownCodes()
{
    static const QStringList codes{QStringLiteral("sz000725")};
    return codes;
}

bool Universe::load(QString *error)
{
    QFile file(QStringLiteral(":/market/a-share-list.csv"));
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("embedded stock list missing: %1").arg(file.errorString());
        return false;
    }
    return loadCsv(file.readAll(), error);
}

bool Universe::loadCsv(const QByteArray &csv, QString *error)
{
    m_securities.clear();
    m_byCode.clear();

    // the two headline indices are not in the stock list
    add({QStringLiteral("sh000001"), QStringLiteral("上证指数"), QString(), true, Fixture::None});
    add({QStringLiteral("sz399001"), QStringLiteral("深证成指"), QString(), true, Fixture::None});

    const QList<QByteArray> lines = csv.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {  // line 0 is the header
        const QByteArray line = lines.at(i).trimmed();
        if (line.isEmpty())
            continue;
        const QList<QByteArray> cols = line.split(',');
        if (cols.size() < 3) {
            *error = QStringLiteral("stock list line %1 has %2 columns").arg(i + 1).arg(cols.size());
            return false;
        }
        const QByteArray tsCode = cols.at(0);
        QString prefix;
        if (tsCode.endsWith(".SH"))
            prefix = QStringLiteral("sh");
        else if (tsCode.endsWith(".SZ"))
            prefix = QStringLiteral("sz");
        else
            continue;  // Beijing listings are not quoted
        const QString symbol = QString::fromLatin1(cols.at(1));
        if (symbol.size() != 6) {
            *error = QStringLiteral("stock list line %1: bad symbol %2").arg(i + 1).arg(symbol);
            return false;
        }
        add({prefix + symbol, QString::fromUtf8(cols.at(2)), QString(), false, Fixture::None});
    }

    const auto mark = [this, error](const QStringList &codes, Fixture f) {
        for (const QString &code : codes) {
            const auto it = m_byCode.constFind(code);
            if (it == m_byCode.constEnd()) {
                *error = QStringLiteral("fixed security %1 is not in the stock list").arg(code);
                return false;
            }
            m_securities[size_t(*it)].fixture = f;
        }
        return true;
    };
    return mark(suspendedCodes(), Fixture::Suspended) && mark(limitUpCodes(), Fixture::LimitUp)
        && mark(limitDownCodes(), Fixture::LimitDown);
}

void Universe::add(Security s)
{
    if (m_byCode.contains(s.code))
        return;
    s.quoteName = s.isIndex ? s.name : quoteStyleName(s.name);
    m_byCode.insert(s.code, qsizetype(m_securities.size()));
    m_securities.push_back(std::move(s));
}

const Security *Universe::find(const QString &code) const
{
    const auto it = m_byCode.constFind(code);
    return it == m_byCode.constEnd() ? nullptr : &m_securities[size_t(*it)];
}

} // namespace market
