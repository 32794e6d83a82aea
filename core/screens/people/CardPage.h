#pragma once

#include <QString>

class App;
struct Kartochka;

// The card page of card slot 1 with its commands; the list window then shows
// a card page.
void ShowKartochka(App& app);

// Pieces shared by the card pages of the list and of the ranking: the head,
// a command link, and everything from "Личная карточная" to the end.
QString CardPageHead();
QString CardPageLink(const QString& code, const QString& text);
QString CardPageBody(App& app, const Kartochka& card);

// "Изменить" and "Удалить" of the card page, each behind the card's password.
void ChangeKartochka(App& app);
void DeleteKartochka(App& app);

// VyborKartochki (the secondary view's command receiver) is declared with the
// window in views/FrmHTML.h.
