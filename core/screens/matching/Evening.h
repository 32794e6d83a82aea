#pragma once

#include "engines/Assignment.h"
#include "engines/Evening.h"
#include "ground/AppState.h"

#include <QString>

class App;

// The evening of introductions ("Картотека → Вечер знакомств") in the
// secondary window: the guests ticked from the folder's people, the rotation's
// schedule, the grid of ticks, each guest's mutual ticks, and pairing everyone
// at once; each printable as PDF. Links (letter and number):
//   g<n> page n (EveningPage), c<n> people page n, u<i> person i on or off,
//   e<i> the i-th evening of the folder, w a new evening (its name asked),
//   k<from * kMaxGuests + to> a tick of two guests on or off,
//   p / i / a the schedule's / the results' / the pairs' PDF, m the mutual switch.

// People shown per page of the guests' choice, of each sex.
inline constexpr int kEveningPeoplePerPage = 50;

// Opens today's evening of `folder` (ending with its separator).
void ShowEvening(App& app, const QString& folder);
// A link of the evening's pages.
void EveningCommand(App& app, const QString& code, int number);

// The pages, as built from the state and the evening as read.
QString EveningGuestsPage(const EveningState& st, const evening::Evening& e, const QStringList& evenings);
QString EveningSchedulePage(const EveningState& st, const evening::Evening& e, bool forPaper);
QString EveningTicksPage(const EveningState& st, const evening::Evening& e);
QString EveningResultsPage(const EveningState& st, const evening::Evening& e, bool forPaper);
// Every man and woman of the evening paired at once, the pairs with their
// match and the unpaired below.
QString EveningPairsPage(const EveningState& st, const evening::Evening& e, const QList<assign::Pair>& pairs,
                         bool forPaper);
