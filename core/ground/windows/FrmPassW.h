#pragma once

#include "ground/windows/Model.h"

#include <QString>

#include <array>
#include <vector>

// The password dialog. In any mode but CardPassword (the mode when "ОК" is
// pressed) it guards the loaded test and opens the editor itself; as
// CardPassword it guards card slot 1 and tells its caller by Confirmed.
class FrmPassW : public WindowModel {
public:
    FrmPassW();

    Control TPW{"TPW"};  // shown as asterisks
    Control OK{"OK", QStringLiteral("ОК")};
    Control NO{"NO", QStringLiteral("Отмена")};
};
