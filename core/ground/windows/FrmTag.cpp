#include "ground/windows/FrmTag.h"

FrmTag::FrmTag() : WindowModel(QStringLiteral("frmTag"))
{
    for (Control* c : {&txtFIO, &OK, &NO})
        add(*c);
    caption = QStringLiteral("Кодировать текст в тэги");
    cancelButton = NO.name;
}
