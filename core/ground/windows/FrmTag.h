#pragma once

#include "ground/windows/Model.h"

#include <QString>

#include <array>
#include <vector>

// "Кодировать текст в тэги".
class FrmTag : public WindowModel {
public:
    FrmTag();

    Control txtFIO{"txtFIO"};
    Control OK{"OK", QStringLiteral("ОК")};
    Control NO{"NO", QStringLiteral("Отмена")};
};
