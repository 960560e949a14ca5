#include "HoldingsModel.h"

#include "common/NumberFormat.h"

namespace yanlan {

const QVector<ReportGridModel::Column> &HoldingsModel::columns() const
{
    using K = GridColumnKind;
    static const QVector<ReportGridModel::Column> list{
        {QStringLiteral("证券代码"), K::Text, K::Text},
        {QStringLiteral("证券名称"), K::Text, K::Text},
        {QStringLiteral("成本价"), K::Plain, K::Plain},
        {QStringLiteral("当前价"), K::Plain, K::Plain},
        {QStringLiteral("证券数量"), K::Whole, K::Whole},
        {QStringLiteral("可卖数量"), K::Whole, K::Whole},
        {QStringLiteral("持股市值"), K::Fixed2, K::Fixed2},
        {QStringLiteral("浮动盈亏"), K::Fixed2, K::Fixed2},
        {QStringLiteral("盈亏率(%)"), K::Plain, K::Plain},
    };
    return list;
}

void HoldingsModel::setRows(QVector<HoldingRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

QString HoldingsModel::rowText(int row, int column) const
{
    const HoldingRow &r = m_rows.at(row);
    switch (column) {
    case GpCode: return r.gpCode;
    case GpName: return r.gpName;
    case Cbj: return formatPlain(r.cbj);
    case CurDj: return formatPlain(r.curDj);
    case Zqsl: return formatWhole(r.zqsl);
    case Kmsl: return formatWhole(r.kmsl);
    case Cgje: return formatFixed2(r.cgje);
    case Fdyk: return formatFixed2(r.fdyk);
    case Ykl: return r.ykl ? formatPlain(*r.ykl) : QString();
    default: return {};
    }
}

QString HoldingsModel::footerText(int column) const
{
    switch (column) {
    case GpCode: return QStringLiteral("记录数：%1").arg(m_rows.size());
    case Zqsl:
    case Kmsl: {
        double sum = 0;
        for (const HoldingRow &r : m_rows)
            sum += column == Zqsl ? r.zqsl : r.kmsl;
        return formatWhole(sum);
    }
    case Cgje:
    case Fdyk: {
        double sum = 0;
        for (const HoldingRow &r : m_rows)
            sum += column == Cgje ? r.cgje : r.fdyk;
        return formatFixed2(sum);
    }
    default: return {};
    }
}

} // namespace yanlan
