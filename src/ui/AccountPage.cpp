#include "AccountPage.h"

#include "AppContext.h"
#include "CommitLineEdit.h"
#include "DateBox.h"
#include "common/Dates.h"
#include "common/Text.h"
#include "reports/GridExport.h"
#include "reports/HoldingsModel.h"
#include "reports/HoldingsValuation.h"
#include "reports/HistoryModel.h"
#include "reports/TradeHistory.h"
#include "trading/BuyOrder.h"
#include "trading/SellOrder.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace yanlan {

namespace {

constexpr int FieldHeight = 20;

QLineEdit *readOnlyField(const QString &objectName, const QString &accessibleName, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setAccessibleName(accessibleName);
    field->setFixedHeight(FieldHeight);
    field->setProperty("baseStyle", QStringLiteral("QLineEdit{background:#f4f4f4;}"));
    field->setStyleSheet(field->property("baseStyle").toString());
    return field;
}

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QPushButton *button(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    b->setAccessibleName(text);
    b->setAutoDefault(false);
    b->setFixedHeight(22);
    return b;
}

// A figure shown inside a titled group box ("可用余额", "可买数量", "可卖数量").
QLabel *figureBox(const QString &objectName, const QString &title, QWidget *parent,
                  QBoxLayout *into)
{
    auto *group = new QGroupBox(title, parent);
    auto *layout = new QVBoxLayout(group);
    layout->setContentsMargins(4, 2, 4, 2);
    auto *label = new QLabel(group);
    label->setObjectName(objectName);
    label->setAccessibleName(title);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(52);
    label->setStyleSheet(QStringLiteral("color:#b00000;font-weight:bold;"));
    layout->addWidget(label);
    into->addWidget(group);
    return label;
}

void setupGrid(QTableView *view)
{
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setDefaultSectionSize(20);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setDefaultSectionSize(72);
    view->setAlternatingRowColors(true);
}

} // namespace

AccountPage::AccountPage(AccountCode account, AppContext &context, QWidget *parent)
    : QWidget(parent), m_account(account), m_context(context)
{
    setObjectName(account.prefix());

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);

    auto *upper = new QGroupBox(QStringLiteral("交易管理"), this);
    upper->setFixedHeight(157);
    auto *upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(2, 0, 2, 2);
    m_tradeTabs = new QTabWidget(upper);
    m_tradeTabs->setObjectName(name(QStringLiteral("pg_%1JY")));
    m_tradeTabs->setAccessibleName(QStringLiteral("交易管理"));
    static const char *const buyTabNames[] = {"TabSheet1", "RzTabSheet3", "RzTabSheet7"};
    static const char *const sellTabNames[] = {"TabSheet2", "RzTabSheet4", "RzTabSheet8"};
    QWidget *buyTab = buildTradeTab(m_buy);
    buyTab->setObjectName(QString::fromLatin1(buyTabNames[account.digit() - 1]));
    QWidget *sellTab = buildTradeTab(m_sell);
    sellTab->setObjectName(QString::fromLatin1(sellTabNames[account.digit() - 1]));
    m_tradeTabs->addTab(buyTab, QStringLiteral("买入交易"));
    m_tradeTabs->addTab(sellTab, QStringLiteral("卖出交易"));
    upperLayout->addWidget(m_tradeTabs);
    outer->addWidget(upper);

    auto *lower = new QGroupBox(QStringLiteral("交易查询"), this);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(2, 0, 2, 2);
    m_lowerTabs = new QTabWidget(lower);
    m_lowerTabs->setObjectName(name(QStringLiteral("pg_%1")));
    m_lowerTabs->setAccessibleName(QStringLiteral("交易查询"));
    m_lowerTabs->addTab(buildHoldingsTab(), QStringLiteral("持股表"));
    m_lowerTabs->addTab(buildHistoryTab(), QStringLiteral("交易明细"));
    lowerLayout->addWidget(m_lowerTabs);
    outer->addWidget(lower, 1);

    connect(m_tradeTabs, &QTabWidget::currentChanged, this, &AccountPage::tradeTabChanged);
}

QString AccountPage::name(const QString &pattern) const
{
    return pattern.arg(m_account.prefix());
}

QWidget *AccountPage::buildQuoteGrid(const QString &suffix, QVector<QLineEdit *> &fields)
{
    auto *grid = new QWidget;
    auto *layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(2);
    layout->setVerticalSpacing(1);
    const QStringList captions = quoteFieldCaptions();
    for (int n = 1; n <= 20; ++n) {
        const int column = (n - 1) / 5;
        const int row = (n - 1) % 5;
        auto *label = new QLabel(captions.value(n - 1), grid);
        label->setAlignment(Qt::AlignCenter);
        label->setFixedHeight(FieldHeight);
        label->setFixedWidth(54);
        label->setStyleSheet(
            QStringLiteral("background:#e8eef7;border:1px solid #c5d0e0;font-size:10px;"));
        QLineEdit *field = readOnlyField(name(QStringLiteral("edt_%1_")) + QString::number(n) + suffix,
                                         captions.value(n - 1), grid);
        field->setMinimumWidth(column < 2 ? 44 : 64);
        field->setProperty("baseStyle", QStringLiteral("QLineEdit{background:#f4f4f4;font-size:11px;}"));
        field->setStyleSheet(field->property("baseStyle").toString());
        layout->addWidget(label, row, column * 2);
        layout->addWidget(field, row, column * 2 + 1);
        fields.append(field);
    }
    return grid;
}

QWidget *AccountPage::buildTradeTab(TradePanel &panel)
{
    const bool buySide = panel.side == PanelSide::Buy;
    // object names differ between the tabs only by these parts
    const QString codeName = buySide ? QStringLiteral("edt_%1Code") : QStringLiteral("edt_%1Code2");
    const QString nameName = buySide ? QStringLiteral("edt_%1Name") : QStringLiteral("edt_%1Name2");
    const QString priceName = buySide ? QStringLiteral("edt_%1DJ") : QStringLiteral("edt_%1DJ2");
    const QString quantityName = buySide ? QStringLiteral("edt_%1SL") : QStringLiteral("edt_%1OutSL");
    const QString quantityLabel = buySide ? QStringLiteral("买入数量：") : QStringLiteral("卖出数量：");
    const QString buttonName = buySide ? QStringLiteral("btn_%1GR") : QStringLiteral("btn_%1MC");
    const QString buttonText = buySide ? QStringLiteral("买入") : QStringLiteral("卖出");

    auto *tab = new QWidget;
    auto *row = new QHBoxLayout(tab);
    row->setContentsMargins(4, 2, 4, 0);
    row->setSpacing(6);

    auto *form = new QGridLayout;
    form->setVerticalSpacing(1);
    form->setHorizontalSpacing(2);
    panel.code = new CommitLineEdit(tab);
    panel.code->setObjectName(name(codeName));
    panel.code->setAccessibleName(QStringLiteral("证券代码："));
    panel.code->setFixedHeight(FieldHeight);
    panel.name = readOnlyField(name(nameName), QStringLiteral("证券名称："), tab);
    panel.price = readOnlyField(name(priceName), QStringLiteral("最新价格："), tab);
    panel.quantity = new QLineEdit(tab);
    panel.quantity->setObjectName(name(quantityName));
    panel.quantity->setAccessibleName(quantityLabel);
    panel.quantity->setFixedHeight(FieldHeight);
    panel.button = button(name(buttonName), buttonText, tab);

    // the buy tab has the stock-list link right of its code field
    const int span = buySide ? 2 : 1;
    form->addWidget(caption(QStringLiteral("证券代码："), tab), 0, 0);
    form->addWidget(panel.code, 0, 1);
    if (buySide) {
        form->addWidget(buildStockListLink(tab), 0, 2);
        panel.code->setFixedWidth(64);
    } else {
        panel.code->setFixedWidth(112);
    }
    form->addWidget(caption(QStringLiteral("证券名称："), tab), 1, 0);
    form->addWidget(panel.name, 1, 1, 1, span);
    form->addWidget(caption(QStringLiteral("最新价格："), tab), 2, 0);
    form->addWidget(panel.price, 2, 1, 1, span);
    form->addWidget(caption(quantityLabel, tab), 3, 0);
    form->addWidget(panel.quantity, 3, 1, 1, span);
    form->addWidget(panel.button, 4, 1, 1, span);
    row->addLayout(form);

    auto *figures = new QVBoxLayout;
    figures->setSpacing(2);
    if (buySide) {
        panel.figures = {figureBox(name(QStringLiteral("lbl_%1KME")), QStringLiteral("可用余额"), tab, figures),
                         figureBox(name(QStringLiteral("lbl_%1KML")), QStringLiteral("可买数量"), tab, figures)};
    } else {
        panel.figures = {figureBox(name(QStringLiteral("lbl_%1KMSL")), QStringLiteral("可卖数量"), tab, figures)};
        figures->addStretch();
    }
    row->addLayout(figures);
    row->addWidget(buildQuoteGrid(buySide ? QString() : QStringLiteral("_1"), panel.quote), 1);

    QWidget::setTabOrder(panel.code, panel.quantity);
    QWidget::setTabOrder(panel.quantity, panel.button);

    connect(panel.code, &CommitLineEdit::committed, this,
            buySide ? &AccountPage::buyLookup : &AccountPage::sellLookup);
    connect(panel.button, &QPushButton::clicked, this, buySide ? &AccountPage::buy : &AccountPage::sell);
    return tab;
}

QLabel *AccountPage::buildStockListLink(QWidget *parent)
{
    auto *link = new QLabel(parent);
    static const char *const linkNames[] = {"RzURLLabel2", "RzURLLabel3", "RzURLLabel4"};
    link->setObjectName(QString::fromLatin1(linkNames[m_account.digit() - 1]));
    link->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0645ad;\">【所有股票】</a>")
                      .arg(m_context.quoteSettings.stockListUrl.toHtmlEscaped()));
    link->setAccessibleName(QStringLiteral("【所有股票】"));
    link->setCursor(Qt::PointingHandCursor);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(link, &QLabel::linkActivated, this,
            [](const QString &url) { QDesktopServices::openUrl(QUrl(url)); });
    return link;
}

QWidget *AccountPage::buildHoldingsTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    auto *summary = new QGridLayout;
    summary->setHorizontalSpacing(4);
    summary->setVerticalSpacing(2);
    const QStringList labels{QStringLiteral("持股总市值："), QStringLiteral("资金余额："),
                             QStringLiteral("资产总值："), QStringLiteral("初始资金："),
                             QStringLiteral("盈亏总额："), QStringLiteral("盈亏率(%)：")};
    const QStringList suffixes{QStringLiteral("SZ"), QStringLiteral("YE"), QStringLiteral("ZE"),
                               QStringLiteral("QC"), QStringLiteral("YKE"), QStringLiteral("YKL")};
    for (int i = 0; i < labels.size(); ++i) {
        QLineEdit *box = readOnlyField(name(QStringLiteral("edt_%1_")) + suffixes.at(i), labels.at(i), tab);
        box->setAlignment(Qt::AlignRight);
        summary->addWidget(caption(labels.at(i), tab), i / 3, (i % 3) * 2);
        summary->addWidget(box, i / 3, (i % 3) * 2 + 1);
        m_summary.append(box);
    }
    m_refreshButton = button(name(QStringLiteral("btn_%1SX")), QStringLiteral("刷 新"), tab);
    auto *exportButton = button(name(QStringLiteral("btn_%1SX_DC")), QStringLiteral("导 出"), tab);
    summary->addWidget(m_refreshButton, 0, 6);
    summary->addWidget(exportButton, 1, 6);
    layout->addLayout(summary);

    static const char *const gridNames[] = {"gd_CG", "gd_ZXCG", "gd_CXCG"};
    m_holdingsView = new QTableView(tab);
    m_holdingsView->setObjectName(QString::fromLatin1(gridNames[m_account.digit() - 1]));
    m_holdingsView->setAccessibleName(QStringLiteral("持股表"));
    m_holdings = new HoldingsModel(this);
    m_holdingsView->setModel(m_holdings);
    setupGrid(m_holdingsView);
    layout->addWidget(m_holdingsView, 1);

    connect(m_refreshButton, &QPushButton::clicked, this, &AccountPage::refreshHoldings);
    connect(exportButton, &QPushButton::clicked, this, &AccountPage::exportHoldings);
    connect(m_holdingsView, &QTableView::doubleClicked, this, &AccountPage::holdingActivated);
    return tab;
}

QWidget *AccountPage::buildHistoryTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    auto *filters = new QHBoxLayout;
    filters->setSpacing(3);
    m_begin = new DateBox(tab);
    m_begin->setObjectName(name(QStringLiteral("dt_%1Begin")));
    m_begin->setAccessibleName(QStringLiteral("交易日期："));
    m_end = new DateBox(tab);
    m_end->setObjectName(name(QStringLiteral("dt_%1End")));
    m_end->setAccessibleName(QStringLiteral("至"));
    m_direction = new QComboBox(tab);
    m_direction->setObjectName(name(QStringLiteral("cmb_%1Type")));
    m_direction->setAccessibleName(QStringLiteral("交易类型："));
    m_direction->addItems({QString(), QStringLiteral("买入"), QStringLiteral("卖出")});
    m_direction->setCurrentIndex(-1);
    m_filterText = new QLineEdit(tab);
    m_filterText->setObjectName(name(QStringLiteral("edt_F%1Code")));
    m_filterText->setAccessibleName(QStringLiteral("证券代码名称："));
    m_filterText->setFixedWidth(90);
    auto *query = button(name(QStringLiteral("btn_Qry%1")), QStringLiteral("查 询"), tab);
    auto *exportButton = button(name(QStringLiteral("btn_Qry%1_DC")), QStringLiteral("导 出"), tab);
    filters->addWidget(new QLabel(QStringLiteral("交易日期："), tab));
    filters->addWidget(m_begin);
    filters->addWidget(new QLabel(QStringLiteral("至"), tab));
    filters->addWidget(m_end);
    filters->addWidget(new QLabel(QStringLiteral("交易类型："), tab));
    filters->addWidget(m_direction);
    filters->addWidget(new QLabel(QStringLiteral("证券代码名称："), tab));
    filters->addWidget(m_filterText);
    filters->addWidget(query);
    filters->addWidget(exportButton);
    filters->addStretch();
    layout->addLayout(filters);

    static const char *const gridNames[] = {"gd_DXList", "gd_ZXList", "gd_CXList"};
    m_historyView = new QTableView(tab);
    m_historyView->setObjectName(QString::fromLatin1(gridNames[m_account.digit() - 1]));
    m_historyView->setAccessibleName(QStringLiteral("交易明细"));
    m_history = new HistoryModel(this);
    m_historyView->setModel(m_history);
    setupGrid(m_historyView);
    m_historyView->setColumnWidth(0, 64);
    m_historyView->setColumnWidth(2, 136);
    m_historyView->setColumnWidth(3, 56);
    layout->addWidget(m_historyView, 1);

    connect(query, &QPushButton::clicked, this, &AccountPage::queryHistory);
    connect(exportButton, &QPushButton::clicked, this, &AccountPage::exportHistory);
    return tab;
}

// ---- quote panels ----

void AccountPage::clearPanel(TradePanel &panel)
{
    panel.name->clear();
    panel.price->clear();
    panel.quantity->clear();
    for (QLineEdit *field : std::as_const(panel.quote))
        field->clear();
    for (QLabel *figure : std::as_const(panel.figures))
        figure->clear();
    showTrend(panel, 0);
}

void AccountPage::lookup(TradePanel &panel)
{
    const PanelOutcome outcome =
        lookupPanel(m_account, panel.side, panel.code->text(), m_context.currentQuote,
                    *m_context.ledger, m_context.quoteSettings, *m_context.clock);
    switch (outcome.kind) {
    case PanelOutcome::Kind::Cleared:
        clearPanel(panel);
        return;
    case PanelOutcome::Kind::Failed:
        m_context.prompter->inform(outcome.message);
        // emptying the field runs its lookup again, which clears the panel
        panel.code->setTextAndCommit(QString());
        clearPanel(panel);
        panel.code->setFocus();
        return;
    case PanelOutcome::Kind::Filled:
        break;
    }
    const PanelView &view = outcome.view;
    panel.name->setText(view.name);
    panel.price->setText(view.priceText);
    if (panel.side == PanelSide::Buy) {
        panel.figures.at(0)->setText(view.cashText);
        panel.figures.at(1)->setText(view.buyableText);
    } else {
        panel.figures.at(0)->setText(view.sellableText);
    }
    for (int i = 0; i < panel.quote.size(); ++i)
        panel.quote.at(i)->setText(view.quoteFields.value(i));
    showTrend(panel, view.trend);
}

void AccountPage::showTrend(TradePanel &panel, int trend)
{
    // rises red, falls green: price, change and change %
    const QString colour = trend > 0 ? QStringLiteral("#d00000")
                                     : (trend < 0 ? QStringLiteral("#008000") : QStringLiteral("black"));
    for (QLineEdit *field : {panel.price, panel.quote.value(2), panel.quote.value(5)}) {
        if (!field)
            continue;
        field->setStyleSheet(field->property("baseStyle").toString() +
                             QStringLiteral("QLineEdit{color:%1;}").arg(colour));
        field->setProperty("trend", trend);
    }
}

void AccountPage::buyLookup()
{
    lookup(m_buy);
}

void AccountPage::sellLookup()
{
    lookup(m_sell);
}

void AccountPage::tradeTabChanged()
{
    m_buy.code->setTextAndCommit(QString());
    m_sell.code->setTextAndCommit(QString());
}

// ---- orders ----

void AccountPage::placeOrder(TradePanel &panel)
{
    const OrderInput input{m_account, panel.code->text(), panel.price->text(), panel.quantity->text()};
    const OrderOutcome outcome =
        panel.side == PanelSide::Buy
            ? placeBuyOrder(input, m_context.currentQuote, *m_context.ledger, *m_context.prompter)
            : placeSellOrder(input, m_context.currentQuote, *m_context.ledger, *m_context.prompter);
    if (outcome != OrderOutcome::Done)
        return;
    panel.code->setTextAndCommit(QString());
    panel.code->setFocus();
    m_lowerTabs->setCurrentIndex(0);
    refreshHoldings();
    queryHistory();
}

void AccountPage::buy()
{
    placeOrder(m_buy);
}

void AccountPage::sell()
{
    placeOrder(m_sell);
}

// ---- holdings, summary, history ----

void AccountPage::refreshHoldings()
{
    m_refreshButton->setEnabled(false);
    m_holdingsView->setUpdatesEnabled(false);
    const HoldingsRefresh result = yanlan::refreshHoldings(
        m_account, *m_context.ledger, m_context.quoteSettings, *m_context.clock, *m_context.prompter);
    m_holdingsListOpened = result.listOpened;
    m_holdingsListRows = result.listRowCount;
    // the table is rebuilt only once the list of bought stocks could be read
    if (result.listOpened) {
        m_holdings->setRows(result.rows);
        if (!result.rows.isEmpty())
            m_holdingsView->setCurrentIndex(m_holdings->index(0, 0));
    }
    m_holdingsView->setUpdatesEnabled(true);
    if (result.summary) {
        m_summary[0]->setText(result.summary->marketValue);
        if (result.summary->accountRead) {
            m_summary[1]->setText(result.summary->cash);
            m_summary[2]->setText(result.summary->total);
            m_summary[3]->setText(result.summary->initial);
            m_summary[4]->setText(result.summary->profit);
            m_summary[5]->setText(result.summary->rate);
        }
    }
    m_refreshButton->setEnabled(true);
}

void AccountPage::queryHistory()
{
    HistoryFilter filter;
    filter.begin = m_begin->filledDate();
    filter.end = m_end->filledDate();
    filter.direction = historyDirection(m_direction->currentText());
    filter.text = trimText(m_filterText->text());
    const HistoryResult result =
        yanlan::queryHistory(m_account, filter, *m_context.ledger, *m_context.prompter);
    m_historyOpened = result.opened;
    m_history->setRows(result.rows, filter.direction != 0);
}

void AccountPage::exportHoldings()
{
    exportGrid(ExportKind::Holdings, m_holdingsListOpened, m_holdingsListRows, *m_holdings,
               navigationCaption(), *m_context.fileChooser, *m_context.prompter, *m_context.clock);
}

void AccountPage::exportHistory()
{
    exportGrid(ExportKind::History, m_historyOpened, m_history->dataRowCount(), *m_history,
               navigationCaption(), *m_context.fileChooser, *m_context.prompter, *m_context.clock);
}

QString AccountPage::navigationCaption() const
{
    return m_navigationCaption ? m_navigationCaption() : m_account.defaultTitle();
}

void AccountPage::holdingActivated()
{
    const QModelIndex current = m_holdingsView->currentIndex();
    if (!current.isValid() || m_holdings->isFooterRow(current.row()))
        return; // the footer is not a holding
    const QString code = trimText(m_holdings->rows().at(current.row()).gpCode);
    m_tradeTabs->setCurrentIndex(1);
    m_sell.code->setFocus();
    m_sell.code->setTextAndCommit(code);
}

void AccountPage::prepareForShow()
{
    m_buy.code->setTextAndCommit(QString());
    m_buy.quantity->clear();
    m_sell.code->setTextAndCommit(QString());
    m_sell.quantity->clear();

    const QDate today = m_context.clock->today();
    m_end->setFilledDate(today);
    m_begin->setFilledDate(historyRangeBegin(today));
    m_direction->setCurrentIndex(-1);
    m_filterText->clear();

    m_tradeTabs->setCurrentIndex(0);
    m_lowerTabs->setCurrentIndex(0);

    refreshHoldings();
    queryHistory();
}

} // namespace yanlan
