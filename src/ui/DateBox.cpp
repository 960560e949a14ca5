#include "DateBox.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace yanlan {

DateBox::DateBox(QWidget *parent) : QDateEdit(parent)
{
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    setMinimumDate(QDate(1900, 1, 1));
    setSpecialValueText(QStringLiteral(" "));
    setDate(minimumDate());
}

void DateBox::clear()
{
    setDate(minimumDate());
}

void DateBox::setFilledDate(const QDate &value)
{
    setDate(value.isValid() ? value : minimumDate());
}

void DateBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        const QLineEdit *line = lineEdit();
        if (line->hasSelectedText() && line->selectedText().size() >= line->text().size() - 1) {
            clear();
            return;
        }
        if (event->modifiers() & Qt::ControlModifier) {
            clear();
            return;
        }
    }
    QDateEdit::keyPressEvent(event);
}

} // namespace yanlan
