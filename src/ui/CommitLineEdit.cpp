#include "CommitLineEdit.h"

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
    commit();
}

} // namespace yanlan
