#include "shell/ProgramSetup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>

void setProgramIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("Тандемо"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TANDEMO_VERSION));
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TANDEMO_DESKTOP_ID));
}

bool installRussianQtTexts(QCoreApplication& application)
{
    // The program speaks Russian whatever the desktop's language, so Qt's own
    // texts and the dates and numbers in its dialogs do too.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool found = false;
    for (const char* catalogue : {"qtbase", "qtwebengine"}) {
        auto* translator = new QTranslator(&application);
        if (translator->load(russian, QString::fromLatin1(catalogue), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator)) {
            found = found || std::strcmp(catalogue, "qtbase") == 0;
        } else {
            delete translator;
        }
    }
    return found;
}

void handleCommandLine(QCoreApplication& application)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Тандемо — анкеты для клубов и агентств знакомств: тестирование, "
                       "картотека и подбор пар."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(application);
}

bool asksOnlyForInformation(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}
