#include "engines/WordWrap.h"

#include <QTest>

// Every character is one unit wide, so widths are lengths.
static int length(const QString& text)
{
    return static_cast<int>(text.size());
}

class TestWordWrap : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wrap_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << 10 << QStringList{};
        QTest::newRow("fits") << QStringLiteral("один два") << 10 << QStringList{QStringLiteral("один два")};
        QTest::newRow("after a blank, which stays above")
            << QStringLiteral("один два три") << 10 << QStringList{QStringLiteral("один два "), QStringLiteral("три")};
        QTest::newRow("after a hyphen inside a word")
            << QStringLiteral("северо-западный") << 10
            << QStringList{QStringLiteral("северо-"), QStringLiteral("западный")};
        QTest::newRow("exactly the width") << QStringLiteral("abcd efghi") << 10
                                           << QStringList{QStringLiteral("abcd efghi")};
        QTest::newRow("three lines at most")
            << QStringLiteral("aa bb cc dd ee ff") << 4
            << QStringList{QStringLiteral("aa "), QStringLiteral("bb "), QStringLiteral("cc ")};
        QTest::newRow("over-long first word stands alone")
            << QStringLiteral("Электрокардиограмма и всё") << 10
            << QStringList{QStringLiteral("Электрокардиограмма "), QStringLiteral("и всё")};
        QTest::newRow("over-long word after a line: no empty line before it")
            << QStringLiteral("да Электрокардиограмма нет") << 10
            << QStringList{QStringLiteral("да "), QStringLiteral("Электрокардиограмма "), QStringLiteral("нет")};
        QTest::newRow("over-long last word")
            << QStringLiteral("да Электрокардиограмма") << 10
            << QStringList{QStringLiteral("да "), QStringLiteral("Электрокардиограмма")};
        QTest::newRow("markup is text") << QStringLiteral("<b>жирный</b> текст") << 14
                                        << QStringList{QStringLiteral("<b>жирный</b> "), QStringLiteral("текст")};
    }
    void wrap()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QStringList, lines);
        const QStringList got = WrapQuestion(text, width, length);
        QCOMPARE(got, lines);
        if (got.size() < 3)
            QCOMPARE(got.join(QString()), text);  // nothing lost below the limit
        for (const QString& line : got)
            QVERIFY(!line.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWordWrap)
#include "tst_wordwrap.moc"
