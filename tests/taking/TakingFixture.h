#pragma once

#include "ScriptedPlatform.h"

#include "screens/people/FrmKartochka.h"
#include "ground/App.h"

#include <QString>

// A loaded test of `count` questions taken by one person at a time: question q
// reads "Вопрос q" and has `answers` answers "Ответ q.i"; the card dialog, when
// shown, is filled by `name`, `woman` and confirmed unless `cancelCard` is set.
struct TakingSession {
    ScriptedPlatform pf;
    App app{pf};
    QString name = QStringLiteral("Анна Петрова");
    QString year = QStringLiteral("1985");
    bool woman = true;
    bool cancelCard = false;

    TakingSession(const QString& workFolder, int count, int answers = 3)
    {
        AppState& st = app.st;
        st.folders.PathSep = QStringLiteral("/");
        st.folders.AppFolder = QStringLiteral("/opt/tandemo/");
        st.folders.WorkFolder = workFolder;
        st.test.TestFilePath = workFolder + QStringLiteral("Знакомства.tnd");
        st.test.TestName = QStringLiteral("Знакомства");
        st.test.QuestionCount = count;
        st.test.Questions.resizeFresh(count);
        for (int q = 1; q <= count; ++q) {
            st.test.Questions[q].Vopros = QStringLiteral("Вопрос ") + QString::number(q);
            st.test.Questions[q].CountOtvetov = answers - 1;
            for (int i = 0; i < answers; ++i)
                st.test.Questions[q].AddOtvety(i, QStringLiteral("Ответ %1.%2").arg(q).arg(i));
        }
        pf.onModal[WindowId::Kartochka] = [this] {
            frmKartochka_Load(app);
            if (cancelCard) {
                frmKartochka_NO_Click(app);
                return;
            }
            app.frmKartochka.txtNameFamiliya.text = name;
            app.frmKartochka.txtDataRogdeniya.text = year;
            frmKartochka_selPol_Click(app, woman ? 1 : 0);
            frmKartochka_OK_Click(app);
        };
    }
};

// The link the browser reports for a bare command or a command with suffix.
inline QString bareLink(const QString& code) { return QStringLiteral("http://tnd.") + code + QStringLiteral("/"); }
