#pragma once

#include "common/Seams.h"

#include <QDate>
#include <QList>
#include <QStringList>

namespace yanlan::test {

// Records every message and answers questions from a script (Yes when it runs out).
class RecordingPrompter : public Prompter
{
public:
    void inform(const QString &text) override { informed << text; all << text; }
    bool confirm(const QString &text) override
    {
        asked << text;
        all << text;
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    void clear() { informed.clear(); asked.clear(); all.clear(); }

    QStringList informed;
    QStringList asked;
    QStringList all;
    QList<bool> answers;
};

class FixedClock : public Clock
{
public:
    explicit FixedClock(QDate date = QDate::currentDate()) : date(date) {}
    QDate today() const override { return date; }
    QDate date;
};

} // namespace yanlan::test
