// Saves the same file over and over, alternating two versions, until it is
// killed. The crash-safety test kills it at random moments and then looks at
// what is on disk.
//   tandemo_saver test|person|settings FOLDER
#include "document/TestFile.h"
#include "people/PersonFile.h"
#include "shell/App.h"
#include "shell/Startup.h"

#include "SaverVersions.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
class SilentPlatform : public Platform {
public:
    explicit SilentPlatform(QString folder) : folder_(std::move(folder)) {}
    MsgAnswer messageBox(const QString& text, const QString&, MsgButtons, MsgIcon, MsgAnswer answer) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return answer;
    }
    void showModal(WindowId) override {}
    QString fileDialog(bool, const QString&, const QList<FileFilter>&, const QString&) override { return {}; }
    void processEvents() override {}
    QDateTime now() override { return QDateTime::currentDateTime(); }
    void openExternalUrl(const QString&) override {}
    QString executableFolder() override { return folder_; }

private:
    QString folder_;
};
}

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 3)
        return 2;
    const QString kind = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    SilentPlatform platform(folder);
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
