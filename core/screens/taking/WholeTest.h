#pragma once

class App;

// The whole test on one page, into ListHtml; shows nothing itself.
void ShowAllTest(App& app);
// Edit > "Показать весь тест": the page in the secondary window.
void EditShowAllTest_Click(App& app);
// File > "Просмотр": switches the page of the current question in place of
// the editor on or off; wasOn is the check mark before the click.
void Prosmotr(App& app, bool wasOn);
