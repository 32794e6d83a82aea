#include "ground/windows/FrmHTML.h"

FrmHTML::FrmHTML() : WindowModel(QStringLiteral("frmHTML"))
{
    add(usrWebHtml1);
    add(Timer1);
    add(File);
    add(FileObnovit);
    add(FileSep2);
    add(FileExit);
    Timer1.enabled = false;
}
