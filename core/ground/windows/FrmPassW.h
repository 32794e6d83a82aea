#pragma once

#include "ground/windows/Model.h"

#include <QString>

#include <array>
#include <vector>

// The password dialog. Mode 0 (DialogMode when "ОК" is pressed) guards the
// loaded test and opens the editor itself; mode 2 guards card slot 1 and tells
// its caller by DialogMode -1.
class FrmPassW : public WindowModel {
public:
    FrmPassW();

    Control TPW{"TPW"};  // shown as asterisks
    Control OK{"OK", QStringLiteral("ОК")};
    Control NO{"NO", QStringLiteral("Отмена")};
};
