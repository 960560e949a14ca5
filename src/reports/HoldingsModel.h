#pragma once

#include "HoldingsValuation.h"
#include "ReportGridModel.h"

namespace yanlan {

// The holdings grid: one row per held security and a footer of totals.
class HoldingsModel : public ReportGridModel
{
    Q_OBJECT
public:
    enum Column { GpCode, GpName, Cbj, CurDj, Zqsl, Kmsl, Cgje, Fdyk, Ykl, ColumnCount };

    using ReportGridModel::ReportGridModel;

    void setRows(QVector<HoldingRow> rows);
    const QVector<HoldingRow> &rows() const { return m_rows; }

    int dataRowCount() const override { return static_cast<int>(m_rows.size()); }

protected:
    const QVector<ReportGridModel::Column> &columns() const override;
    QString rowText(int row, int column) const override;
    QString footerText(int column) const override;

private:
    QVector<HoldingRow> m_rows;
};

} // namespace yanlan
