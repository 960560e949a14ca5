#pragma once

#include <QDate>
#include <QString>

namespace yanlan {

// The one way logic talks to the user.
class Prompter
{
public:
    virtual ~Prompter() = default;
    // Information box: caption "提示", one OK button.
    virtual void inform(const QString &text) = 0;
    // Question box: caption "确认", Yes and No; true only for Yes.
    virtual bool confirm(const QString &text) = 0;
};

// Where "today" comes from, so that T+1 and file names can be tested.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
};

class SystemClock : public Clock
{
public:
    QDate today() const override { return QDate::currentDate(); }
};

// The save-file dialog; returns an empty text when the user cancels.
class SaveFileChooser
{
public:
    virtual ~SaveFileChooser() = default;
    virtual QString chooseSaveFile(const QString &suggestedName, const QString &filter) = 0;
};

} // namespace yanlan
