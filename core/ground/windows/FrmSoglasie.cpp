#include "ground/windows/FrmSoglasie.h"

FrmSoglasie::FrmSoglasie() : WindowModel(QStringLiteral("frmSoglasie"))
{
    caption = QStringLiteral("Согласие на обработку персональных данных");
    for (Control* c : {&txtSoglasie, &chDannye, &chFoto, &kDalee, &kOtkaz})
        add(*c);
}
