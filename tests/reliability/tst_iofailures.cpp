#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "screens/document/FrmPassW.h"
#include "engines/TestFile.h"
#include "screens/people/CardPage.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "shell/Startup.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Every write and delete of the program, against every way the disk can
// refuse it: the failure is reported with the program's message, never as
// success, and the old file stays byte for byte.
class TestIoFailures : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

private Q_SLOTS:
    void failures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("failure");
        for (const char* kind : {"test", "person", "settings"}) {
            for (const char* failure : {"read-only file", "read-only folder", "missing folder", "full disk"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(kind), QLatin1String(failure))))
                    << QString::fromLatin1(kind) << QString::fromLatin1(failure);
        }
        for (const char* failure : {"read-only file", "read-only folder"})
            QTest::newRow(qPrintable(QStringLiteral("delete, %1").arg(QLatin1String(failure))))
                << QStringLiteral("delete") << QString::fromLatin1(failure);
        // A new result never meets its own old file: it takes a free name.
        for (const char* failure : {"read-only folder", "missing folder", "full disk"})
            QTest::newRow(qPrintable(QStringLiteral("new result, %1").arg(QLatin1String(failure))))
                << QStringLiteral("result") << QString::fromLatin1(failure);
    }
    void failures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, failure);
        const QString folder = tmp.path() + QLatin1Char('/') + kind + QLatin1Char('-') +
                               QString(failure).replace(QLatin1Char(' '), QLatin1Char('-')) + QLatin1Char('/');
        QDir().mkpath(folder);
        const QString name = kind == QLatin1String("test")       ? QStringLiteral("t.tnd")
                             : kind == QLatin1String("settings") ? QStringLiteral("Тандемо.ini")
                                                                 : QStringLiteral("p.tnw");
        const QByteArray old = "the old content\r\n";
        fixtures::writeBytes(folder + name, old);

        ScriptedPlatform pf;
        App app(pf);
        AppState& st = app.st;
        st.folders.PathSep = QStringLiteral("/");
        const bool missing = failure == QLatin1String("missing folder");
        const QString target = missing ? tmp.path() + QStringLiteral("/нет/") : folder;
        st.folders.AppFolder = target;
        st.folders.WorkFolder = target;
        st.test.TestFilePath = target + (kind == QLatin1String("result") ? QStringLiteral("t.tnd") : name);
        st.test.TestName = QStringLiteral("Тест");
        st.test.QuestionCount = 50;
        st.test.Questions.resizeFresh(50);
        for (int q = 1; q <= 50; ++q)
            st.test.Questions[q].Vopros = QString(2000, QChar(u'ж'));
        st.CardFields[1].NameFamiliya = QString(100000, QChar(u'ж'));
        st.CardFields[1].FileName = name;
        st.CardFields[1].Parol = QStringLiteral("тайна");
        st.folders.LastFolder = QStringLiteral("/") + QString(100000, QChar(u'ж')) + QLatin1Char('/');

        auto act = [&] {
            if (kind == QLatin1String("test")) {
                SaveTest(app, st.test.TestFilePath);
            } else if (kind == QLatin1String("person")) {
                QVERIFY(!SaveKartochka(app, name, 1));
            } else if (kind == QLatin1String("result")) {
                QVERIFY(!SaveNewKartochka(app, 1, pf.now()));
                QCOMPARE(st.CardFields[1].FileName, name);
            } else if (kind == QLatin1String("settings")) {
                QCOMPARE(UnloadProga(app), 0);
            } else {
                pf.onModal[WindowId::PassW] = [&app] {
                    app.frmPassW.TPW.text = QStringLiteral("тайна");
                    frmPassW_TPW_Change(app);
                    frmPassW_OK_Click(app);
                };
                DeleteKartochka(app);
            }
        };
        const QString readOnly = failure == QLatin1String("read-only file") ? folder + name : folder;
        if (failure.startsWith(QLatin1String("read-only"))) {
            fixtures::setReadOnly(readOnly, true);
            act();
            fixtures::setReadOnly(readOnly, false);
        } else if (failure == QLatin1String("full disk")) {
            fixtures::withFileSizeLimit(4096, act);
        } else {
            act();
        }

        const QString path = kind == QLatin1String("result")
                                 ? target + QStringLiteral("t_20090703140509.tnm")
                                 : target + name;
        const bool protectedFile = failure.startsWith(QLatin1String("read-only"));
        QString message;
        if (kind == QLatin1String("settings"))
            message = QStringLiteral("Файл «") + path +
                      (protectedFile ? QStringLiteral("» защищён от записи.") : QStringLiteral("» сохранить не возможно."));
        else if (kind == QLatin1String("delete"))
            message = QStringLiteral("Файл ") + path + QStringLiteral(" удалить не получилось.");
        else
            message = QStringLiteral("Файл \"") + path +
                      (protectedFile ? QStringLiteral("\" защищён от записи.") : QStringLiteral("\" сохранить не возможно."));
        QStringList shown;
        for (const ScriptedPlatform::Message& m : pf.messages) {
            if (m.icon == MsgIcon::Critical)
                shown << m.text;
        }
        QCOMPARE(shown, QStringList{message});
        QCOMPARE(fixtures::readBytes(folder + name), old);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        if (kind == QLatin1String("test"))
            QCOMPARE(st.test.TestFilePath, path);
    }
};

QTEST_GUILESS_MAIN(TestIoFailures)
#include "tst_iofailures.moc"
