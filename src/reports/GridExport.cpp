#include "GridExport.h"

#include "ReportGridModel.h"
#include "XlsWorkbook.h"
#include "common/Dates.h"
#include "common/Messages.h"
#include "common/Text.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace yanlan {

namespace {

const QString NoData = QStringLiteral("当前无数据!");
const QString Done = QStringLiteral("导出完成!");
const QString Failed = QStringLiteral("导出失败!");
const QString Filter = QStringLiteral("Excel文件|*.xls");

// The grid as workbook cells: numbers where the grid shows a number, in its format.
XlsTable tableOf(const QAbstractTableModel &model, const QString &sheetName)
{
    XlsTable table;
    table.sheetName = sheetName;
    const int columns = model.columnCount();
    for (int c = 0; c < columns; ++c)
        table.headers << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    const int rows = model.rowCount();
    table.rows.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        QVector<XlsCell> cells;
        cells.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            const QModelIndex index = model.index(r, c);
            const QString text = model.data(index, Qt::DisplayRole).toString();
            const QVariant format = model.data(index, gridrole::NumberFormat);
            bool isNumber = false;
            const double number = text.toDouble(&isNumber);
            if (text.isEmpty())
                cells.append(XlsCell::empty());
            else if (format.isValid() && isNumber)
                cells.append(XlsCell::fromNumber(number, format.toString()));
            else
                cells.append(XlsCell::fromText(text));
        }
        table.rows.append(std::move(cells));
    }
    return table;
}

} // namespace

QString suggestedExportName(ExportKind kind, const QString &navigationCaption, const Clock &clock)
{
    const QString grid =
        kind == ExportKind::Holdings ? QStringLiteral("_持股表_") : QStringLiteral("_交易明细_");
    return trimText(navigationCaption) + grid + yyyymmdd(clock.today());
}

QString withXlsExtension(const QString &chosenPath)
{
    const QFileInfo info(chosenPath);
    QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    const qsizetype nameStart = chosenPath.size() - info.fileName().size();
    return chosenPath.left(nameStart) + name + QStringLiteral(".xls");
}

ExportOutcome exportGrid(ExportKind kind, bool dataOpened, int dataRowCount,
                         const QAbstractTableModel &model, const QString &navigationCaption,
                         SaveFileChooser &chooser, Prompter &prompter, const Clock &clock)
{
    ExportOutcome outcome;
    if (!dataOpened || dataRowCount == 0) {
        prompter.inform(NoData);
        return outcome;
    }
    const QString chosen =
        chooser.chooseSaveFile(suggestedExportName(kind, navigationCaption, clock), Filter);
    if (chosen.isEmpty()) {
        outcome.status = ExportOutcome::Status::Cancelled;
        return outcome;
    }
    outcome.path = withXlsExtension(chosen);

    const XlsTable table = tableOf(model, kind == ExportKind::Holdings ? QStringLiteral("持股表")
                                                                     : QStringLiteral("交易明细"));
    // the chosen name may differ from the file written ("report.txt" writes report.xls),
    // so replacing an existing workbook is confirmed here, for the file really written
    if (QFileInfo::exists(outcome.path) &&
        !prompter.confirm(QStringLiteral("文件\"%1\"已存在,是否替换?")
                              .arg(QDir::toNativeSeparators(outcome.path)))) {
        outcome.status = ExportOutcome::Status::Cancelled;
        return outcome;
    }
    // written beside the target and renamed over it at the end: a failure leaves an
    // existing file as it was
    QSaveFile file(outcome.path);
    if (!file.open(QIODevice::WriteOnly)) {
        outcome.status = ExportOutcome::Status::Failed;
        prompter.inform(reportFailureText(Failed, file.errorString()));
        return outcome;
    }
    XlsWorkbook workbook;
    if (!workbook.write(table, &file)) {
        file.cancelWriting();
        outcome.status = ExportOutcome::Status::Failed;
        prompter.inform(reportFailureText(Failed, workbook.errorString()));
        return outcome;
    }
    if (!file.commit()) {
        outcome.status = ExportOutcome::Status::Failed;
        prompter.inform(reportFailureText(Failed, file.errorString()));
        return outcome;
    }
    outcome.status = ExportOutcome::Status::Written;
    prompter.inform(Done);
    return outcome;
}

} // namespace yanlan
