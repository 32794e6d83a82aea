#include "Fixtures.h"

#include "ground/TextFile.h"
#include "engines/PersonFolder.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using fixtures::writeBytes;

class TestPersonFolder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listsOneSexByNameLeavingFoldersOut()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path() + QLatin1Char('/');
        for (const char* name : {"b.tnw", "a.tnw", "C.TNW", "Ж.tnw", "m.tnm", "x.tnw.bak", ".tnw", "tnw"})
            writeBytes(dir + QString::fromUtf8(name), "[kartochka]\r\n");
        QDir().mkpath(dir + QStringLiteral("folder.tnw"));
        // Files copied from a desktop that ignores letter case still count.
        QCOMPARE(PersonFiles(dir, QStringLiteral(".tnw")),
                 (QStringList{QStringLiteral("C.TNW"), QStringLiteral("a.tnw"), QStringLiteral("b.tnw"),
                              QStringLiteral("Ж.tnw")}));
        QCOMPARE(PersonFiles(dir, QStringLiteral(".tnm")), QStringList{QStringLiteral("m.tnm")});
        QCOMPARE(PersonFiles(dir + QStringLiteral("nowhere/"), QStringLiteral(".tnm")), QStringList());
    }

    void readsTheFirstLinesOnly_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<QByteArray>>("lines");

        QTest::newRow("CR LF") << QByteArray("[kartochka]\r\nИмя\r\n 1990\r\n 0\r\n012\r\n 1\r\n") << 4
                               << QList<QByteArray>{"[kartochka]", "Имя", " 1990", " 0"};
        QTest::newRow("LF only, last line without end") << QByteArray("a\nb\nc") << 5
                                                         << QList<QByteArray>{"a", "b", "c"};
        QTest::newRow("lone CR before the end") << QByteArray("a\r\nb\r") << 5 << QList<QByteArray>{"a", "b"};
        QTest::newRow("empty lines kept") << QByteArray("\r\n\r\nx\r\n") << 3 << QList<QByteArray>{"", "", "x"};
        QTest::newRow("empty file") << QByteArray() << 4 << QList<QByteArray>{};
        const QByteArray longName(10000, 'n');
        QTest::newRow("line longer than one read") << QByteArray("[kartochka]\r\n" + longName + "\r\n 1990\r\n")
                                                   << 3 << QList<QByteArray>{"[kartochka]", longName, " 1990"};
    }

    void readsTheFirstLinesOnly()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, count);
        QFETCH(QList<QByteArray>, lines);
        QTemporaryDir tmp;
        const QString path = tmp.path() + QStringLiteral("/п.tnw");
        writeBytes(path, content);
        HeadLines head;
        // The same reader serves many files in turn.
        QVERIFY(head.read(QFile::encodeName(path), count));
        QVERIFY(head.read(QFile::encodeName(path), count));
        QList<QByteArray> got;
        for (int i = 0; i < head.size(); ++i)
            got << head[i].toByteArray();
        QCOMPARE(got, lines);
    }

    void filesThatCannotBeReadYieldNothing()
    {
        QTemporaryDir tmp;
        HeadLines head;
        QVERIFY(!head.read(QFile::encodeName(tmp.path() + QStringLiteral("/missing.tnw")), 4));
        QCOMPARE(head.size(), 0);
        // A folder or a pipe bearing a person file's name neither counts nor
        // holds up a scan.
        const QString folder = tmp.path() + QStringLiteral("/f.tnw");
        QDir().mkpath(folder);
        head.read(QFile::encodeName(folder), 4);
        QCOMPARE(head.size(), 0);
        const QByteArray fifo = QFile::encodeName(tmp.path() + QStringLiteral("/p.tnw"));
        QCOMPARE(mkfifo(fifo.constData(), 0600), 0);
        head.read(fifo, 4);
        QCOMPARE(head.size(), 0);
    }

    void scanNumbersCompareAsText_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<bool>("less");
        QTest::newRow("10 before 2") << 10 << 2 << true;
        QTest::newRow("2 after 11") << 2 << 11 << false;
        QTest::newRow("1 before 10") << 1 << 10 << true;
        QTest::newRow("10 after 1") << 10 << 1 << false;
        QTest::newRow("equal") << 7 << 7 << false;
        QTest::newRow("0 before 00-like 100") << 0 << 100 << true;
        QTest::newRow("99999 after 100000") << 99999 << 100000 << false;
        QTest::newRow("largest") << 2147483647 << 3 << true;
    }

    void scanNumbersCompareAsText()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(bool, less);
        QCOMPARE(ScanNumberTextLess(a, b), less);
        QCOMPARE(ScanNumberTextLess(a, b), QString::number(a) < QString::number(b));
    }

    void decodingIsTheCodePage()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        QStringDecoder decoder("windows-1251");
        QCOMPARE(textfile::decode(all), decoder.decode(all));
        QCOMPARE(textfile::decode(textfile::encode(QStringLiteral("Ёлка, ёж и «ключ»"))),
                 QStringLiteral("Ёлка, ёж и «ключ»"));
    }
};

QTEST_GUILESS_MAIN(TestPersonFolder)
#include "tst_personfolder.moc"
