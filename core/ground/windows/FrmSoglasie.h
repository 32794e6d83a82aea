#pragma once

#include "ground/windows/Model.h"

#include <QString>

// The person's consent, shown before the card dialog of an attempt when the
// test has a consent text: the text (a safe HTML fragment, read-only) and two
// separate choices. "Продолжить" and "Отказаться" close it; `given` and
// `photo` then tell the caller what the person chose.
class FrmSoglasie : public WindowModel {
public:
    FrmSoglasie();

    Control txtSoglasie{"txtSoglasie"};  // the text's HTML
    Control chDannye{"chDannye",
                     QStringLiteral("Я даю согласие на обработку и хранение моих персональных данных")};
    Control chFoto{"chFoto", QStringLiteral("Я даю согласие на хранение моей фотографии")};
    Control kDalee{"kDalee", QStringLiteral("Продолжить")};
    Control kOtkaz{"kOtkaz", QStringLiteral("Отказаться")};

    bool given = false;
    bool photo = false;
};
