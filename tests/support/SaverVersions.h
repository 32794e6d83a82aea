#pragma once

#include "ground/App.h"

// The two versions of every file that the saver writes in turn; the
// crash-safety test builds the same ones to compare with what is on disk.
// Version `v` (0 or 1) of each kind of file, big enough that a save takes a while.
inline void Prepare(App& app, int v)
{
    AppState& st = app.st;
    const QChar fill = v == 0 ? QChar(u'а') : QChar(u'б');
    st.test.TestName = QStringLiteral("Версия %1").arg(v);
    st.test.TestPassword = QStringLiteral("пароль");
    st.test.QuestionCount = 400;
    st.test.Questions.resizeFresh(400);
    for (int q = 1; q <= 400; ++q) {
        st.test.Questions[q].Vopros = QString(4000, fill);
        st.test.Questions[q].CountOtvetov = 1;
        st.test.Questions[q].AddOtvety(0, QString(100, fill));
        st.test.Questions[q].AddOtvety(1, QString(100, fill));
    }
    Kartochka& card = st.CardFields[0];
    card.NameFamiliya = QString(200000, fill);
    card.Otvety = QString(50, v == 0 ? QLatin1Char('0') : QLatin1Char('1'));
    card.Pol = v;
    st.folders.LastFolder = QStringLiteral("/") + QString(300000, fill) + QStringLiteral("/");
    st.folders.SplashPicture = QStringLiteral("/картинка.jpg");
}


// Result number i of a racing saver named `who`, for a test of `questions`
// questions of three answers each: the card as confirmed before the test
// (without its password) and the chosen answers, 0-based. Every third card
// has details.
struct RaceResult {
    Kartochka card;
    QList<int> answers;
};

inline RaceResult RaceResultOf(const QString& who, int i, int questions)
{
    RaceResult r;
    r.card.NameFamiliya = who + QStringLiteral(" №") + QString::number(i);
    r.card.DataRogdeniya = 1950 + i % 50;
    r.card.Pol = i % 2;
    if (i % 3 == 0) {
        r.card.Podrobnee = 1;
        r.card.Podrobnosti[5] = QStringLiteral("о себе, ") + QString::number(i);
    }
    for (int q = 0; q < questions; ++q) {
        r.answers.append((i + q) % 3);
        r.card.Otvety += QString::number(r.answers.last());
    }
    return r;
}
