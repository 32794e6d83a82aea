#pragma once

#include "engines/Desk.h"
#include "engines/Statistics.h"

#include <QList>
#include <QString>

class App;

// The operator's pages of the menu "Картотека": the reminders that have come
// and the folder's figures, both in the secondary window.

// A reminder as the page shows it: the person's name beside the desk's data.
struct ReminderRow {
    desk::Reminder reminder;
    QString name;
};
// "r" + i opens the card of row i.
QString RemindersPage(const QList<ReminderRow>& rows);
// The reminders of `folder` dated today or earlier, soonest first.
void ShowReminders(App& app, const QString& folder);
// A reminder's link: the card page of that person, as from the lists.
void OpenReminder(App& app, int number);

QString StatisticsPage(const stats::Figures& figures);
void ShowStatistics(App& app, const QString& folder);

// "Рабочий стол оператора…": starts the desk in a folder that keeps nothing
// of it yet, after the operator agrees; the card pages and the lists then
// show it. A folder already using it is only told so.
void StartOperatorDesk(App& app, const QString& folder);
