#pragma once

class App;

// The card page of card slot 1 with its commands; sets HtmlWindowMode 1.
void ShowKartochka(App& app);

// "Изменить" and "Удалить" of the card page, each behind the card's password.
void ChangeKartochka(App& app);
void DeleteKartochka(App& app);

// VyborKartochki (the secondary view's command receiver) is declared with the
// window in views/FrmHTML.h.
