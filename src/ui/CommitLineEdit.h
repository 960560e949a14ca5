#pragma once

#include <QLineEdit>

namespace yanlan {

// A field whose change handler runs when it loses the focus with a changed value, and
// whenever the program itself sets a different text, at once.
class CommitLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CommitLineEdit(QWidget *parent = nullptr) : QLineEdit(parent) {}

    // Sets the text as the program does: a different value is committed at once.
    void setTextAndCommit(const QString &text);
    // Commits what the field holds now, as leaving it would.
    void commit();
    QString committedText() const { return m_committed; }

signals:
    void committed(const QString &text);

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    QString m_committed;
};

} // namespace yanlan
