// 砚澜模拟炒股软件: start-up, login and the main window.
#include "common/Messages.h"
#include "storage/Ledger.h"
#include "storage/LoginService.h"
#include "ui/AppContext.h"
#include "ui/LoginDialog.h"
#include "ui/MainWindow.h"
#include "ui/MessagePrompter.h"

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QProcessEnvironment>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString title = QStringLiteral("砚澜模拟炒股软件");
    QApplication::setApplicationName(title);
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(12);
    QApplication::setFont(font);
    // dates and times follow the system's locale; a bare "C" locale gets the Chinese one
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

    yanlan::MessagePrompter prompter;
    yanlan::SystemClock clock;
    yanlan::DialogSaveFileChooser chooser;

    // the ledger beside the executable, opened once for the whole run
    yanlan::Ledger ledger;
    if (!ledger.open(yanlan::Ledger::defaultPath())) {
        prompter.inform(yanlan::msg::ConnectFailed);
        return 1;
    }

    yanlan::LoginDialog login(ledger, prompter, yanlan::defaultConfigPath());
    prompter.setParent(&login);
    if (login.exec() != QDialog::Accepted)
        return 0;

    yanlan::AppContext context;
    context.ledger = &ledger;
    context.quoteSettings = yanlan::QuoteSettings::resolve(QApplication::arguments(),
                                                           QProcessEnvironment::systemEnvironment());
    context.prompter = &prompter;
    context.clock = &clock;
    context.fileChooser = &chooser;
    context.userCode = login.userCode();

    yanlan::MainWindow window(context);
    prompter.setParent(&window);
    window.show();
    return app.exec();
}
