#pragma once

#include <QString>

namespace yanlan {

// The password a fresh ledger accepts for the user "Admin".
inline const QString InitialPassword = QStringLiteral("123456");

// Makes a fresh Sys.dat: the four tables, their indexes, the user "Admin" and the
// three accounts with 100000 each. Refuses to overwrite an existing file.
bool createLedgerFile(const QString &path, QString *error);

} // namespace yanlan
