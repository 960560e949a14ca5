#include "WatchingPrompter.h"

#include <QSqlDriver>

#include <sqlite3.h>

namespace yanlan::test {

bool engineInTransaction(Ledger &ledger)
{
    const QVariant handle = ledger.database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *db = *static_cast<sqlite3 *const *>(handle.constData());
    return db && sqlite3_get_autocommit(db) == 0;
}

} // namespace yanlan::test
