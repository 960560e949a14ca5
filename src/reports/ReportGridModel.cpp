#include "ReportGridModel.h"

namespace yanlan {

int ReportGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : dataRowCount() + 1;
}

int ReportGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns().size());
}

QString ReportGridModel::displayText(int row, int column) const
{
    if (row < 0 || row > dataRowCount() || column < 0 || column >= columns().size())
        return {};
    return isFooterRow(row) ? footerText(column) : rowText(row, column);
}

QStringList ReportGridModel::captions() const
{
    QStringList out;
    for (const Column &c : columns())
        out << c.caption;
    return out;
}

GridColumnKind ReportGridModel::columnKind(int column) const
{
    if (column < 0 || column >= columns().size())
        return GridColumnKind::Text;
    return columns().at(column).kind;
}

GridColumnKind ReportGridModel::cellKind(int row, int column) const
{
    if (column < 0 || column >= columns().size())
        return GridColumnKind::Text;
    const Column &c = columns().at(column);
    return isFooterRow(row) ? c.footerKind : c.kind;
}

QVariant ReportGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() > dataRowCount() || index.column() >= columns().size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return displayText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        if (columnKind(index.column()) == GridColumnKind::Text)
            return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case gridrole::NumberFormat: {
        const GridColumnKind kind = cellKind(index.row(), index.column());
        if (kind == GridColumnKind::Text || displayText(index.row(), index.column()).isEmpty())
            return {};
        return workbookNumberFormat(kind);
    }
    case gridrole::Footer:
        return isFooterRow(index.row());
    default:
        return {};
    }
}

QVariant ReportGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columns().size())
        return columns().at(section).caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ReportGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // the totals are shown, never picked
    if (isFooterRow(index.row()))
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QString workbookNumberFormat(GridColumnKind kind)
{
    switch (kind) {
    case GridColumnKind::Whole: return QStringLiteral("0");
    case GridColumnKind::Fixed2: return QStringLiteral("0.00");
    case GridColumnKind::Plain: return QStringLiteral("General");
    case GridColumnKind::Text: break;
    }
    return {};
}

} // namespace yanlan
