#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

namespace yanlan {

// The rows of one SELECT. Columns are found without regard to case; a NULL reads
// as 0 or as an empty text, and so does a column of an empty result.
class LedgerRows
{
public:
    bool isEmpty() const { return rowCount() == 0; }
    int rowCount() const { return m_rowCount; }
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    const QStringList &columns() const { return m_columns; }
    int columnIndex(const QString &name) const;

    QVariant value(int row, int column) const;
    QVariant value(int row, const QString &column) const;
    QString text(int row, const QString &column) const;
    qint64 integer(int row, const QString &column) const;
    double number(int row, const QString &column) const;
    QString text(int row, int column) const;
    qint64 integer(int row, int column) const;
    double number(int row, int column) const;

    void setColumns(QStringList columns) { m_columns = std::move(columns); }
    void reserveRows(int rows) { m_cells.reserve(qsizetype(rows) * qMax(1, columnCount())); }
    // A row of as many values as there are columns (missing ones read as NULL).
    void appendRow(const QVector<QVariant> &row);
    void appendCell(QVariant value) { m_cells.append(std::move(value)); }
    void endRow() { ++m_rowCount; }

private:
    int stride() const { return qMax(1, columnCount()); }

    QStringList m_columns;
    QVector<QVariant> m_cells; // row after row, one cell per column
    int m_rowCount = 0;
};

// The one connection to the ledger file Sys.dat.
class Ledger
{
public:
    Ledger();
    ~Ledger();
    Ledger(const Ledger &) = delete;
    Ledger &operator=(const Ledger &) = delete;

    // Opens an existing ledger; fails for a missing file, a file that is not a
    // database and a database without the four tables.
    bool open(const QString &path);
    void close();
    bool isOpen() const;
    QString openError() const { return m_openError; }
    QString path() const { return m_path; }

    // A SELECT; on failure returns false with the engine's message in *error.
    bool select(const QString &sql, LedgerRows &rows, QString *error);
    // INSERT, UPDATE, DELETE.
    bool execute(const QString &sql, QString *error);

    bool beginTransaction(QString *error);
    // A commit that fails is rolled back before this returns false.
    bool commitTransaction(QString *error);
    void rollbackTransaction();
    bool inTransaction() const { return m_inTransaction; }

    // Milliseconds a statement waits for a ledger locked by another process.
    void setBusyTimeout(int milliseconds);

    // Each statement text is handed to the observer before it runs.
    using StatementObserver = std::function<void(const QString &)>;
    void setStatementObserver(StatementObserver observer) { m_observer = std::move(observer); }

    QSqlDatabase database() const;

    // Sys.dat in the folder of the running executable.
    static QString defaultPath();

private:
    void report(const QString &sql);

    QString m_connectionName;
    QString m_path;
    QString m_openError;
    QString m_tracePath;
    bool m_inTransaction = false;
    StatementObserver m_observer;
};

// Begin, commit, roll back; a transaction that was neither committed nor rolled
// back is rolled back when the object goes.
class LedgerTransaction
{
public:
    explicit LedgerTransaction(Ledger &ledger) : m_ledger(ledger) {}
    ~LedgerTransaction();
    LedgerTransaction(const LedgerTransaction &) = delete;
    LedgerTransaction &operator=(const LedgerTransaction &) = delete;

    bool begin(QString *error);
    bool commit(QString *error);
    void rollback();

private:
    Ledger &m_ledger;
    bool m_active = false;
};

} // namespace yanlan
