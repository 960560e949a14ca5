#pragma once

#include "common/Seams.h"

#include <QAbstractTableModel>
#include <QString>

namespace yanlan {

enum class ExportKind { Holdings, History };

struct ExportOutcome
{
    enum class Status { NoData, Cancelled, Written, Failed };
    Status status = Status::NoData;
    QString path; // the file written or tried
};

// The file name the save dialog suggests: the page caption, the grid's name and today,
// e.g. "▲短线试验_持股表_20261211".
QString suggestedExportName(ExportKind kind, const QString &navigationCaption, const Clock &clock);

// The chosen file name with its extension replaced by ".xls" (one is added when there
// is none; a dot in a folder name is no extension).
QString withXlsExtension(const QString &chosenPath);

// Writes a report grid (a HoldingsModel or a HistoryModel, footer row included) to an
// Excel 97-2003 workbook the user picks. dataOpened and dataRowCount describe the data
// behind the grid; without any there is nothing to export.
ExportOutcome exportGrid(ExportKind kind, bool dataOpened, int dataRowCount,
                         const QAbstractTableModel &model, const QString &navigationCaption,
                         SaveFileChooser &chooser, Prompter &prompter, const Clock &clock);

} // namespace yanlan
