#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace market {

// How a security behaves regardless of seed and clock, so tests and demos can rely on it.
enum class Fixture { None, Suspended, LimitUp, LimitDown };

struct Security {
    QString code;        // prefixed code as asked in /list=, e.g. "sz000001"
    QString name;        // short name exactly as in the stock list, e.g. "万科A"
    QString quoteName;   // name as the quote line shows it, e.g. "万 科Ａ"
    bool isIndex = false;
    Fixture fixture = Fixture::None;
};

// Quote-style name: names shorter than four characters get one blank after the first
// character, and ASCII capitals become full-width capitals (A → Ａ, U+FF21).
QString quoteStyleName(const QString &name);

// Codes with fixed behaviour, listed in USAGE.md.
const QStringList &suspendedCodes();
const QStringList &limitUpCodes();
const QStringList &limitDownCodes();

class Universe {
public:
    // Reads the embedded stock list; false with a message when it cannot be used.
    bool load(QString *error);
    // Reads a stock list in the ts_code,symbol,name,... layout from CSV text.
    bool loadCsv(const QByteArray &csv, QString *error);

    const Security *find(const QString &code) const;
    const std::vector<Security> &all() const { return m_securities; }

private:
    void add(Security s);

    std::vector<Security> m_securities;
    QHash<QString, qsizetype> m_byCode;
};

} // namespace market
