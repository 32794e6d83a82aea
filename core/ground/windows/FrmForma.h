#pragma once

#include "ground/windows/Model.h"

#include <array>

// The main window: three buttons, the HTML view, the editor's controls and the
// File, Edit, Records and Help menus. Menu items are controls too: text is the caption.
class FrmForma : public WindowModel {
public:
    FrmForma();

    static constexpr int DesignWidth = 632;
    static constexpr int DesignHeight = 417;

    Control Nazad{"Nazad", QStringLiteral("Назад")};
    Control kDalee{"kDalee", QStringLiteral("Дальше")};
    Control kRezultat{"kRezultat", QStringLiteral("Сохранить результат")};
    Control usrWeb1{"usrWeb1"};
    Control NmWpr{"NmWpr", QStringLiteral("Вопрос номер:")};
    Control picVopros{"picVopros"};
    Control WrOt{"WrOt", QStringLiteral("Варианты ответов:")};
    Control SelKolOtvetov{"SelKolOtvetov"};
    std::array<Control, 10> picOtvety{
        Control{"picOtvety(0)"}, Control{"picOtvety(1)"}, Control{"picOtvety(2)"},
        Control{"picOtvety(3)"}, Control{"picOtvety(4)"}, Control{"picOtvety(5)"},
        Control{"picOtvety(6)"}, Control{"picOtvety(7)"}, Control{"picOtvety(8)"},
        Control{"picOtvety(9)"}};
    Control INF{"INF", QStringLiteral("Ввод вопроса:")};
    Control Txt{"Txt"};

    // File menu.
    Control File{"File", QStringLiteral("Файл")};
    Control FileNew{"FileNew", QStringLiteral("Создать")};
    Control FileOpen{"FileOpen", QStringLiteral("Открыть")};
    Control FileChange{"FileChange", QStringLiteral("Изменить")};
    Control FileSave{"FileSave", QStringLiteral("Сохранить")};
    Control FileSaveAs{"FileSaveAs", QStringLiteral("Сохранить как...")};
    Control FileSep1{"FileSep1", QStringLiteral("-")};
    std::array<Control, 2> FileListLudey{Control{"FileListLudey(0)", QStringLiteral("Список мужчин")},
                                         Control{"FileListLudey(1)", QStringLiteral("Список женщин")}};
    Control FileFoundLudey{"FileFoundLudey", QStringLiteral("Поиск")};
    Control FileKartochka{"FileKartochka", QStringLiteral("Личная карточная")};
    Control FileSep2{"FileSep2", QStringLiteral("-")};
    Control FileProsmotr{"FileProsmotr", QStringLiteral("Просмотр")};
    Control FileObnovit{"FileObnovit", QStringLiteral("Обновить")};
    Control FileSnachala{"FileSnachala", QStringLiteral("Начать сначала")};
    Control FileSep3{"FileSep3", QStringLiteral("-")};
    Control FileNameTest{"FileNameTest"};
    Control FileSep4{"FileSep4", QStringLiteral("-")};
    Control FileExit{"FileExit", QStringLiteral("Выход")};

    // Edit menu.
    Control Edit{"Edit", QStringLiteral("Правка")};
    Control EditFoundNoEnd{"EditFoundNoEnd", QStringLiteral("Поиск не завершённого")};
    Control EditParametry{"EditParametry", QStringLiteral("Параметры теста")};
    Control EditSelectVopros{"EditSelectVopros", QStringLiteral("Выбор вопроса")};
    Control EditPasteVopros{"EditPasteVopros", QStringLiteral("Вставить вопрос")};
    Control EditDeleteVopros{"EditDeleteVopros", QStringLiteral("Удалить вопрос")};
    Control EditVesa{"EditVesa", QStringLiteral("Веса вопроса...")};
    Control EditSep{"EditSep", QStringLiteral("-")};
    std::array<Control, 2> EditTextUpDown{Control{"EditTextUpDown(0)", QStringLiteral("Поднять текст")},
                                          Control{"EditTextUpDown(1)", QStringLiteral("Опустить текст")}};
    std::array<Control, 3> EditAddFile{Control{"EditAddFile(0)", QStringLiteral("Добавить рисунок")},
                                       Control{"EditAddFile(1)", QStringLiteral("Добавить видео ролик")},
                                       Control{"EditAddFile(2)", QStringLiteral("Добавить аудио ролик")}};
    Control EditNeravenstvo{"EditNeravenstvo", QStringLiteral("Знак не равенства <>")};
    Control EditTextInTag{"EditTextInTag", QStringLiteral("Кодировать текст в тэги")};
    Control EditFoundFile{"EditFoundFile", QStringLiteral("Поиск файла")};
    Control EditSep2{"EditSep2", QStringLiteral("-")};
    Control EditAddTest{"EditAddTest", QStringLiteral("Добавить тест")};
    std::array<Control, 2> EditLoadVopros{
        Control{"EditLoadVopros(0)", QStringLiteral("Быстрая загрузка вопросов")},
        Control{"EditLoadVopros(1)", QStringLiteral("Редактировать все вопросы")}};
    Control EditShowAllTest{"EditShowAllTest", QStringLiteral("Показать весь тест")};

    // Records menu: backups of the test's folder, its journal, and how long it
    // keeps its cards.
    Control Kartoteka{"Kartoteka", QStringLiteral("Картотека")};
    Control KartotekaKopiya{"KartotekaKopiya", QStringLiteral("Резервная копия…")};
    Control KartotekaVosstanovit{"KartotekaVosstanovit", QStringLiteral("Восстановить из копии…")};
    Control KartotekaZhurnal{"KartotekaZhurnal", QStringLiteral("Журнал")};
    Control KartotekaNapominaniya{"KartotekaNapominaniya", QStringLiteral("Напоминания")};
    Control KartotekaStatistika{"KartotekaStatistika", QStringLiteral("Статистика")};
    Control KartotekaStol{"KartotekaStol", QStringLiteral("Рабочий стол оператора…")};
    Control KartotekaVecher{"KartotekaVecher", QStringLiteral("Вечер знакомств")};
    Control KartotekaSep{"KartotekaSep", QStringLiteral("-")};
    Control KartotekaAvto{"KartotekaAvto", QStringLiteral("Автоматические копии…")};
    Control KartotekaSep2{"KartotekaSep2", QStringLiteral("-")};
    Control KartotekaSrok{"KartotekaSrok", QStringLiteral("Срок хранения анкет…")};
    Control KartotekaIstek{"KartotekaIstek", QStringLiteral("Истёк срок хранения")};
    Control KartotekaSoglasie{"KartotekaSoglasie", QStringLiteral("Текст согласия…")};

    // Help menu.
    Control Help{"Help", QStringLiteral("Справка")};
    Control HelpCallHelp{"HelpCallHelp", QStringLiteral("Вызов справки")};
    Control HelpOptions{"HelpOptions", QStringLiteral("Заставка программы")};
    Control HelpAbout{"HelpAbout", QStringLiteral("О программе")};

    // Menus in display order, each with its items; a "-" item is a separator.
    std::vector<std::vector<Control*>> menus() const;
};
