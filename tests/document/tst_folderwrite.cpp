#include "Fixtures.h"

#include "ground/FolderWrite.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/time.h>

using fixtures::readBytes;
using fixtures::writeBytes;
using textfile::NewNameMethod;
using textfile::SaveResult;

Q_DECLARE_METATYPE(textfile::NewNameMethod)
Q_DECLARE_METATYPE(textfile::GuardedResult)

namespace {

// What a directory entry is, without following a link.
QString entryKind(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("nothing");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("link to ") + QFile::symLinkTarget(path);
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("folder");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("FIFO");
    return QStringLiteral("file: ") + QString::fromLatin1(readBytes(path));
}

QStringList everything(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A folder for the saves and a folder beside it that no save may touch.
struct Place {
    QTemporaryDir tmp;
    QString folder = tmp.path() + QStringLiteral("/f/");
    QString outside = tmp.path() + QStringLiteral("/outside/");
    Place()
    {
        QDir().mkpath(folder);
        QDir().mkpath(outside);
        writeBytes(outside + QStringLiteral("victim"), "victim");
    }
    // Puts `holder` under `name` in the folder.
    void hold(const QString& name, const QString& holder)
    {
        const QString path = folder + name;
        if (holder == QLatin1String("file"))
            writeBytes(path, "old");
        else if (holder == QLatin1String("dangling link"))
            QVERIFY(QFile::link(outside + QStringLiteral("planted"), path));
        else if (holder == QLatin1String("link outside"))
            QVERIFY(QFile::link(outside + QStringLiteral("victim"), path));
        else if (holder == QLatin1String("link into missing folder"))
            QVERIFY(QFile::link(outside + QStringLiteral("missing/planted"), path));
        else if (holder == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(path));
        else if (holder == QLatin1String("FIFO"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else
            QFAIL("unknown holder");
    }
    void outsideUnchanged()
    {
        QCOMPARE(everything(outside), QStringList{QStringLiteral("victim")});
        QCOMPARE(readBytes(outside + QStringLiteral("victim")), QByteArray("victim"));
    }
};

}  // namespace

// New files in a folder shared with other desks and with whatever a visitor
// left there; replacing a card without leaving its folder.
class TestFolderWrite : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void freeName_data()
    {
        QTest::addColumn<NewNameMethod>("method");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("held");  // "name=holder"
        QTest::addColumn<QString>("expected");
        const QList<QPair<const char*, NewNameMethod>> methods{{"link", NewNameMethod::HardLink},
                                                               {"exclusive create", NewNameMethod::ExclusiveCreate},
                                                               {"auto", NewNameMethod::Auto}};
        for (const auto& [label, method] : methods) {
            auto row = [&](const char* what) {
                return &QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(label), QLatin1String(what))));
            };
            *row("free") << method << "r.tnw" << QStringList() << "r.tnw";
            for (const char* holder :
                 {"file", "dangling link", "link outside", "link into missing folder", "folder", "FIFO"})
                *row(holder) << method << "r.tnw" << QStringList{QStringLiteral("r.tnw=") + QLatin1String(holder)}
                             << "r_2.tnw";
            *row("name and _2 held") << method << "r.tnw"
                                     << QStringList{QStringLiteral("r.tnw=file"), QStringLiteral("r_2.tnw=dangling link")}
                                     << "r_3.tnw";
            *row("_2 held only") << method << "r.tnw" << QStringList{QStringLiteral("r_2.tnw=file")} << "r.tnw";
            *row("no extension") << method << "клуб_1" << QStringList{QStringLiteral("клуб_1=file")} << "клуб_1_2";
        }
    }
    void freeName()
    {
        QFETCH(NewNameMethod, method);
        QFETCH(QString, name);
        QFETCH(QStringList, held);
        QFETCH(QString, expected);
        Place p;
        QMap<QString, QString> before;
        for (const QString& h : held) {
            const QString heldName = h.section(QLatin1Char('='), 0, 0);
            p.hold(heldName, h.section(QLatin1Char('='), 1));
            before[heldName] = entryKind(p.folder + heldName);
        }
        QString saved;
        QCOMPARE(textfile::saveUnderFreeName(p.folder, name, "new card\r\n", saved, method), SaveResult::Ok);
        QCOMPARE(saved, expected);
        QCOMPARE(entryKind(p.folder + saved), QStringLiteral("file: new card\r\n"));
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(entryKind(p.folder + it.key()), it.value());
        // Nothing else appeared: no temporary, no placeholder.
        QStringList expectedEntries = before.keys();
        expectedEntries << saved;
        expectedEntries.sort();
        QCOMPARE(everything(p.folder), expectedEntries);
        p.outsideUnchanged();
    }

    void failuresLeaveNothing_data()
    {
        QTest::addColumn<NewNameMethod>("method");
        QTest::newRow("link") << NewNameMethod::HardLink;
        QTest::newRow("exclusive create") << NewNameMethod::ExclusiveCreate;
    }
    void failuresLeaveNothing()
    {
        QFETCH(NewNameMethod, method);
        Place p;
        QString saved;
        QCOMPARE(textfile::saveUnderFreeName(p.tmp.path() + QStringLiteral("/missing/"), QStringLiteral("r.tnw"), "x",
                                             saved, method),
                 SaveResult::Failed);
        fixtures::setReadOnly(p.folder, true);
        QCOMPARE(textfile::saveUnderFreeName(p.folder, QStringLiteral("r.tnw"), "x", saved, method),
                 SaveResult::WriteProtected);
        fixtures::setReadOnly(p.folder, false);
        // A full disk takes part of the temporary and refuses the rest.
        fixtures::withFileSizeLimit(1000, [&] {
            QCOMPARE(textfile::saveUnderFreeName(p.folder, QStringLiteral("r.tnw"), QByteArray(5000, 'x'), saved, method),
                     SaveResult::Failed);
        });
        // A name longer than the system allows, after the first one is taken.
        const QString tooLong = QString(250, QLatin1Char('a')) + QStringLiteral(".tnw");
        writeBytes(p.folder + tooLong, "old");
        QCOMPARE(textfile::saveUnderFreeName(p.folder, tooLong, "x", saved, method), SaveResult::Failed);
        QCOMPARE(everything(p.folder), QStringList{tooLong});
    }

    // Temporaries a crash left are removed by a later save once they are old;
    // a fresh one may belong to a save running on another desk.
    void staleTemporariesRemoved()
    {
        Place p;
        const QString stale = p.folder + QStringLiteral(".tandemo-crashed.tmp");
        const QString fresh = p.folder + QStringLiteral(".tandemo-running.tmp");
        writeBytes(stale, "half a card");
        writeBytes(fresh, "half a card");
        struct timeval old[2] = {};
        old[0].tv_sec = old[1].tv_sec = QDateTime::currentSecsSinceEpoch() - 2 * 24 * 60 * 60;
        QCOMPARE(::utimes(QFile::encodeName(stale).constData(), old), 0);
        QString saved;
        QCOMPARE(textfile::saveUnderFreeName(p.folder, QStringLiteral("r.tnm"), "card", saved), SaveResult::Ok);
        QCOMPARE(everything(p.folder), (QStringList{QStringLiteral(".tandemo-running.tmp"), QStringLiteral("r.tnm")}));
        QVERIFY(textfile::isTemporaryName(".tandemo-running.tmp"));
        QVERIFY(!textfile::isTemporaryName("r.tnm"));
    }

    void replace_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<int>("result");
        QTest::newRow("plain file") << "file" << int(SaveResult::Ok);
        QTest::newRow("no file any more") << "" << int(SaveResult::Ok);
        QTest::newRow("link to a file outside") << "link outside" << int(SaveResult::Failed);
        QTest::newRow("dangling link") << "dangling link" << int(SaveResult::Failed);
        QTest::newRow("folder") << "folder" << int(SaveResult::Failed);
        QTest::newRow("FIFO") << "FIFO" << int(SaveResult::Failed);
    }
    void replace()
    {
        QFETCH(QString, holder);
        QFETCH(int, result);
        Place p;
        if (!holder.isEmpty())
            p.hold(QStringLiteral("c.tnw"), holder);
        const QString before = entryKind(p.folder + QStringLiteral("c.tnw"));
        QCOMPARE(int(textfile::replaceInFolder(p.folder, QStringLiteral("c.tnw"), "changed")), result);
        if (result == int(SaveResult::Ok))
            QCOMPARE(entryKind(p.folder + QStringLiteral("c.tnw")), QStringLiteral("file: changed"));
        else
            QCOMPARE(entryKind(p.folder + QStringLiteral("c.tnw")), before);
        QCOMPARE(everything(p.folder), QStringList{QStringLiteral("c.tnw")});
        p.outsideUnchanged();
    }

    // A card that shares its content with a file elsewhere (a hard link) is
    // replaced in its folder only.
    void replaceHardLinkedCard()
    {
        Place p;
        QCOMPARE(::link(QFile::encodeName(p.outside + QStringLiteral("victim")).constData(),
                        QFile::encodeName(p.folder + QStringLiteral("c.tnw")).constData()),
                 0);
        QCOMPARE(textfile::replaceInFolder(p.folder, QStringLiteral("c.tnw"), "changed"), SaveResult::Ok);
        QCOMPARE(readBytes(p.folder + QStringLiteral("c.tnw")), QByteArray("changed"));
        p.outsideUnchanged();
    }

    // A card is replaced or removed only while its file holds the bytes this
    // desk read; one that is gone is never made again, and nothing but a
    // plain file in the folder is touched.
    void guardedReplaceAndRemove_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<textfile::GuardedResult>("result");
        using textfile::GuardedResult;
        QTest::newRow("as read") << "file" << QByteArray("old") << GuardedResult::Ok;
        QTest::newRow("changed, same size") << "file" << QByteArray("odd") << GuardedResult::Changed;
        QTest::newRow("changed, longer now") << "file" << QByteArray("ol") << GuardedResult::Changed;
        QTest::newRow("changed, shorter now") << "file" << QByteArray("old!") << GuardedResult::Changed;
        QTest::newRow("gone") << "" << QByteArray("old") << GuardedResult::Gone;
        QTest::newRow("link to a file outside") << "link outside" << QByteArray("victim") << GuardedResult::Failed;
        QTest::newRow("folder") << "folder" << QByteArray("old") << GuardedResult::Failed;
        QTest::newRow("FIFO") << "FIFO" << QByteArray("old") << GuardedResult::Failed;
    }
    void guardedReplaceAndRemove()
    {
        QFETCH(QString, holder);
        QFETCH(QByteArray, expected);
        QFETCH(textfile::GuardedResult, result);
        for (const bool remove : {false, true}) {
            Place p;
            if (!holder.isEmpty())
                p.hold(QStringLiteral("c.tnw"), holder);
            const QString path = p.folder + QStringLiteral("c.tnw");
            const QString before = entryKind(path);
            const textfile::GuardedResult got =
                remove ? textfile::removeIfUnchanged(p.folder, QStringLiteral("c.tnw"), expected)
                       : textfile::replaceIfUnchanged(p.folder, QStringLiteral("c.tnw"), "changed", expected);
            QCOMPARE(got, result);
            if (result != textfile::GuardedResult::Ok)
                QCOMPARE(entryKind(path), before);
            else
                QCOMPARE(entryKind(path), remove ? QStringLiteral("nothing") : QStringLiteral("file: changed"));
            // No temporary left behind, and nothing made.
            QCOMPARE(everything(p.folder), entryKind(path) == QLatin1String("nothing") ? QStringList()
                                                                                        : QStringList{QStringLiteral("c.tnw")});
            p.outsideUnchanged();
        }
    }
};

QTEST_GUILESS_MAIN(TestFolderWrite)
#include "tst_folderwrite.moc"
