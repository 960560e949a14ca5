#pragma once

#include "ReportGridModel.h"
#include "TradeHistory.h"

namespace yanlan {

// The trade-history grid: the journal rows and a footer of totals.
class HistoryModel : public ReportGridModel
{
    Q_OBJECT
public:
    enum Column { Gp, GpName, DtDate, Flag, Sl, Dj, Je, Cbj, Sy, ColumnCount };

    explicit HistoryModel(QObject *parent = nullptr);

    // directionFilled: a direction was chosen, so buys are not counted against sells.
    void setRows(QVector<HistoryRow> rows, bool directionFilled);
    const QVector<HistoryRow> &rows() const { return m_rows; }
    bool directionFilled() const { return m_directionFilled; }

    int dataRowCount() const override { return static_cast<int>(m_rows.size()); }

protected:
    const QVector<ReportGridModel::Column> &columns() const override;
    QString rowText(int row, int column) const override;
    QString footerText(int column) const override;

private:
    QString timeText(const QDateTime &when) const;

    QVector<HistoryRow> m_rows;
    bool m_directionFilled = false;
    QString m_timeFormat;
    // footer figures, worked out when the rows are set
    double m_slTotal = 0;
    double m_jeTotal = 0;
    double m_syTotal = 0;
};

} // namespace yanlan
