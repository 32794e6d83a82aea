#pragma once

#include "ground/windows/Model.h"

#include <QString>

#include <array>
#include <vector>

// The name search dialog: a part of a name and the sex to look for.
class FrmFound : public WindowModel {
public:
    FrmFound();

    Control Label1{"Label1", QStringLiteral("Введите часть имени или фамилии:")};
    Control txtNameFamiliya{"txtNameFamiliya"};
    std::array<Control, 2> selPol{Control{"selPol(0)", QStringLiteral("Искать мужчин")},
                                  Control{"selPol(1)", QStringLiteral("Искать женщин")}};
    Control kFound{"kFound", QStringLiteral("Найти")};
    Control NO{"NO", QStringLiteral("Отмена")};
};
