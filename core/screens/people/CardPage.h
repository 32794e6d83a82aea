#pragma once

#include <QString>


class App;
struct Kartochka;

// The card page of card slot 1 with its commands; the list window then shows
// a card page.
void ShowKartochka(App& app);
// Asks where to save a paper document (offering `suggestedName`), writes it
// as PDF and opens it; a failure is told.
void SavePdf(App& app, const QString& suggestedName, const QString& html);
// The page the open card was opened from: the list, or the reminders.
void ShowCardOrigin(App& app);

// Pieces shared by the card pages of the list and of the ranking: the head,
// a command link, and everything from "Личная карточная" to the end.
QString CardPageHead();
QString CardPageLink(const QString& code, const QString& text);
QString CardPageBody(App& app, const Kartochka& card);
// How the body ends.
inline const QString kCardPageTail = QStringLiteral("</center></body></html>");

// Asks for the card's password (of card slot 1); true when it was given.
bool askCardPassword(App& app);

// "Изменить" and "Удалить" of the card page, each behind the card's password.
void ChangeKartochka(App& app);
void DeleteKartochka(App& app);

// The card page's second row, only for a test with a consent text (the
// codes below are the page's links):
// "Согласие (PDF)" (f): the paper consent form of a person who consented,
// saved as a PDF and opened to be shown or printed.
void ConsentFormKartochka(App& app);
// "Выгрузить данные" (e): behind the card's password, everything kept about
// the person into a folder the user chooses.
void ExportKartochka(App& app);
// "Удалить навсегда" (u) and "Отзыв согласия" (o): behind the card's
// password and with a reason, the person erased with an act of destruction.
void EraseKartochka(App& app, bool withdrawal);

// VyborKartochki (the secondary view's command receiver) is declared with the
// window in views/FrmHTML.h.
