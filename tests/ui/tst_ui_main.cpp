// The main window and an account page, driven through their widgets offscreen, against a
// real ledger and a quote server on loopback.
#include "RecordingPrompter.h"
#include "TestLedger.h"
#include "TestQuoteServer.h"

#include "storage/LedgerSchema.h"
#include "ui/AccountPage.h"
#include "ui/AppContext.h"
#include "ui/CommitLineEdit.h"
#include "ui/MainWindow.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace yanlan;
using namespace yanlan::test;

namespace {

class ScriptedChooser : public SaveFileChooser
{
public:
    QString chooseSaveFile(const QString &suggested, const QString &) override
    {
        suggestions << suggested;
        return answer;
    }
    QStringList suggestions;
    QString answer;
};

// One window over a fresh ledger; 000001 answers from Shenzhen, 600000 from Shanghai,
// 999999 from neither.
struct Fixture {
    TestLedger ledger;
    TestQuoteServer server;
    RecordingPrompter prompter;
    FixedClock clock{QDate(2026, 3, 31)};
    ScriptedChooser chooser;
    AppContext context;
    std::unique_ptr<MainWindow> window;

    Fixture()
    {
        server.setQuote(QStringLiteral("sz000001"),
                        quoteReply(QStringLiteral("sz000001"),
                                   {QStringLiteral("平安银行"), QStringLiteral("10.00"),
                                    QStringLiteral("10.00"), QStringLiteral("10.50")}));
        server.setQuote(QStringLiteral("sz600000"), notFoundReply(QStringLiteral("sz600000")));
        server.setQuote(QStringLiteral("sh600000"),
                        quoteReply(QStringLiteral("sh600000"),
                                   {QStringLiteral("浦发银行"), QStringLiteral("8.00"),
                                    QStringLiteral("8.00"), QStringLiteral("8.20")}));
        server.setQuote(QStringLiteral("sz999999"), notFoundReply(QStringLiteral("sz999999")));
        server.setQuote(QStringLiteral("sh999999"), notFoundReply(QStringLiteral("sh999999")));
        context.ledger = &ledger.ledger();
        context.quoteSettings.host = server.host();
        context.quoteSettings.timeoutSeconds = 2;
        context.prompter = &prompter;
        context.clock = &clock;
        context.fileChooser = &chooser;
    }

    MainWindow &show()
    {
        window = std::make_unique<MainWindow>(context);
        window->show();
        return *window;
    }

    template<typename T> T *find(const QString &name)
    {
        T *w = window->findChild<T *>(name);
        if (!w)
            qFatal("no widget %s", qPrintable(name));
        return w;
    }

    // Types a code into a code field and leaves it, as a person does.
    void enterCode(const QString &field, const QString &code)
    {
        auto *edit = find<CommitLineEdit>(field);
        edit->setFocus();
        edit->setText(code);
        edit->commit();
    }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void startsOnAccountOneWithMarkAndCaption();
    void navigationMovesTheMark();
    void missingAccountRowShowsDefaults();
    void newTitleShowsAfterNavigation();
    void openingResetsFiltersToOneMonthBack();
    void lookupFillsPanelAndCurrentQuote();
    void sameCodeIsNotLookedUpTwice();
    void tabSwitchEmptiesBothPanels();
    void risesRedFallsGreen();
    void failedLookupEmptiesThePanel_data();
    void failedLookupEmptiesThePanel();
    void buyThenHoldingDoubleClickOpensSell();
    void sellSharesOfAnEarlierDay();
    void holdingsKeepTheirRowsWhenTheListCannotBeRead();
    void enterMovesTheFocus();
    void exitAsksFirst();
};

void TestMainWindow::startsOnAccountOneWithMarkAndCaption()
{
    Fixture f;
    MainWindow &w = f.show();
    QCOMPARE(w.currentPageName(), QStringLiteral("DX"));
    QCOMPARE(f.find<QLabel>("lbl_Caption")->text(), QStringLiteral("当前位置：短线试验"));
    QCOMPARE(f.find<QPushButton>("btn_DX")->text(), QStringLiteral("▲短线试验"));
    QCOMPARE(f.find<QPushButton>("btn_ZX")->text(), QStringLiteral("中线操作"));
    QVERIFY(f.find<QPushButton>("btn_DX")->isEnabled());
    // the holdings were valued and the summary computed on opening
    QCOMPARE(f.find<QLineEdit>("edt_DX_YE")->text(), QStringLiteral("100000.00"));
    QCOMPARE(f.find<QLineEdit>("edt_DX_SZ")->text(), QStringLiteral("0.00"));
    QVERIFY(f.prompter.all.isEmpty());
}

void TestMainWindow::navigationMovesTheMark()
{
    Fixture f;
    MainWindow &w = f.show();
    QTest::mouseClick(f.find<QPushButton>("btn_ZX"), Qt::LeftButton);
    QCOMPARE(w.currentPageName(), QStringLiteral("ZX"));
    QCOMPARE(f.find<QPushButton>("btn_DX")->text(), QStringLiteral("短线试验"));
    QCOMPARE(f.find<QPushButton>("btn_ZX")->text(), QStringLiteral("▲中线操作"));
    QCOMPARE(f.find<QLabel>("lbl_Caption")->text(), QStringLiteral("当前位置：中线操作"));

    QTest::mouseClick(f.find<QPushButton>("btn_SysSet"), Qt::LeftButton);
    QCOMPARE(w.currentPageName(), QStringLiteral("SysSet"));
    QCOMPARE(f.find<QPushButton>("btn_SysSet")->text(), QStringLiteral("▲系统设置"));
    QCOMPARE(f.find<QPushButton>("btn_ZX")->text(), QStringLiteral("中线操作"));
    QCOMPARE(f.find<QLabel>("lbl_Caption")->text(), QStringLiteral("当前位置：系统设置"));

    QTest::mouseClick(f.find<QPushButton>("btn_CX"), Qt::LeftButton);
    QCOMPARE(f.find<QPushButton>("btn_SysSet")->text(), QStringLiteral("系统设置"));
    QCOMPARE(f.find<QPushButton>("btn_CX")->text(), QStringLiteral("▲长线投资"));
}

void TestMainWindow::missingAccountRowShowsDefaults()
{
    Fixture f;
    f.ledger.exec(QStringLiteral("UPDATE tAccount SET Name='我的短线',YE=5000.5 WHERE Code=1"));
    f.ledger.exec(QStringLiteral("DELETE FROM tAccount WHERE Code=3"));
    f.show();
    QTest::mouseClick(f.find<QPushButton>("btn_SysSet"), Qt::LeftButton);
    QCOMPARE(f.find<QPushButton>("btn_DX")->text(), QStringLiteral("我的短线"));
    QCOMPARE(f.find<QGroupBox>("grp_DX")->title(), QStringLiteral("我的短线"));
    QCOMPARE(f.find<QLineEdit>("edt_DXMoney")->text(), QStringLiteral("5000.5"));
    QCOMPARE(f.find<QPushButton>("btn_CX")->text(), QStringLiteral("长线投资"));
    QCOMPARE(f.find<QGroupBox>("grp_CX")->title(), QStringLiteral("长线投资"));
    QCOMPARE(f.find<QLineEdit>("edt_CX")->text(), QStringLiteral("长线投资"));
    QCOMPARE(f.find<QLineEdit>("edt_CXMoney")->text(), QStringLiteral("100000"));

    // an amount typed and not applied is replaced at the next navigation
    f.find<QLineEdit>("edt_DXMoney")->setText(QStringLiteral("123"));
    QTest::mouseClick(f.find<QPushButton>("btn_ZX"), Qt::LeftButton);
    QCOMPARE(f.find<QLineEdit>("edt_DXMoney")->text(), QStringLiteral("5000.5"));

    // account 3 has no row: its summary reads as zeros and no rate
    QTest::mouseClick(f.find<QPushButton>("btn_CX"), Qt::LeftButton);
    QCOMPARE(f.find<QLineEdit>("edt_CX_YE")->text(), QStringLiteral("0.00"));
    QCOMPARE(f.find<QLineEdit>("edt_CX_QC")->text(), QStringLiteral("0.00"));
    QCOMPARE(f.find<QLineEdit>("edt_CX_YKL")->text(), QString());
}

void TestMainWindow::newTitleShowsAfterNavigation()
{
    Fixture f;
    f.show();
    f.ledger.exec(QStringLiteral("UPDATE tAccount SET Name='  O''Neil 的账户 ' WHERE Code=2"));
    QTest::mouseClick(f.find<QPushButton>("btn_ZX"), Qt::LeftButton);
    QCOMPARE(f.find<QPushButton>("btn_ZX")->text(), QStringLiteral("▲O'Neil 的账户"));
    QCOMPARE(f.find<QLabel>("lbl_Caption")->text(), QStringLiteral("当前位置：O'Neil 的账户"));
}

void TestMainWindow::openingResetsFiltersToOneMonthBack()
{
    Fixture f;
    f.show();
    auto *begin = f.find<QDateEdit>("dt_DXBegin");
    auto *end = f.find<QDateEdit>("dt_DXEnd");
    QCOMPARE(end->date(), QDate(2026, 3, 31));
    QCOMPARE(begin->date(), QDate(2026, 3, 1));
    auto *direction = f.find<QComboBox>("cmb_DXType");
    QCOMPARE(direction->currentIndex(), -1);
    QCOMPARE(direction->count(), 3);
    QCOMPARE(direction->itemText(2), QStringLiteral("卖出"));

    direction->setCurrentIndex(2);
    f.find<QLineEdit>("edt_FDXCode")->setText(QStringLiteral("abc"));
    f.find<QLineEdit>("edt_DXSL")->setText(QStringLiteral("100"));
    f.clock.date = QDate(2026, 5, 15);
    QTest::mouseClick(f.find<QPushButton>("btn_DX"), Qt::LeftButton);
    QCOMPARE(begin->date(), QDate(2026, 4, 16));
    QCOMPARE(direction->currentIndex(), -1);
    QCOMPARE(f.find<QLineEdit>("edt_FDXCode")->text(), QString());
    QCOMPARE(f.find<QLineEdit>("edt_DXSL")->text(), QString());
}

void TestMainWindow::lookupFillsPanelAndCurrentQuote()
{
    Fixture f;
    f.show();
    f.server.clearLog();
    f.enterCode(QStringLiteral("edt_DXCode"), QStringLiteral("000001"));
    QVERIFY2(f.prompter.informed.isEmpty(), qPrintable(f.prompter.informed.join('|')));
    QCOMPARE(f.find<QLineEdit>("edt_DXName")->text(), QStringLiteral("平安银行"));
    QCOMPARE(f.find<QLineEdit>("edt_DXDJ")->text(), QStringLiteral("10.5"));
    QCOMPARE(f.find<QLabel>("lbl_DXKME")->text(), QStringLiteral("100000.00"));
    QCOMPARE(f.find<QLabel>("lbl_DXKML")->text(), QStringLiteral("9523"));
    QCOMPARE(f.find<QLineEdit>("edt_DX_1")->text(), QStringLiteral("11.00"));
    QCOMPARE(f.find<QLineEdit>("edt_DX_2")->text(), QStringLiteral("9.00"));
    QCOMPARE(f.find<QLineEdit>("edt_DX_6")->text(), QStringLiteral("5.00"));
    QCOMPARE(f.context.currentQuote.code, QStringLiteral("sz000001"));
    QCOMPARE(f.server.requestedTargets(), QStringList{QStringLiteral("/list=sz000001")});

    // the sell panel of another account falls back to Shanghai and shows its sellable quantity
    QTest::mouseClick(f.find<QPushButton>("btn_ZX"), Qt::LeftButton);
    f.find<QTabWidget>("pg_ZXJY")->setCurrentIndex(1);
    f.enterCode(QStringLiteral("edt_ZXCode2"), QStringLiteral("600000"));
    QCOMPARE(f.find<QLineEdit>("edt_ZXName2")->text(), QStringLiteral("浦发银行"));
    QCOMPARE(f.find<QLabel>("lbl_ZXKMSL")->text(), QStringLiteral("0"));
    QCOMPARE(f.context.currentQuote.code, QStringLiteral("sh600000"));
}

void TestMainWindow::sameCodeIsNotLookedUpTwice()
{
    Fixture f;
    f.show();
    f.server.clearLog();
    f.enterCode(QStringLiteral("edt_DXCode"), QStringLiteral("000001"));
    f.enterCode(QStringLiteral("edt_DXCode"), QStringLiteral("000001"));
    QCOMPARE(f.server.requestCount(), 1);
    f.enterCode(QStringLiteral("edt_DXCode"), QString());
    QCOMPARE(f.find<QLineEdit>("edt_DXName")->text(), QString());
    QCOMPARE(f.server.requestCount(), 1);
    f.enterCode(QStringLiteral("edt_DXCode"), QStringLiteral("000001"));
    QCOMPARE(f.server.requestCount(), 2);
}

void TestMainWindow::tabSwitchEmptiesBothPanels()
{
    Fixture f;
    f.show();
    f.enterCode(QStringLiteral("edt_DXCode"), QStringLiteral("000001"));
    f.find<QLineEdit>("edt_DXSL")->setText(QStringLiteral("100"));
    f.find<QTabWidget>("pg_DXJY")->setCurrentIndex(1);
    QCOMPARE(f.find<QLineEdit>("edt_DXCode")->text(), QString());
    QCOMPARE(f.find<QLineEdit>("edt_DXName")->text(), QString());
    QCOMPARE(f.find<QLineEdit>("edt_DXSL")->text(), QString());
    QCOMPARE(f.find<QLineEdit>("edt_DX_1")->text(), QString());
    QCOMPARE(f.find<QLabel>("lbl_DXKME")->text(), QString());

    f.enterCode(QStringLiteral("edt_DXCode2"), QStringLiteral("000001"));
    QCOMPARE(f.find<QLineEdit>("edt_DX_1_1")->text(), QStringLiteral("11.00"));
    f.find<QTabWidget>("pg_DXJY")->setCurrentIndex(0);
    QCOMPARE(f.find<QLineEdit>("edt_DXCode2")->text(), QString());
    QCOMPARE(f.find<QLineEdit>("edt_DX_1_1")->text(), QString());
    QCOMPARE(f.find<QLabel>("lbl_DXKMSL")->text(), QString());
}

void TestMainWindow::risesRedFallsGreen()
{
    Fixture f;
    f.server.setQuote(QStringLiteral("sz000002"),
                      quoteReply(QStringLiteral("sz000002"),
                                 {QStringLiteral("万 科Ａ"), QStringLiteral("10.00"),
                                  QStringLiteral("10.00"), QStringLiteral("9.50")}));
    f.show();
    const QStringList trendFields{QStringLiteral("edt_DXDJ"), QStringLiteral("edt_DX_3"),
                                  QStringLiteral("edt_DX_6")};
    auto trends = [&] {
        QList<int> out;
        for (const QString &name : trendFields)
            out << f.find<QLineEdit>(name)->property("trend").toInt();
        return out;
    };
    f.enterCode(QStringLiteral("edt_DXCode"), QStringLiteral("000001")); // 10.00 -> 10.50
    QCOMPARE(trends(), QList<int>({1, 1, 1}));
    QVERIFY(f.find<QLineEdit>("edt_DX_3")->styleSheet().contains(QStringLiteral("#d00000")));
    f.enterCode(QStringLiteral("edt_DXCode"), QStringLiteral("000002")); // 10.00 -> 9.50
    QCOMPARE(f.find<QLineEdit>("edt_DXName")->text(), QStringLiteral("万 科Ａ"));
    QCOMPARE(trends(), QList<int>({-1, -1, -1}));
    QVERIFY(f.find<QLineEdit>("edt_DX_6")->styleSheet().contains(QStringLiteral("#008000")));
    f.enterCode(QStringLiteral("edt_DXCode"), QString());
    QCOMPARE(trends(), QList<int>({0, 0, 0}));
}

void TestMainWindow::failedLookupEmptiesThePanel_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("serverDown");
    QTest::addColumn<QString>("messageStart");
    QTest::newRow("neither exchange") << "999999" << false << QStringLiteral("股票代码没有被发现，请检查股票代码!");
    QTest::newRow("service down") << "000001" << true << QStringLiteral("对不起,读取股票数据失败!\r");
}

void TestMainWindow::failedLookupEmptiesThePanel()
{
    QFETCH(QString, code);
    QFETCH(bool, serverDown);
    QFETCH(QString, messageStart);
    Fixture f;
    f.show();
    f.enterCode(QStringLiteral("edt_DXCode"), QStringLiteral("600000"));
    QCOMPARE(f.find<QLineEdit>("edt_DXName")->text(), QStringLiteral("浦发银行"));
    if (serverDown)
        f.context.quoteSettings.host = QStringLiteral("127.0.0.1:%1").arg(TestQuoteServer::unusedPort());
    f.enterCode(QStringLiteral("edt_DXCode"), code);
    QCOMPARE(f.prompter.informed.size(), 1);
    QVERIFY2(f.prompter.informed.first().startsWith(messageStart), qPrintable(f.prompter.informed.first()));
    QCOMPARE(f.find<QLineEdit>("edt_DXCode")->text(), QString());
    QCOMPARE(f.find<QLineEdit>("edt_DXName")->text(), QString());
    QCOMPARE(f.find<QLineEdit>("edt_DX_1")->text(), QString());
    QCOMPARE(f.find<QLabel>("lbl_DXKME")->text(), QString());
    // the record keeps the last security that was found
    QCOMPARE(f.context.currentQuote.code, QStringLiteral("sh600000"));
}

void TestMainWindow::buyThenHoldingDoubleClickOpensSell()
{
    Fixture f;
    f.clock.date = QDate::currentDate(); // the journal dates its rows by the real clock
    f.show();
    f.enterCode(QStringLiteral("edt_DXCode"), QStringLiteral("000001"));
    f.find<QLineEdit>("edt_DXSL")->setText(QStringLiteral("200"));
    f.find<QTabWidget>("pg_DX")->setCurrentIndex(1);
    QTest::mouseClick(f.find<QPushButton>("btn_DXGR"), Qt::LeftButton);
    QCOMPARE(f.prompter.asked, QStringList{QStringLiteral("请确认是否买入")});
    QCOMPARE(f.prompter.informed, QStringList{QStringLiteral("买入成功!")});
    QCOMPARE(f.find<QLineEdit>("edt_DXCode")->text(), QString());
    QCOMPARE(f.find<QLineEdit>("edt_DXName")->text(), QString());
    QCOMPARE(f.find<QTabWidget>("pg_DX")->currentIndex(), 0);
    QCOMPARE(f.ledger.scalar(QStringLiteral("SELECT YE FROM tAccount WHERE Code=1")), QStringLiteral("97900"));

    QAbstractItemModel *holdings = f.find<QTableView>("gd_CG")->model();
    QCOMPARE(holdings->rowCount(), 2); // the holding and the footer
    QCOMPARE(holdings->index(0, 0).data().toString(), QStringLiteral("000001"));
    QCOMPARE(holdings->index(0, 4).data().toString(), QStringLiteral("200"));
    QCOMPARE(holdings->index(0, 5).data().toString(), QStringLiteral("0")); // bought today
    QCOMPARE(f.find<QLineEdit>("edt_DX_SZ")->text(), QStringLiteral("2100.00"));
    QAbstractItemModel *history = f.find<QTableView>("gd_DXList")->model();
    QCOMPARE(history->rowCount(), 1 + 1);
    QCOMPARE(history->index(0, 3).data().toString(), QStringLiteral("买入"));

    // double-clicking the holding carries its code into the sell tab
    QTableView *view = f.find<QTableView>("gd_CG");
    view->setCurrentIndex(holdings->index(0, 2));
    f.prompter.clear();
    f.window->accountPage(1)->holdingActivated();
    QCOMPARE(f.find<QTabWidget>("pg_DXJY")->currentIndex(), 1);
    QCOMPARE(f.find<QLineEdit>("edt_DXCode2")->text(), QStringLiteral("000001"));
    QCOMPARE(f.find<QLineEdit>("edt_DXName2")->text(), QStringLiteral("平安银行"));
    QCOMPARE(f.find<QLabel>("lbl_DXKMSL")->text(), QStringLiteral("0"));
    QVERIFY(f.prompter.informed.isEmpty());

    // T+1: nothing of today's buy can be sold
    f.find<QLineEdit>("edt_DXOutSL")->setText(QStringLiteral("100"));
    QTest::mouseClick(f.find<QPushButton>("btn_DXMC"), Qt::LeftButton);
    QCOMPARE(f.prompter.informed, QStringList{QStringLiteral("对不起,卖出数量不能大于可卖数量(0)!")});
}

// Shares bought on an earlier day are sold through the sell tab; the holdings, the summary and
// the trade list follow.
void TestMainWindow::sellSharesOfAnEarlierDay()
{
    Fixture f;
    f.clock.date = QDate::currentDate();
    const QString earlier = QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyy-MM-dd 10:00:00"));
    f.ledger.addTrade(1, QStringLiteral("sz000001"), QStringLiteral("平安银行"), 1, 1000, 10, 0, earlier);
    f.ledger.exec(QStringLiteral("INSERT INTO tStore (CODE,GP,SL,CBJ) VALUES (1,'sz000001',1000,10)"));
    f.ledger.exec(QStringLiteral("UPDATE tAccount SET YE=90000 WHERE Code=1"));
    f.show();
    f.find<QTabWidget>("pg_DXJY")->setCurrentIndex(1);
    f.enterCode(QStringLiteral("edt_DXCode2"), QStringLiteral("000001"));
    QCOMPARE(f.find<QLabel>("lbl_DXKMSL")->text(), QStringLiteral("1000"));
    f.find<QLineEdit>("edt_DXOutSL")->setText(QStringLiteral("400"));
    QTest::mouseClick(f.find<QPushButton>("btn_DXMC"), Qt::LeftButton);
    QCOMPARE(f.prompter.asked, QStringList{QStringLiteral("请确认是否卖出")});
    QCOMPARE(f.prompter.informed, QStringList{QStringLiteral("卖出成功!")});
    QCOMPARE(f.find<QLineEdit>("edt_DXCode2")->text(), QString());
    QCOMPARE(f.find<QLabel>("lbl_DXKMSL")->text(), QString());

    QAbstractItemModel *holdings = f.find<QTableView>("gd_CG")->model();
    QCOMPARE(holdings->index(0, 4).data().toString(), QStringLiteral("600"));
    // (10.50 - 10) x 600 unrealised + (10.50 - 10) x 400 realised
    QCOMPARE(holdings->index(0, 7).data().toString(), QStringLiteral("500.00"));
    QCOMPARE(f.find<QLineEdit>("edt_DX_YE")->text(), QStringLiteral("94200.00"));
    QAbstractItemModel *history = f.find<QTableView>("gd_DXList")->model();
    QCOMPARE(history->rowCount(), 2 + 1);
    QCOMPARE(history->index(1, 3).data().toString(), QStringLiteral("卖出"));
    QCOMPARE(history->index(1, 7).data().toString(), QStringLiteral("10"));
    QCOMPARE(history->index(1, 8).data().toString(), QStringLiteral("200"));
    QCOMPARE(f.ledger.scalar(QStringLiteral("SELECT SL FROM tStore WHERE CODE=1")), QStringLiteral("600"));
}

void TestMainWindow::holdingsKeepTheirRowsWhenTheListCannotBeRead()
{
    Fixture f;
    f.ledger.addTrade(1, QStringLiteral("sz000001"), QStringLiteral("  平安银行 "), 1, 1000, 10, 0,
                      QStringLiteral("2026-03-02 10:00:00"));
    f.show();
    QAbstractItemModel *holdings = f.find<QTableView>("gd_CG")->model();
    QCOMPARE(holdings->rowCount(), 2);
    QCOMPARE(holdings->index(0, 1).data().toString(), QStringLiteral("平安银行"));
    QCOMPARE(f.find<QLineEdit>("edt_DX_SZ")->text(), QStringLiteral("10500.00"));

    f.ledger.exec(QStringLiteral("ALTER TABLE tJXC RENAME TO tJXC_gone"));
    QTest::mouseClick(f.find<QPushButton>("btn_DXSX"), Qt::LeftButton);
    QCOMPARE(f.prompter.informed.size(), 1);
    QVERIFY(f.prompter.informed.at(0).startsWith(QStringLiteral("对不起,读取数据表失败!\n")));
    QCOMPARE(holdings->rowCount(), 2);
    QCOMPARE(f.find<QLineEdit>("edt_DX_SZ")->text(), QStringLiteral("10500.00"));
    QVERIFY(f.find<QPushButton>("btn_DXSX")->isEnabled());
    // with the list unread there is nothing to export
    f.prompter.clear();
    QTest::mouseClick(f.find<QPushButton>("btn_DXSX_DC"), Qt::LeftButton);
    QCOMPARE(f.prompter.informed, QStringList{QStringLiteral("当前无数据!")});
    QVERIFY(f.chooser.suggestions.isEmpty());
}

void TestMainWindow::enterMovesTheFocus()
{
    Fixture f;
    f.show();
    QApplication::setActiveWindow(f.window.get());
    auto *code = f.find<QLineEdit>("edt_DXCode");
    code->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return code->hasFocus(); }));
    code->setText(QStringLiteral("000001"));
    QTest::keyClick(code, Qt::Key_Return);
    QVERIFY(!code->hasFocus());
    // leaving the field committed the code
    QCOMPARE(f.find<QLineEdit>("edt_DXName")->text(), QStringLiteral("平安银行"));
}

void TestMainWindow::exitAsksFirst()
{
    Fixture f;
    MainWindow &w = f.show();
    f.prompter.answers = {false};
    QTest::mouseClick(f.find<QPushButton>("btn_Exit"), Qt::LeftButton);
    QVERIFY(w.isVisible());
    QCOMPARE(f.prompter.asked, QStringList{QStringLiteral("请确认是否退出系统")});
    f.prompter.answers = {false};
    w.close();
    QVERIFY(w.isVisible());
    f.prompter.answers = {true};
    w.close();
    QVERIFY(!w.isVisible());
    QCOMPARE(f.prompter.asked.size(), 3);
}

QTEST_MAIN(TestMainWindow)
#include "tst_ui_main.moc"
