#pragma once

#include "ground/windows/Model.h"

#include <QString>

#include <array>
#include <vector>

// "Быстрая загрузка вопросов": questions and answers as bulk text. Opened as
// LoadQuestions it starts empty, as EditAllQuestions with the whole test
// written out. Its text box holds lines
// separated by "\n", as the box on screen does.
class FrmLoadVopros : public WindowModel {
public:
    FrmLoadVopros();

    Control Label1{"Label1", QStringLiteral("Введите вопросы и ответы")};
    Control Text{"Text"};
    Control Label2{"Label2", QStringLiteral("Начать загрузку с вопроса №")};
    Control SelNomer{"SelNomer"};
    Control OK{"OK", QStringLiteral("ОК")};
    Control NO{"NO", QStringLiteral("Отмена")};

    // Its own Edit menu: the markup and media commands on Text.
    Control Edit{"Edit", QStringLiteral("Правка")};
    std::array<Control, 2> EditTextUpDown{Control{"EditTextUpDown(0)", QStringLiteral("Поднять текст")},
                                          Control{"EditTextUpDown(1)", QStringLiteral("Опустить текст")}};
    std::array<Control, 3> EditAddFile{Control{"EditAddFile(0)", QStringLiteral("Добавить рисунок")},
                                       Control{"EditAddFile(1)", QStringLiteral("Добавить видео ролик")},
                                       Control{"EditAddFile(2)", QStringLiteral("Добавить аудио ролик")}};
    Control EditNeravenstvo{"EditNeravenstvo", QStringLiteral("Знак не равенства <>")};
    Control EditTextInTag{"EditTextInTag", QStringLiteral("Кодировать текст в тэги")};
    Control EditFoundFile{"EditFoundFile", QStringLiteral("Поиск файла")};
    Control Edit5ep{"Edit5ep", QStringLiteral("-")};
    Control EditExit{"EditExit", QStringLiteral("Выход")};

    // The menu with its items in display order; a "-" item is a separator.
    std::vector<Control*> menu() const;

    // Set when a load could not pass the text through the backup file: the
    // dialog comes back with the author's text as it was.
    bool reopen = false;
};
