// tandemo-gen: writes the demo folder, or a folder of made-up people.
//   tandemo-gen demo FOLDER
//   tandemo-gen people FOLDER MEN WOMEN QUESTIONS

#include "Generator.h"

#include <QDir>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.size() == 2 && args[0] == QLatin1String("demo")) {
        QDir().mkpath(args[1]);
        const QString folder = QDir(args[1]).absolutePath() + QLatin1Char('/');
        return gen::WriteDemoFolder(folder, QStringLiteral("demo")) ? 0 : 1;
    }
    if (args.size() == 5 && args[0] == QLatin1String("people")) {
        QDir().mkpath(args[1]);
        gen::PeoplePlan plan;
        plan.folder = QDir(args[1]).absolutePath() + QLatin1Char('/');
        plan.testBaseName = QStringLiteral("test");
        plan.men = args[2].toInt();
        plan.women = args[3].toInt();
        for (int q = args[4].toInt(); q > 0; --q)
            plan.answerCounts << 4;
        return gen::WritePeople(plan) ? 0 : 1;
    }
    std::fputs("Usage: tandemo-gen demo FOLDER\n       tandemo-gen people FOLDER MEN WOMEN QUESTIONS\n", stderr);
    return 2;
}
