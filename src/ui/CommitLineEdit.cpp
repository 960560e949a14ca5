#include "CommitLineEdit.h"

#include <QFocusEvent>

namespace yanlan {

void CommitLineEdit::setTextAndCommit(const QString &text)
{
    setText(text);
    commit();
}

void CommitLineEdit::commit()
{
    if (text() == m_committed)
        return;
    m_committed = text();
    emit committed(m_committed);
}

void CommitLineEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // switching to another window or opening a menu does not leave the field
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    commit();
}

} // namespace yanlan
