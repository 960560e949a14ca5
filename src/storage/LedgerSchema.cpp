#include "LedgerSchema.h"

#include "PasswordScrambler.h"
#include "common/Text.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace yanlan {

namespace {
std::atomic<int> g_schemaCounter{0};

const char *const SchemaStatements[] = {
    "PRAGMA journal_mode=DELETE",
    "BEGIN",
    "CREATE TABLE tUser (code TEXT COLLATE NOCASE PRIMARY KEY, pwd TEXT COLLATE NOCASE)",
    "CREATE TABLE tAccount (Code INTEGER PRIMARY KEY, Name TEXT COLLATE NOCASE,"
    " YE NUMERIC, Init NUMERIC)",
    "CREATE TABLE tStore (CODE INTEGER, GP TEXT COLLATE NOCASE, SL INTEGER, CBJ NUMERIC)",
    "CREATE INDEX ix_tStore_account_code ON tStore (CODE, GP)",
    "CREATE TABLE tJXC (AutoID INTEGER PRIMARY KEY AUTOINCREMENT, Code SMALLINT,"
    " GP VARCHAR(50) COLLATE NOCASE, sl INTEGER, dj DECIMAL(19,4), je DECIMAL(19,4),"
    " cbj DECIMAL(19,4), memo VARCHAR(255) COLLATE NOCASE,"
    " dtDate DATETIME DEFAULT (strftime('%Y-%m-%d %H:%M:%S','now','localtime')),"
    " flag SMALLINT, GPName VARCHAR(255) COLLATE NOCASE)",
    "CREATE INDEX ix_tJXC_account_flag_code ON tJXC (Code, flag, GP)",
    "CREATE INDEX ix_tJXC_account_date ON tJXC (Code, dtDate, AutoID)",
};
} // namespace

bool createLedgerFile(const QString &path, QString *error)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("%1 already exists; it is left as it is").arg(path);
        return false;
    }
    const QString connection = QStringLiteral("yanlan-schema-%1").arg(++g_schemaCounter);
    bool ok = true;
    QString message;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open()) {
            ok = false;
            message = db.lastError().text();
        } else {
            QSqlQuery q(db);
            QStringList statements;
            for (const char *s : SchemaStatements)
                statements << QString::fromUtf8(s);
            statements << QStringLiteral("INSERT INTO tUser (code,pwd) VALUES ('Admin',%1)")
                              .arg(sqlLiteral(scrambleTypedPassword(InitialPassword)));
            statements << QStringLiteral("INSERT INTO tAccount (Code,Name,YE,Init) VALUES "
                                         "(1,'短线试验',100000,100000),"
                                         "(2,'中线操作',100000,100000),"
                                         "(3,'长线投资',100000,100000)");
            statements << QStringLiteral("COMMIT");
            for (const QString &sql : statements) {
                if (!q.exec(sql)) {
                    ok = false;
                    message = q.lastError().text();
                    break;
                }
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (!ok) {
        QFile::remove(path);
        if (error)
            *error = message;
    }
    return ok;
}

} // namespace yanlan
