#include "ground/windows/FrmVesa.h"

FrmVesa::FrmVesa() : WindowModel(QStringLiteral("frmVesa"))
{
    add(Label1);
    add(SelVes);
    add(Label2);
    add(Corner);
    for (Control& c : Column)
        add(c);
    for (int a = 0; a < kAnswers; ++a) {
        add(Row[static_cast<size_t>(a)]);
        for (int b = 0; b < kAnswers; ++b)
            add(cell(a, b));
    }
    add(OK);
    add(NO);
    caption = QStringLiteral("Веса вопроса");
    SelVes.items = QStringList{QStringLiteral("неважно"), QStringLiteral("немного"), QStringLiteral("важно"),
                               QStringLiteral("очень важно"), QStringLiteral("обязательно")};
    defaultButton = OK.name;
    cancelButton = NO.name;
}
