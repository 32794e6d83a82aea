#pragma once

#include "ground/windows/Model.h"

// The about box: what the program is, its version, and "ОК".
class FrmOprog : public WindowModel {
public:
    FrmOprog();

    Control lblName{"lblName", QStringLiteral("Тандемо")};
    Control lblVersion{"lblVersion"};
    Control lblAbout{"lblAbout"};
    Control OK{"OK", QStringLiteral("ОК")};
};
