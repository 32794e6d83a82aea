#include "ground/windows/FrmNomer.h"

FrmNomer::FrmNomer() : WindowModel(QStringLiteral("frmNomer"))
{
    add(List1);
    caption = QStringLiteral("Выбор вопроса");
}
