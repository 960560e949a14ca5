#pragma once

#include "common/AccountCode.h"
#include "market/QuotePanel.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace yanlan {

struct AppContext;
class CommitLineEdit;
class DateBox;
class HoldingsModel;
class HistoryModel;

// One account's page: buying and selling above, holdings and trade list below. The same
// class serves the three accounts; object names carry the account's prefix.
class AccountPage : public QWidget
{
    Q_OBJECT
public:
    AccountPage(AccountCode account, AppContext &context, QWidget *parent = nullptr);

    AccountCode account() const { return m_account; }
    // The caption of the account's navigation button, used for export file names.
    void setNavigationCaption(std::function<QString()> caption) { m_navigationCaption = std::move(caption); }

    // Opening the page: fields and filters reset, holdings refreshed, trade list queried.
    void prepareForShow();

public slots:
    void buyLookup();
    void sellLookup();
    void tradeTabChanged();
    void buy();
    void sell();
    void refreshHoldings();
    void queryHistory();
    void exportHoldings();
    void exportHistory();
    void holdingActivated();

private:
    // The widgets of the buy tab or of the sell tab.
    struct TradePanel {
        explicit TradePanel(PanelSide panelSide) : side(panelSide) {}
        PanelSide side;
        CommitLineEdit *code = nullptr;
        QLineEdit *name = nullptr;
        QLineEdit *price = nullptr;
        QLineEdit *quantity = nullptr;
        QPushButton *button = nullptr;
        QVector<QLabel *> figures; // cash and buyable quantity, or the sellable quantity
        QVector<QLineEdit *> quote;
    };

    QWidget *buildTradeTab(TradePanel &panel);
    QLabel *buildStockListLink(QWidget *parent);
    QWidget *buildHoldingsTab();
    QWidget *buildHistoryTab();
    QWidget *buildQuoteGrid(const QString &suffix, QVector<QLineEdit *> &fields);
    QString name(const QString &pattern) const; // "%1" → prefix
    void lookup(TradePanel &panel);
    void clearPanel(TradePanel &panel);
    void showTrend(TradePanel &panel, int trend);
    void placeOrder(TradePanel &panel);
    QString navigationCaption() const;

    AccountCode m_account;
    AppContext &m_context;
    std::function<QString()> m_navigationCaption;

    QTabWidget *m_tradeTabs = nullptr;
    QTabWidget *m_lowerTabs = nullptr;
    TradePanel m_buy = TradePanel(PanelSide::Buy);
    TradePanel m_sell = TradePanel(PanelSide::Sell);

    QVector<QLineEdit *> m_summary; // market value, cash, total, initial, profit, rate
    QPushButton *m_refreshButton = nullptr;
    QTableView *m_holdingsView = nullptr;
    HoldingsModel *m_holdings = nullptr;
    bool m_holdingsListOpened = false;
    int m_holdingsListRows = 0;

    DateBox *m_begin = nullptr;
    DateBox *m_end = nullptr;
    QComboBox *m_direction = nullptr;
    QLineEdit *m_filterText = nullptr;
    QTableView *m_historyView = nullptr;
    HistoryModel *m_history = nullptr;
    bool m_historyOpened = false;
};

} // namespace yanlan
