#pragma once

#include "ground/windows/Model.h"

#include <QString>

#include <array>
#include <vector>

// The personal card dialog "Личная карточная": sex, name, year of birth and
// the nine optional details. Opened as NewCard (card of a new test taker,
// slot 0), ListCard (change of a card from the lists, slot 1) or OwnCard (own
// card during the test, slot 0); OK sets the dialog mode to Confirmed.
class FrmKartochka : public WindowModel {
public:
    FrmKartochka();

    // Back to the state of a freshly created dialog.
    void reset();

    std::array<Control, 2> selPol{Control{"selPol(0)", QStringLiteral("Мужчина")},
                                  Control{"selPol(1)", QStringLiteral("Женщина")}};
    Control lblNameFamiliya{"lblNameFamiliya", QStringLiteral("Имя и фамилия:")};
    Control txtNameFamiliya{"txtNameFamiliya"};
    Control lblDataRogdeniya{"lblDataRogdeniya", QStringLiteral("Год рождения:")};
    Control txtDataRogdeniya{"txtDataRogdeniya"};
    Control chPodrobnee{"chPodrobnee", QStringLiteral("Подробнее:")};
    // Height, weight, about oneself, looking for, address, photo path.
    std::array<Control, 6> txtInfo{Control{"txtInfo(0)"}, Control{"txtInfo(1)"}, Control{"txtInfo(2)"},
                                   Control{"txtInfo(3)"}, Control{"txtInfo(4)"}, Control{"txtInfo(5)"}};
    std::array<Control, 6> lblInfo{Control{"lblInfo(0)", QStringLiteral("Рост (м):")},
                                   Control{"lblInfo(1)", QStringLiteral("Вес (кг):")},
                                   Control{"lblInfo(2)", QStringLiteral("О себе:")},
                                   Control{"lblInfo(3)", QStringLiteral("Ищу:")},
                                   Control{"lblInfo(4)", QStringLiteral("Адрес:")},
                                   Control{"lblInfo(5)", QStringLiteral("Фотография:")}};
    // Men's hair, women's hair (same place, one of them shown), eyes, zodiac.
    // A list's text is its value; it may hold a stored text that is not an item.
    std::array<Control, 4> lstRaznoe{Control{"lstRaznoe(0)"}, Control{"lstRaznoe(1)"}, Control{"lstRaznoe(2)"},
                                     Control{"lstRaznoe(3)"}};
    std::array<Control, 3> lblRaznoe{Control{"lblRaznoe(0)", QStringLiteral("Цвет волос:")},
                                     Control{"lblRaznoe(2)", QStringLiteral("Глаза:")},
                                     Control{"lblRaznoe(3)", QStringLiteral("Зодиак:")}};
    Control kObzorEmblema{"kObzorEmblema"};
    // "Кого ищу": whom the person accepts; an empty field is no bound, no
    // colour ticked accepts any. The hair boxes name the other sex's colours.
    Control lblSeeking{"lblSeeking", QStringLiteral("Кого ищу:")};
    Control lblSeekAge{"lblSeekAge", QStringLiteral("Возраст от")};
    Control lblSeekAgeTo{"lblSeekAgeTo", QStringLiteral("до")};
    Control lblSeekHeight{"lblSeekHeight", QStringLiteral("Рост (м) от")};
    Control lblSeekHeightTo{"lblSeekHeightTo", QStringLiteral("до")};
    std::array<Control, 2> txtSeekAge{Control{"txtSeekAge(0)"}, Control{"txtSeekAge(1)"}};
    std::array<Control, 2> txtSeekHeight{Control{"txtSeekHeight(0)"}, Control{"txtSeekHeight(1)"}};
    Control lblSeekHair{"lblSeekHair", QStringLiteral("Волосы:")};
    std::array<Control, 5> chSeekHair{Control{"chSeekHair(0)"}, Control{"chSeekHair(1)"}, Control{"chSeekHair(2)"},
                                      Control{"chSeekHair(3)"}, Control{"chSeekHair(4)"}};
    Control lblSeekEyes{"lblSeekEyes", QStringLiteral("Глаза:")};
    std::array<Control, 3> chSeekEyes{Control{"chSeekEyes(0)"}, Control{"chSeekEyes(1)"}, Control{"chSeekEyes(2)"}};
    Control OK{"OK", QStringLiteral("ОК")};
    Control NO{"NO", QStringLiteral("Отмена")};

    // The slot being edited: 1 for a card from the lists, else 0.
    int slot = 0;
    // Whom the person accepted when the dialog opened, as the desk encodes it:
    // only a change is written back.
    QString acceptsShown;
};
