#include "ground/windows/FrmSoglasieText.h"

FrmSoglasieText::FrmSoglasieText() : WindowModel(QStringLiteral("frmSoglasieText"))
{
    caption = QStringLiteral("Текст согласия");
    for (Control* c : {&lblText, &txtText, &OK, &NO})
        add(*c);
    defaultButton.clear();  // Enter makes a new line in the text
    cancelButton = NO.name;
}
