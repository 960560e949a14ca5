#pragma once

#include "common/Seams.h"

class QWidget;

namespace yanlan {

// Message boxes: "提示" with an information icon and OK; "确认" with a question icon, Yes and No.
class MessagePrompter : public Prompter
{
public:
    explicit MessagePrompter(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void inform(const QString &text) override;
    bool confirm(const QString &text) override;

private:
    QWidget *m_parent;
};

// The save-file dialog; a filter "描述|*.ext" is shown as "描述 (*.ext)".
class DialogSaveFileChooser : public SaveFileChooser
{
public:
    explicit DialogSaveFileChooser(QWidget *parent = nullptr) : m_parent(parent) {}
    QString chooseSaveFile(const QString &suggestedName, const QString &filter) override;

private:
    QWidget *m_parent;
};

} // namespace yanlan
