#include "ground/windows/FrmPassW.h"

FrmPassW::FrmPassW() : WindowModel(QStringLiteral("frmPassW"))
{
    add(TPW);
    add(OK);
    add(NO);
}
