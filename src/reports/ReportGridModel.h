#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <QVector>

namespace yanlan {

// How a grid column shows its numbers; also the number format of the column's cells
// in an exported workbook.
enum class GridColumnKind {
    Text,   // shown as is, exported as text
    Whole,  // "0"
    Fixed2, // "0.00"
    Plain,  // shortest decimal form, exported with the "General" format
};

// Roles the report grids answer besides the display, alignment and header roles.
namespace gridrole {
// The number format ("0", "0.00", "General") of a cell that holds a number; no value
// for a text cell or an empty one.
inline constexpr int NumberFormat = Qt::UserRole + 1;
// true for the footer row.
inline constexpr int Footer = Qt::UserRole + 2;
} // namespace gridrole

// A read-only grid of report rows followed by one footer row of totals (the last row).
// Subclasses give the captions and the texts; this class answers the model roles.
class ReportGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Rows of data, the footer not counted.
    virtual int dataRowCount() const = 0;
    bool isFooterRow(int row) const { return row == dataRowCount(); }

    // The text the grid shows in a cell, the footer's included.
    QString displayText(int row, int column) const;

    QStringList captions() const;
    GridColumnKind columnKind(int column) const;
    // The kind the cell's text is written as: the column's kind, or the footer's own.
    GridColumnKind cellKind(int row, int column) const;

protected:
    struct Column
    {
        QString caption;
        GridColumnKind kind;
        // The footer's figure is formatted differently from the rows' in a few columns.
        GridColumnKind footerKind;
    };
    virtual const QVector<Column> &columns() const = 0;
    virtual QString rowText(int row, int column) const = 0;
    virtual QString footerText(int column) const = 0;
};

// The number format a workbook cell of the kind carries; empty for text.
QString workbookNumberFormat(GridColumnKind kind);

} // namespace yanlan
