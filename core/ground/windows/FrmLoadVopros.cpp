#include "ground/windows/FrmLoadVopros.h"

FrmLoadVopros::FrmLoadVopros() : WindowModel(QStringLiteral("frmLoadVopros"))
{
    for (Control* c : {&Label1, &Text, &Label2, &SelNomer, &OK, &NO})
        add(*c);
    for (Control* c : menu())
        add(*c);
    caption = QStringLiteral("Быстрая загрузка вопросов");
    cancelButton = NO.name;
    // The same keys as the main window's copy of these items, so an author
    // marks up text the same way in both boxes.
    EditTextUpDown[0].shortcut = QStringLiteral("Ctrl+U");
    EditTextUpDown[1].shortcut = QStringLiteral("Ctrl+D");
    EditAddFile[0].shortcut = QStringLiteral("Ctrl+I");
    EditNeravenstvo.shortcut = QStringLiteral("Ctrl+T");
    EditFoundFile.shortcut = QStringLiteral("Ctrl+F");
}

std::vector<Control*> FrmLoadVopros::menu() const
{
    auto* self = const_cast<FrmLoadVopros*>(this);
    return {&self->Edit,           &self->EditTextUpDown[0], &self->EditTextUpDown[1], &self->EditAddFile[0],
            &self->EditAddFile[1], &self->EditAddFile[2],    &self->EditNeravenstvo,   &self->EditTextInTag,
            &self->EditFoundFile,  &self->Edit5ep,           &self->EditExit};
}
