#pragma once

#include <QDateEdit>

namespace yanlan {

// A date field that may be left empty: Delete or Backspace on a selected or whole text clears
// it, and an empty box shows nothing.
class DateBox : public QDateEdit
{
    Q_OBJECT
public:
    explicit DateBox(QWidget *parent = nullptr);

    bool isFilled() const { return date() != minimumDate(); }
    QDate filledDate() const { return isFilled() ? date() : QDate(); }
    void clear() override;
    void setFilledDate(const QDate &date);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace yanlan
