#pragma once

#include "storage/Ledger.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace yanlan::test {

// A fresh ledger made by the ledger tool's own code in a temporary folder, opened.
class TestLedger
{
public:
    TestLedger();
    Ledger &ledger() { return m_ledger; }
    QString path() const { return m_path; }
    QString folder() const { return m_dir.path(); }

    // Runs a statement straight on the ledger; fails the test when it fails.
    void exec(const QString &sql);
    // The first column of the first row, as text.
    QString scalar(const QString &sql);
    // Statements the ledger ran since the last call.
    QStringList takeStatements();

    // Appends a journal row with an explicit time ('yyyy-MM-dd hh:mm:ss').
    void addTrade(int account, const QString &gp, const QString &name, int flag, int quantity,
                  double price, double cost, const QString &dateTime);

private:
    QTemporaryDir m_dir;
    QString m_path;
    Ledger m_ledger;
    QStringList m_statements;
};

} // namespace yanlan::test
