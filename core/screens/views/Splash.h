#pragma once

class App;

// The first page of the main view: agency list link, slogan, the foundation
// link, "Создать тест", "Открыть тест" and the splash picture.
void ShowZastavka(App& app);

// Help > "Заставка программы": lets the user pick another splash picture.
void OpenEmblema(App& app);
