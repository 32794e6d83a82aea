#include "ground/windows/FrmParam.h"

FrmParam::FrmParam() : WindowModel(QStringLiteral("frmParam"))
{
    for (Control& label : Label1)
        add(label);
    for (Control* c : {&NameT, &TPW, &txtVsegoVoprosov, &SelKolOtvetov, &OK, &NO})
        add(*c);
    caption = QStringLiteral("Создать тест");
    txtVsegoVoprosov.maxLength = 5;
    SelKolOtvetov.items = QStringList{QStringLiteral(" 2"), QStringLiteral(" 3"), QStringLiteral(" 4"),
                                      QStringLiteral(" 5"), QStringLiteral(" 6"), QStringLiteral(" 7"),
                                      QStringLiteral(" 8"), QStringLiteral(" 9"), QStringLiteral("10")};
    cancelButton = NO.name;
}
