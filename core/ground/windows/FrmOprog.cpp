#include "ground/windows/FrmOprog.h"

FrmOprog::FrmOprog() : WindowModel(QStringLiteral("frmOprog"))
{
    caption = QStringLiteral("О программе");
    lblVersion.text = QStringLiteral("Версия ") + QStringLiteral(TANDEMO_VERSION);
    lblAbout.text = QStringLiteral(
        "Тандемо помогает брачным агентствам и клубам знакомств находить пары. Автор составляет тест, "
        "гости заполняют личную карточку и отвечают на вопросы, а программа хранит результаты рядом с "
        "тестом, показывает списки мужчин и женщин, ищет людей по имени и подбирает пары по числу "
        "совпавших ответов.");
    for (Control* c : {&lblName, &lblVersion, &lblAbout, &OK})
        add(*c);
    defaultButton = OK.name;
    cancelButton = OK.name;
    focus = OK.name;
}
