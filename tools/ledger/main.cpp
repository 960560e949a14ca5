// yanlan-ledger create PATH: makes a fresh ledger file for the program.
#include "storage/LedgerSchema.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3 || args.at(1) != QLatin1String("create")) {
        err << "usage: yanlan-ledger create PATH\n";
        return 2;
    }
    QString error;
    if (!yanlan::createLedgerFile(args.at(2), &error)) {
        err << "yanlan-ledger: " << error << "\n";
        return 1;
    }
    QTextStream(stdout) << "created " << args.at(2) << "\n";
    return 0;
}
