#pragma once

#include "ground/windows/Model.h"

#include <QString>

#include <array>
#include <vector>

// The test parameters dialog, caption "Создать тест". Opened as NewTest it
// defines a new test and enters the editor; in any other mode it changes the
// name, password and question count of the test in memory.
class FrmParam : public WindowModel {
public:
    FrmParam();

    std::array<Control, 4> Label1{Control{"Label1(0)", QStringLiteral("Название  теста:")},
                                  Control{"Label1(1)", QStringLiteral("Ввод пароля с учётом регистра:")},
                                  Control{"Label1(2)", QStringLiteral("Количество вопросов:")},
                                  Control{"Label1(3)", QStringLiteral("Основное количество ответов")}};
    Control NameT{"NameT"};
    Control TPW{"TPW"};
    Control txtVsegoVoprosov{"txtVsegoVoprosov"};
    Control SelKolOtvetov{"SelKolOtvetov"};
    Control OK{"OK", QStringLiteral("ОК")};
    Control NO{"NO", QStringLiteral("Отмена")};
};
