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
    QWidget *buildBuyTab();
    QWidget *buildSellTab();
    QWidget *buildHoldingsTab();
    QWidget *buildHistoryTab();
    QWidget *buildQuoteGrid(const QString &suffix, QVector<QLineEdit *> &fields);
    QString name(const QString &pattern) const; // "%1" → prefix
    void applyPanel(PanelSide side, const PanelOutcome &outcome);
    void clearPanel(PanelSide side);

    AccountCode m_account;
    AppContext &m_context;
    std::function<QString()> m_navigationCaption;

    QTabWidget *m_tradeTabs = nullptr;
    QTabWidget *m_lowerTabs = nullptr;

    CommitLineEdit *m_buyCode = nullptr;
    QLineEdit *m_buyName = nullptr;
    QLineEdit *m_buyPrice = nullptr;
    QLineEdit *m_buyQuantity = nullptr;
    QPushButton *m_buyButton = nullptr;
    QLabel *m_cash = nullptr;
    QLabel *m_buyable = nullptr;
    QVector<QLineEdit *> m_buyQuote;

    CommitLineEdit *m_sellCode = nullptr;
    QLineEdit *m_sellName = nullptr;
    QLineEdit *m_sellPrice = nullptr;
    QLineEdit *m_sellQuantity = nullptr;
    QPushButton *m_sellButton = nullptr;
    QLabel *m_sellable = nullptr;
    QVector<QLineEdit *> m_sellQuote;

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
    int m_historyRows = 0;
};

} // namespace yanlan
