#include "engines/Proverka.h"

#include "ground/App.h"

int Proverka(App& app, int announce)
{
    for (int q = 1; q <= app.st.test.QuestionCount; ++q) {
        const clsTest& question = app.st.test.Questions[q];
        if (question.Vopros.isEmpty())
            return q;
        for (int i = 0; i <= question.CountOtvetov && i < clsTest::Capacity; ++i) {
            if (question.ListOtvety(i).isEmpty())
                return q;
        }
    }
    if (announce == 1)
        ShowNotice(app, QStringLiteral("Тест готов!"));
    return 0;
}

int PoiskTochki(const App& app, const QString& path)
{
    for (qsizetype pos = path.size(); pos >= 4; --pos) {
        const QString c = path.mid(pos - 1, 1);
        if (c == app.st.folders.PathSep)
            return 0;
        if (c == QLatin1String("."))
            return static_cast<int>(pos);
    }
    return 0;
}
