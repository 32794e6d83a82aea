#pragma once

#include "ScriptedPlatform.h"

#include "screens/editor/NewTest.h"
#include "screens/editor/Editor.h"
#include "ground/App.h"

#include <QString>

// A test of `count` questions in the editor on question 1: question q reads
// "Вопрос q" and has `answers` answers "Ответ q.i" (all filled unless a test
// empties some). Every character is 10 units wide.
struct EditorSession {
    ScriptedPlatform pf;
    App app{pf};

    EditorSession(int count, int answers = 3)
    {
        AppState& st = app.st;
        st.folders.AppFolder = QStringLiteral("/opt/tandemo/");
        st.test.TestName = QStringLiteral("Знакомства");
        st.test.TestPassword = QStringLiteral("ключ");
        st.test.QuestionCount = count;
        st.test.Questions.resizeFresh(count);
        for (int q = 1; q <= count; ++q) {
            st.test.Questions[q].Vopros = QStringLiteral("Вопрос ") + QString::number(q);
            st.test.Questions[q].CountOtvetov = answers - 1;
            for (int i = 0; i < answers; ++i)
                st.test.Questions[q].AddOtvety(i, QStringLiteral("Ответ %1.%2").arg(q).arg(i));
        }
        NewTest(app, 0);
    }

    FrmForma& f() { return app.frmForma; }
    clsTest& question(int q) { return app.st.test.Questions[q]; }

    // What the author does in Txt: the box holds the new text, then reports it.
    void type(const QString& text)
    {
        f().Txt.text = text;
        f().Txt.selStart = static_cast<int>(text.size());
        Txt_Change(app);
    }
    bool key(int code, bool ctrl = false, bool shift = false)
    {
        UiEvent e{UiEvent::KeyDown, QStringLiteral("Txt")};
        e.key = code;
        e.ctrl = ctrl;
        e.shift = shift;
        return Txt_KeyDown(app, e);
    }
    bool press(const QString& text)
    {
        UiEvent e{UiEvent::KeyPress, QStringLiteral("Txt")};
        e.text = text;
        return Txt_KeyPress(app, e);
    }
    // Index of the box drawn in the edit colour: -1 the question, -2 none,
    // -3 when more than one is.
    // The editor's field for a box as greenBox() numbers them.
    static EditTarget boxTarget(int box)
    {
        return box == -2 ? EditTarget::Nothing : box == -1 ? EditTarget::Question : AnswerTarget(box);
    }
    int greenBox()
    {
        int found = -2;
        int greens = 0;
        if (f().picVopros.backColor == kEditColour) {
            found = -1;
            ++greens;
        }
        for (int i = 0; i < 10; ++i) {
            if (f().picOtvety[static_cast<size_t>(i)].visible &&
                f().picOtvety[static_cast<size_t>(i)].backColor == kEditColour) {
                found = i;
                ++greens;
            }
        }
        return greens > 1 ? -3 : found;
    }
};
