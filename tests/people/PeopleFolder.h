#pragma once

#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "ground/App.h"
#include "ground/windows/HtmlView.h"
#include "shell/ListCommands.h"

#include <QTemporaryDir>
#include <QTest>

// A test folder with person files, and the program set to work in it.
struct PeopleFolder {
    QTemporaryDir tmp;
    ScriptedPlatform pf;
    App app{pf};

    PeopleFolder()
    {
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.folders.WorkFolder = tmp.path() + QLatin1Char('/');
        app.st.folders.AppFolder = app.st.folders.WorkFolder;
    }

    QString path(const QString& fileName) const { return app.st.folders.WorkFolder + fileName; }

    // A person file as the program writes it; `details` holds the nine detail
    // lines when the card has them.
    void person(const QString& fileName, const QString& name, int year, const QString& password = {},
                const QStringList& details = {})
    {
        QStringList lines{QStringLiteral("[kartochka]"), name, QLatin1Char(' ') + QString::number(year),
                          details.isEmpty() ? QStringLiteral(" 0") : QStringLiteral(" 1"), QStringLiteral("0123")};
        lines << details;
        lines << (fileName.endsWith(QLatin1String(".tnw")) ? QStringLiteral(" 1") : QStringLiteral(" 0"))
              << password << QString();
        fixtures::writeBytes(path(fileName), fixtures::cp1251Lines(lines));
    }

    QString page() const { return app.frmHTML.usrWebHtml1.text; }

    // A click on a command link of the secondary view, as the browser reports it.
    void click(const QString& code) { VyborKartochki(app, Command(code) + QLatin1Char('/')); }
};
