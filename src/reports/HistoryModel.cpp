#include "HistoryModel.h"

#include "common/NumberFormat.h"
#include "common/Text.h"

#include <QLocale>

namespace yanlan {

namespace {

// A time format without its time-zone part ("t", "tt", ...) and the blanks that set it off.
QString withoutTimeZone(const QString &format)
{
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('t')) {
            continue;
        }
        out += c;
    }
    return out.simplified();
}

} // namespace

HistoryModel::HistoryModel(QObject *parent)
    : ReportGridModel(parent),
      m_timeFormat(withoutTimeZone(QLocale().timeFormat(QLocale::LongFormat)))
{
}

const QVector<ReportGridModel::Column> &HistoryModel::columns() const
{
    using K = GridColumnKind;
    static const QVector<ReportGridModel::Column> list{
        {QStringLiteral("证券代码"), K::Text, K::Text},
        {QStringLiteral("证券名称"), K::Text, K::Text},
        {QStringLiteral("交易时间"), K::Text, K::Text},
        {QStringLiteral("交易类型"), K::Text, K::Text},
        {QStringLiteral("交易数量"), K::Whole, K::Whole},
        {QStringLiteral("单价"), K::Plain, K::Plain},
        {QStringLiteral("交易金额"), K::Plain, K::Fixed2},
        {QStringLiteral("成本价"), K::Plain, K::Plain},
        {QStringLiteral("收益"), K::Plain, K::Fixed2},
    };
    return list;
}

void HistoryModel::setRows(QVector<HistoryRow> rows, bool directionFilled)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_directionFilled = directionFilled;
    m_slTotal = m_jeTotal = m_syTotal = 0;
    for (const HistoryRow &r : std::as_const(m_rows)) {
        // with both directions listed, money paid for buys counts against the sells
        const double sign = (r.flag == 1 && !m_directionFilled) ? -1.0 : 1.0;
        m_slTotal += sign * static_cast<double>(r.sl);
        m_jeTotal += sign * r.je;
        if (r.sy)
            m_syTotal += sign * *r.sy;
    }
    endResetModel();
}

QString HistoryModel::timeText(const QDateTime &when) const
{
    const QLocale locale; // the program's locale: the system's unless start-up chose one
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), m_timeFormat);
}

QString HistoryModel::rowText(int row, int column) const
{
    const HistoryRow &r = m_rows.at(row);
    switch (column) {
    case Gp: return trimText(r.gp).mid(2);
    case GpName: return r.gpName;
    case DtDate: return r.dtDate.isValid() ? timeText(r.dtDate) : QString();
    case Flag:
        return r.flag == 1 ? QStringLiteral("买入")
               : r.flag == 2 ? QStringLiteral("卖出")
                             : QString();
    case Sl: return formatWhole(static_cast<double>(r.sl));
    case Dj: return formatPlain(r.dj);
    case Je: return formatPlain(r.je);
    case Cbj: return (r.cbj && *r.cbj != 0) ? formatPlain(*r.cbj) : QString();
    case Sy: return r.sy ? formatPlain(*r.sy) : QString();
    default: return {};
    }
}

QString HistoryModel::footerText(int column) const
{
    switch (column) {
    case Gp: return QStringLiteral("记录数：%1").arg(m_rows.size());
    case Sl: return formatWhole(m_slTotal);
    case Je: return formatFixed2(m_jeTotal);
    case Sy: return formatFixed2(m_syTotal);
    default: return {};
    }
}

} // namespace yanlan
