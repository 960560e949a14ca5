#include "Ledger.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

#include <sqlite3.h>

#include <atomic>
#include <cstring>

namespace yanlan {

namespace {

std::atomic<int> g_connectionCounter{0};

QString engineMessage(const QSqlError &error)
{
    const QString text = error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

// format(date, "yyyymmdd"): the date part of a stored date-time as text in the
// given picture (yyyy, mm, dd, hh, nn, ss). Stored dates read 'YYYY-MM-DD HH:MM:SS'.
void formatFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (argc != 2 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const char *value = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const char *picture = reinterpret_cast<const char *>(sqlite3_value_text(argv[1]));
    if (!value || !picture) {
        sqlite3_result_null(context);
        return;
    }
    const std::size_t length = std::strlen(value);
    auto part = [&](std::size_t from, std::size_t count) {
        std::string s;
        for (std::size_t i = from; i < from + count; ++i)
            s += i < length ? value[i] : '0';
        return s;
    };
    std::string out;
    const std::string pic(picture);
    for (std::size_t i = 0; i < pic.size();) {
        auto starts = [&](const char *token) {
            return strncasecmp(pic.c_str() + i, token, std::strlen(token)) == 0;
        };
        if (starts("yyyy")) { out += part(0, 4); i += 4; }
        else if (starts("mm")) { out += part(5, 2); i += 2; }
        else if (starts("dd")) { out += part(8, 2); i += 2; }
        else if (starts("hh")) { out += part(11, 2); i += 2; }
        else if (starts("nn")) { out += part(14, 2); i += 2; }
        else if (starts("ss")) { out += part(17, 2); i += 2; }
        else { out += pic[i]; ++i; }
    }
    sqlite3_result_text(context, out.c_str(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(v.constData());
    return nullptr;
}

// Opens the connection on an existing file, sets it up for our statements and checks
// that the four tables are there. Returns why it is not a ledger, or an empty text.
// Every QSqlDatabase and QSqlQuery made here is gone when it returns, so the caller
// can remove the connection on failure.
QString connectLedger(const QString &connectionName, const QString &file)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=4000"));
    if (!db.open())
        return engineMessage(db.lastError());
    sqlite3 *handle = sqliteHandle(db);
    if (!handle)
        return QStringLiteral("the SQLite driver gave no handle");
    // double-quoted literals such as "yyyymmdd" are strings in our statements
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 1, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DDL, 1, nullptr);
    sqlite3_create_function(handle, "format", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            &formatFunction, nullptr, nullptr);

    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'")))
        return engineMessage(q.lastError());
    QStringList missing{QStringLiteral("tuser"), QStringLiteral("taccount"),
                        QStringLiteral("tstore"), QStringLiteral("tjxc")};
    while (q.next())
        missing.removeAll(q.value(0).toString().toLower());
    if (!missing.isEmpty())
        return QStringLiteral("missing tables: %1").arg(missing.join(QLatin1Char(',')));
    return {};
}

} // namespace

// ---- LedgerRows ----

int LedgerRows::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant LedgerRows::value(int row, int column) const
{
    if (row < 0 || row >= m_rowCount || column < 0 || column >= stride())
        return {};
    const qsizetype at = qsizetype(row) * stride() + column;
    return at < m_cells.size() ? m_cells.at(at) : QVariant();
}

void LedgerRows::appendRow(const QVector<QVariant> &row)
{
    for (int i = 0; i < stride(); ++i)
        m_cells.append(row.value(i));
    ++m_rowCount;
}

QVariant LedgerRows::value(int row, const QString &column) const
{
    return value(row, columnIndex(column));
}

QString LedgerRows::text(int row, int column) const
{
    const QVariant v = value(row, column);
    return v.isNull() ? QString() : v.toString();
}

qint64 LedgerRows::integer(int row, int column) const
{
    const QVariant v = value(row, column);
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 i = v.toLongLong(&ok);
    if (ok)
        return i;
    return static_cast<qint64>(v.toDouble());
}

double LedgerRows::number(int row, int column) const
{
    const QVariant v = value(row, column);
    return v.isNull() ? 0.0 : v.toDouble();
}

QString LedgerRows::text(int row, const QString &column) const { return text(row, columnIndex(column)); }
qint64 LedgerRows::integer(int row, const QString &column) const { return integer(row, columnIndex(column)); }
double LedgerRows::number(int row, const QString &column) const { return number(row, columnIndex(column)); }

// ---- Ledger ----

Ledger::Ledger()
    : m_connectionName(QStringLiteral("yanlan-ledger-%1").arg(++g_connectionCounter))
{
    m_tracePath = qEnvironmentVariable("YANLAN_SQL_TRACE");
}

Ledger::~Ledger()
{
    close();
}

QString Ledger::defaultPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Sys.dat"));
}

bool Ledger::open(const QString &path)
{
    close();
    m_path = path;
    m_openError.clear();
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        m_openError = QStringLiteral("%1: no such file").arg(path);
        return false;
    }
    m_openError = connectLedger(m_connectionName, info.absoluteFilePath());
    if (!m_openError.isEmpty()) {
        // every handle on the connection is gone by now, so it can be removed cleanly
        close();
        return false;
    }
    return true;
}

void Ledger::close()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            if (db.isOpen()) {
                if (m_inTransaction)
                    db.rollback();
                db.close();
            }
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    m_inTransaction = false;
}

bool Ledger::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) &&
           QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase Ledger::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

void Ledger::setBusyTimeout(int milliseconds)
{
    if (sqlite3 *handle = isOpen() ? sqliteHandle(database()) : nullptr)
        sqlite3_busy_timeout(handle, milliseconds);
}

void Ledger::report(const QString &sql)
{
    if (m_observer)
        m_observer(sql);
    if (!m_tracePath.isEmpty()) {
        QFile file(m_tracePath);
        if (file.open(QIODevice::Append | QIODevice::Text)) {
            // one statement a line, whatever line breaks the statement itself holds
            QString line = sql;
            line.replace(QLatin1String("\r\n"), QLatin1String(" "));
            line.replace(QLatin1Char('\r'), QLatin1Char(' '));
            line.replace(QLatin1Char('\n'), QLatin1Char(' '));
            file.write(line.toUtf8() + '\n');
        }
    }
}

bool Ledger::select(const QString &sql, LedgerRows &rows, QString *error)
{
    rows = LedgerRows();
    report(sql);
    if (!isOpen()) {
        if (error)
            *error = QStringLiteral("the ledger is not open");
        return false;
    }
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        if (error)
            *error = engineMessage(q.lastError());
        return false;
    }
    const QSqlRecord record = q.record();
    QStringList columns;
    columns.reserve(record.count());
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i);
    rows.setColumns(columns);
    const int count = record.count();
    while (q.next()) {
        for (int i = 0; i < count; ++i)
            rows.appendCell(q.value(i));
        rows.endRow();
    }
    if (q.lastError().isValid()) {
        if (error)
            *error = engineMessage(q.lastError());
        rows = LedgerRows();
        return false;
    }
    return true;
}

bool Ledger::execute(const QString &sql, QString *error)
{
    report(sql);
    if (!isOpen()) {
        if (error)
            *error = QStringLiteral("the ledger is not open");
        return false;
    }
    QSqlQuery q(database());
    if (!q.exec(sql)) {
        if (error)
            *error = engineMessage(q.lastError());
        return false;
    }
    return true;
}

bool Ledger::beginTransaction(QString *error)
{
    QSqlDatabase db = database();
    if (!db.isOpen() || !db.transaction()) {
        if (error)
            *error = db.isOpen() ? engineMessage(db.lastError()) : QStringLiteral("the ledger is not open");
        return false;
    }
    m_inTransaction = true;
    return true;
}

bool Ledger::commitTransaction(QString *error)
{
    QSqlDatabase db = database();
    if (!m_inTransaction) {
        if (error)
            *error = QStringLiteral("no transaction is open");
        return false;
    }
    if (!db.commit()) {
        if (error)
            *error = engineMessage(db.lastError());
        db.rollback();
        // a commit that failed half-way may leave SQLite's transaction open
        if (sqlite3 *handle = sqliteHandle(db); handle && !sqlite3_get_autocommit(handle))
            sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
        m_inTransaction = false;
        return false;
    }
    m_inTransaction = false;
    return true;
}

void Ledger::rollbackTransaction()
{
    if (!m_inTransaction)
        return;
    QSqlDatabase db = database();
    db.rollback();
    if (sqlite3 *handle = sqliteHandle(db); handle && !sqlite3_get_autocommit(handle))
        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
    m_inTransaction = false;
}

// ---- LedgerTransaction ----

LedgerTransaction::~LedgerTransaction()
{
    rollback();
}

bool LedgerTransaction::begin(QString *error)
{
    m_active = m_ledger.beginTransaction(error);
    return m_active;
}

bool LedgerTransaction::commit(QString *error)
{
    if (!m_active) {
        if (error)
            *error = QStringLiteral("no transaction is open");
        return false;
    }
    m_active = false;
    return m_ledger.commitTransaction(error);
}

void LedgerTransaction::rollback()
{
    if (m_active) {
        m_active = false;
        m_ledger.rollbackTransaction();
    }
}

} // namespace yanlan
