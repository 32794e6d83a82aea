#include "ground/windows/FrmFound.h"

FrmFound::FrmFound() : WindowModel(QStringLiteral("frmFound"))
{
    add(Label1);
    add(txtNameFamiliya);
    add(selPol[0]);
    add(selPol[1]);
    add(kFound);
    add(NO);
}
