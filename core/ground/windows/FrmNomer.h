#pragma once

#include "ground/windows/Model.h"

#include <QString>

#include <array>
#include <vector>

// The question picker "Выбор вопроса": one line per question.
class FrmNomer : public WindowModel {
public:
    FrmNomer();

    Control List1{"List1"};
};
