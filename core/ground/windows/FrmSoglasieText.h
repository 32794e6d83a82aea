#pragma once

#include "ground/windows/Model.h"

#include <QString>

// The author's consent text: the HTML of the test's consent file, edited as
// plain text. "ОК" sets the dialog mode to Confirmed.
class FrmSoglasieText : public WindowModel {
public:
    FrmSoglasieText();

    Control lblText{"lblText", QStringLiteral(
        "HTML текста согласия, который человек видит перед своей карточкой (пустой текст: без согласия):")};
    Control txtText{"txtText"};
    Control OK{"OK", QStringLiteral("ОК")};
    Control NO{"NO", QStringLiteral("Отмена")};
};
