#pragma once

#include "RecordingPrompter.h"
#include "storage/Ledger.h"

#include <QList>

namespace yanlan::test {

// What SQLite itself says, not what the Ledger object believes.
bool engineInTransaction(Ledger &ledger);

// A recording prompter that also notes, for each box, whether a transaction was open.
class WatchingPrompter : public RecordingPrompter
{
public:
    explicit WatchingPrompter(Ledger &ledger) : m_ledger(ledger) {}
    void inform(const QString &text) override
    {
        openAtBox << engineInTransaction(m_ledger);
        RecordingPrompter::inform(text);
    }
    bool confirm(const QString &text) override
    {
        openAtBox << engineInTransaction(m_ledger);
        return RecordingPrompter::confirm(text);
    }
    bool boxShownInTransaction() const { return openAtBox.contains(true); }

    QList<bool> openAtBox;

private:
    Ledger &m_ledger;
};

} // namespace yanlan::test
