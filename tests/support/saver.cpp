// Saves the same file over and over, alternating two versions, until it is
// killed. The crash-safety test kills it at random moments and then looks at
// what is on disk.
//   tandemo_saver test|person|settings FOLDER
#include "document/TestFile.h"
#include "people/PersonFile.h"
#include "shell/App.h"
#include "shell/HeadlessPlatform.h"
#include "shell/Startup.h"

#include "SaverVersions.h"

#include <QCoreApplication>

#include <cstdio>


int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 3)
        return 2;
    const QString kind = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    HeadlessPlatform platform;
    platform.folder = folder;
    platform.onMessage = [](const QString& text, MsgIcon) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    App app(platform);
    app.st.PathSep = QStringLiteral("/");
    app.st.AppFolder = folder;
    app.st.WorkFolder = folder;
    app.st.TestFilePath = folder + QStringLiteral("t.tnd");
    std::fprintf(stdout, "ready\n");
    std::fflush(stdout);
    for (int round = 0;; ++round) {
        Prepare(app, round % 2);
        if (kind == QLatin1String("test"))
            SaveTest(app, app.st.TestFilePath);
        else if (kind == QLatin1String("person"))
            SaveKartochka(app, QStringLiteral("p.tnw"), 0);
        else
            UnloadProga(app);
    }
}
