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
    field->setStyleSheet(QStringLiteral("QLineEdit{background:#f4f4f4;}"));
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
    label->setMinimumWidth(56);
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
    QWidget *buyTab = buildBuyTab();
    buyTab->setObjectName(QString::fromLatin1(buyTabNames[account.digit() - 1]));
    QWidget *sellTab = buildSellTab();
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
        field->setMinimumWidth(column < 2 ? 50 : 66);
        field->setStyleSheet(QStringLiteral("QLineEdit{background:#f4f4f4;font-size:11px;}"));
        layout->addWidget(label, row, column * 2);
        layout->addWidget(field, row, column * 2 + 1);
        fields.append(field);
    }
    return grid;
}

QWidget *AccountPage::buildBuyTab()
{
    auto *tab = new QWidget;
    auto *row = new QHBoxLayout(tab);
    row->setContentsMargins(4, 2, 4, 0);
    row->setSpacing(6);

    auto *form = new QGridLayout;
    form->setVerticalSpacing(1);
    form->setHorizontalSpacing(2);
    m_buyCode = new CommitLineEdit(tab);
    m_buyCode->setObjectName(name(QStringLiteral("edt_%1Code")));
    m_buyCode->setAccessibleName(QStringLiteral("证券代码："));
    m_buyCode->setFixedHeight(FieldHeight);
    auto *link = new QLabel(tab);
    static const char *const linkNames[] = {"RzURLLabel2", "RzURLLabel3", "RzURLLabel4"};
    link->setObjectName(QString::fromLatin1(linkNames[m_account.digit() - 1]));
    link->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0645ad;\">【所有股票】</a>")
                      .arg(m_context.quoteSettings.stockListUrl.toHtmlEscaped()));
    link->setAccessibleName(QStringLiteral("【所有股票】"));
    link->setCursor(Qt::PointingHandCursor);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(link, &QLabel::linkActivated, this,
            [](const QString &url) { QDesktopServices::openUrl(QUrl(url)); });
    m_buyName = readOnlyField(name(QStringLiteral("edt_%1Name")), QStringLiteral("证券名称："), tab);
    m_buyPrice = readOnlyField(name(QStringLiteral("edt_%1DJ")), QStringLiteral("最新价格："), tab);
    m_buyQuantity = new QLineEdit(tab);
    m_buyQuantity->setObjectName(name(QStringLiteral("edt_%1SL")));
    m_buyQuantity->setAccessibleName(QStringLiteral("买入数量："));
    m_buyQuantity->setFixedHeight(FieldHeight);
    m_buyButton = button(name(QStringLiteral("btn_%1GR")), QStringLiteral("买入"), tab);

    form->addWidget(caption(QStringLiteral("证券代码："), tab), 0, 0);
    form->addWidget(m_buyCode, 0, 1);
    form->addWidget(link, 0, 2);
    form->addWidget(caption(QStringLiteral("证券名称："), tab), 1, 0);
    form->addWidget(m_buyName, 1, 1, 1, 2);
    form->addWidget(caption(QStringLiteral("最新价格："), tab), 2, 0);
    form->addWidget(m_buyPrice, 2, 1, 1, 2);
    form->addWidget(caption(QStringLiteral("买入数量："), tab), 3, 0);
    form->addWidget(m_buyQuantity, 3, 1, 1, 2);
    form->addWidget(m_buyButton, 4, 1, 1, 2);
    m_buyCode->setFixedWidth(64);
    row->addLayout(form);

    auto *figures = new QVBoxLayout;
    figures->setSpacing(2);
    m_cash = figureBox(name(QStringLiteral("lbl_%1KME")), QStringLiteral("可用余额"), tab, figures);
    m_buyable = figureBox(name(QStringLiteral("lbl_%1KML")), QStringLiteral("可买数量"), tab, figures);
    row->addLayout(figures);
    row->addWidget(buildQuoteGrid(QString(), m_buyQuote), 1);

    QWidget::setTabOrder(m_buyCode, m_buyQuantity);
    QWidget::setTabOrder(m_buyQuantity, m_buyButton);

    connect(m_buyCode, &CommitLineEdit::committed, this, &AccountPage::buyLookup);
    connect(m_buyButton, &QPushButton::clicked, this, &AccountPage::buy);
    return tab;
}

QWidget *AccountPage::buildSellTab()
{
    auto *tab = new QWidget;
    auto *row = new QHBoxLayout(tab);
    row->setContentsMargins(4, 2, 4, 0);
    row->setSpacing(6);

    auto *form = new QGridLayout;
    form->setVerticalSpacing(1);
    form->setHorizontalSpacing(2);
    m_sellCode = new CommitLineEdit(tab);
    m_sellCode->setObjectName(name(QStringLiteral("edt_%1Code2")));
    m_sellCode->setAccessibleName(QStringLiteral("证券代码："));
    m_sellCode->setFixedHeight(FieldHeight);
    m_sellName = readOnlyField(name(QStringLiteral("edt_%1Name2")), QStringLiteral("证券名称："), tab);
    m_sellPrice = readOnlyField(name(QStringLiteral("edt_%1DJ2")), QStringLiteral("最新价格："), tab);
    m_sellQuantity = new QLineEdit(tab);
    m_sellQuantity->setObjectName(name(QStringLiteral("edt_%1OutSL")));
    m_sellQuantity->setAccessibleName(QStringLiteral("卖出数量："));
    m_sellQuantity->setFixedHeight(FieldHeight);
    m_sellButton = button(name(QStringLiteral("btn_%1MC")), QStringLiteral("卖出"), tab);

    form->addWidget(caption(QStringLiteral("证券代码："), tab), 0, 0);
    form->addWidget(m_sellCode, 0, 1);
    form->addWidget(caption(QStringLiteral("证券名称："), tab), 1, 0);
    form->addWidget(m_sellName, 1, 1);
    form->addWidget(caption(QStringLiteral("最新价格："), tab), 2, 0);
    form->addWidget(m_sellPrice, 2, 1);
    form->addWidget(caption(QStringLiteral("卖出数量："), tab), 3, 0);
    form->addWidget(m_sellQuantity, 3, 1);
    form->addWidget(m_sellButton, 4, 1);
    m_sellCode->setFixedWidth(112);
    row->addLayout(form);

    auto *figures = new QVBoxLayout;
    m_sellable = figureBox(name(QStringLiteral("lbl_%1KMSL")), QStringLiteral("可卖数量"), tab, figures);
    figures->addStretch();
    row->addLayout(figures);
    row->addWidget(buildQuoteGrid(QStringLiteral("_1"), m_sellQuote), 1);

    QWidget::setTabOrder(m_sellCode, m_sellQuantity);
    QWidget::setTabOrder(m_sellQuantity, m_sellButton);

    connect(m_sellCode, &CommitLineEdit::committed, this, &AccountPage::sellLookup);
    connect(m_sellButton, &QPushButton::clicked, this, &AccountPage::sell);
    return tab;
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

void AccountPage::clearPanel(PanelSide side)
{
    const bool buySide = side == PanelSide::Buy;
    (buySide ? m_buyName : m_sellName)->clear();
    (buySide ? m_buyPrice : m_sellPrice)->clear();
    (buySide ? m_buyQuantity : m_sellQuantity)->clear();
    for (QLineEdit *field : buySide ? m_buyQuote : m_sellQuote)
        field->clear();
    if (buySide) {
        m_cash->clear();
        m_buyable->clear();
    } else {
        m_sellable->clear();
    }
}

void AccountPage::applyPanel(PanelSide side, const PanelOutcome &outcome)
{
    CommitLineEdit *code = side == PanelSide::Buy ? m_buyCode : m_sellCode;
    switch (outcome.kind) {
    case PanelOutcome::Kind::Cleared:
        clearPanel(side);
        return;
    case PanelOutcome::Kind::Failed:
        m_context.prompter->inform(outcome.message);
        // emptying the field runs its lookup again, which clears the panel
        code->setTextAndCommit(QString());
        clearPanel(side);
        code->setFocus();
        return;
    case PanelOutcome::Kind::Filled:
        break;
    }
    const PanelView &view = outcome.view;
    if (side == PanelSide::Buy) {
        m_buyName->setText(view.name);
        m_buyPrice->setText(view.priceText);
        m_cash->setText(view.cashText);
        m_buyable->setText(view.buyableText);
    } else {
        m_sellName->setText(view.name);
        m_sellPrice->setText(view.priceText);
        m_sellable->setText(view.sellableText);
    }
    const QVector<QLineEdit *> &fields = side == PanelSide::Buy ? m_buyQuote : m_sellQuote;
    for (int i = 0; i < fields.size(); ++i)
        fields.at(i)->setText(view.quoteFields.value(i));
}

void AccountPage::buyLookup()
{
    applyPanel(PanelSide::Buy,
               lookupPanel(m_account, PanelSide::Buy, m_buyCode->text(), m_context.currentQuote,
                           *m_context.ledger, m_context.quoteSettings, *m_context.clock));
}

void AccountPage::sellLookup()
{
    applyPanel(PanelSide::Sell,
               lookupPanel(m_account, PanelSide::Sell, m_sellCode->text(), m_context.currentQuote,
                           *m_context.ledger, m_context.quoteSettings, *m_context.clock));
}

void AccountPage::tradeTabChanged()
{
    m_buyCode->setTextAndCommit(QString());
    m_sellCode->setTextAndCommit(QString());
}

// ---- orders ----

void AccountPage::buy()
{
    const OrderInput input{m_account, m_buyCode->text(), m_buyPrice->text(), m_buyQuantity->text()};
    if (placeBuyOrder(input, m_context.currentQuote, *m_context.ledger, *m_context.prompter) !=
        OrderOutcome::Done)
        return;
    m_buyCode->setTextAndCommit(QString());
    m_buyCode->setFocus();
    m_lowerTabs->setCurrentIndex(0);
    refreshHoldings();
    queryHistory();
}

void AccountPage::sell()
{
    const OrderInput input{m_account, m_sellCode->text(), m_sellPrice->text(), m_sellQuantity->text()};
    if (placeSellOrder(input, m_context.currentQuote, *m_context.ledger, *m_context.prompter) !=
        OrderOutcome::Done)
        return;
    m_sellCode->setTextAndCommit(QString());
    m_sellCode->setFocus();
    m_lowerTabs->setCurrentIndex(0);
    refreshHoldings();
    queryHistory();
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
    m_holdings->setRows(result.rows);
    m_holdingsView->setUpdatesEnabled(true);
    if (!result.rows.isEmpty())
        m_holdingsView->setCurrentIndex(m_holdings->index(0, 0));
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
    filter.direction = trimText(m_direction->currentText()).isEmpty() ? 0 : m_direction->currentIndex();
    filter.text = trimText(m_filterText->text());
    const HistoryResult result =
        yanlan::queryHistory(m_account, filter, *m_context.ledger, *m_context.prompter);
    m_historyOpened = result.opened;
    m_historyRows = static_cast<int>(result.rows.size());
    m_history->setRows(result.rows, filter.direction != 0);
}

void AccountPage::exportHoldings()
{
    exportGrid(ExportKind::Holdings, m_holdingsListOpened, m_holdingsListRows, *m_holdings,
               m_navigationCaption ? m_navigationCaption() : m_account.defaultTitle(),
               *m_context.fileChooser, *m_context.prompter, *m_context.clock);
}

void AccountPage::exportHistory()
{
    exportGrid(ExportKind::History, m_historyOpened, m_historyRows, *m_history,
               m_navigationCaption ? m_navigationCaption() : m_account.defaultTitle(),
               *m_context.fileChooser, *m_context.prompter, *m_context.clock);
}

void AccountPage::holdingActivated()
{
    const QModelIndex current = m_holdingsView->currentIndex();
    if (!current.isValid() || current.row() >= m_holdings->rowCount() - 1)
        return; // the footer is not a holding
    const QString code = trimText(m_holdings->index(current.row(), 0).data().toString());
    m_tradeTabs->setCurrentIndex(1);
    m_sellCode->setFocus();
    m_sellCode->setTextAndCommit(code);
}

void AccountPage::prepareForShow()
{
    m_buyCode->setTextAndCommit(QString());
    m_buyQuantity->clear();
    m_sellCode->setTextAndCommit(QString());
    m_sellQuantity->clear();

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
