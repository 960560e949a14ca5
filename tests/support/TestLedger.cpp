#include "TestLedger.h"

#include "common/NumberFormat.h"
#include "common/Text.h"
#include "storage/LedgerSchema.h"

#include <QTest>

namespace yanlan::test {

TestLedger::TestLedger()
{
    m_path = m_dir.filePath(QStringLiteral("Sys.dat"));
    QString error;
    if (!createLedgerFile(m_path, &error))
        qFatal("cannot create a test ledger: %s", qPrintable(error));
    if (!m_ledger.open(m_path))
        qFatal("cannot open the test ledger: %s", qPrintable(m_ledger.openError()));
    m_ledger.setStatementObserver([this](const QString &sql) { m_statements << sql; });
}

void TestLedger::exec(const QString &sql)
{
    QString error;
    if (!m_ledger.execute(sql, &error))
        qFatal("statement failed: %s: %s", qPrintable(sql), qPrintable(error));
    m_statements.removeLast();
}

QString TestLedger::scalar(const QString &sql)
{
    LedgerRows rows;
    QString error;
    if (!m_ledger.select(sql, rows, &error))
        qFatal("query failed: %s: %s", qPrintable(sql), qPrintable(error));
    m_statements.removeLast();
    return rows.text(0, 0);
}

QStringList TestLedger::takeStatements()
{
    QStringList out;
    out.swap(m_statements);
    return out;
}

void TestLedger::addTrade(int account, const QString &gp, const QString &name, int flag,
                          int quantity, double price, double cost, const QString &dateTime)
{
    const QString cbj = flag == 2 ? formatShort(cost) : QStringLiteral("NULL");
    exec(QStringLiteral("INSERT INTO tJXC (Code,GP,GPName,sl,dj,je,cbj,flag,dtDate) "
                        "VALUES (%1,%2,%3,%4,%5,%6,%7,%8,%9)")
             .arg(account)
             .arg(sqlLiteral(gp), sqlLiteral(name))
             .arg(quantity)
             .arg(formatShort(price), formatShort(quantity * price), cbj)
             .arg(flag)
             .arg(sqlLiteral(dateTime)));
}

} // namespace yanlan::test
