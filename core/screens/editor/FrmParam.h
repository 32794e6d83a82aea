#pragma once

#include "ground/windows/Model.h"

#include <QChar>

#include <array>

class App;

// The test parameters dialog, caption "Создать тест". Mode 0 (DialogMode when
// it opens) defines a new test and enters the editor; any other mode changes
// the name, password and question count of the test in memory.
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

// Opens the dialog modally in the DialogMode the caller has set.
void ShowParam(App& app);
// File > "Создать" (and the splash page's "n"), Edit > "Параметры теста".
void FileNew_Click(App& app);
void EditParametry_Click(App& app);

// Dialog handlers.
void frmParam_Load(App& app);
// Whether a typed character may go into the named box.
bool frmParam_KeyAllowed(const QString& control, QChar ch);
void frmParam_Change(App& app, const QString& control);
void frmParam_OK_Click(App& app);
void frmParam_NO_Click(App& app);
// Every user action on the dialog; false drops a typed key.
bool frmParam_Event(App& app, const UiEvent& event);
