#pragma once

#include "ground/windows/Model.h"

#include <QString>

#include <array>
#include <utility>

// "Веса вопроса": how much the current question matters, and which of the
// other person's answers go with each of this person's answers.
class FrmVesa : public WindowModel {
public:
    static constexpr int kAnswers = 10;

    FrmVesa();

    Control Label1{"Label1", QStringLiteral("Важность вопроса:")};
    // "неважно", "немного", "важно", "очень важно", "обязательно".
    Control SelVes{"SelVes"};
    Control Label2{"Label2", QStringLiteral("Какие ответы другого подходят к ответу этого человека:")};
    Control Corner{"Corner", QStringLiteral("Этот \\ другой")};
    // Row a: this person's answer a; column b: the other's answer b.
    std::array<Control, kAnswers> Row = Named(std::make_index_sequence<kAnswers>(), "Row");
    std::array<Control, kAnswers> Column = Named(std::make_index_sequence<kAnswers>(), "Column");
    // Cell a * kAnswers + b: the other's answer b goes with answer a.
    std::array<Control, kAnswers * kAnswers> Cell = Named(std::make_index_sequence<kAnswers * kAnswers>(), "Cell");
    Control OK{"OK", QStringLiteral("ОК")};
    Control NO{"NO", QStringLiteral("Отмена")};

    Control& cell(int a, int b) { return Cell[static_cast<size_t>(a * kAnswers + b)]; }

private:
    // Controls named "Row(3)", "Cell(12)" and so on.
    template <size_t... I>
    static std::array<Control, sizeof...(I)> Named(std::index_sequence<I...>, const char* prefix)
    {
        return {Control{QString::fromLatin1(prefix) + QLatin1Char('(') + QString::number(I) + QLatin1Char(')')}...};
    }
};
