#include "EditorFixture.h"
#include "Fixtures.h"

#include "ground/TextFile.h"
#include "engines/BulkText.h"
#include "screens/editor/FrmLoadVopros.h"
#include "shell/MainCommands.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using fixtures::readBytes;

namespace {
// The editor on question `current` of a five-question test (two answers each),
// with the application folder in a folder of its own.
struct BulkSession : EditorSession {
    QTemporaryDir tmp;
    explicit BulkSession(int current = 1) : EditorSession(5, 2)
    {
        app.st.folders.AppFolder = tmp.path() + QLatin1Char('/');
        app.st.main.CurrentQuestion = current;
        AddVopros(app);
    }
    FrmLoadVopros& w() { return app.frmLoadVopros; }
    QString backup() const { return tmp.path() + QStringLiteral("/0.bak"); }
    void typeBulk(const QString& text)
    {
        w().Text.text = text;
        w().Text.selStart = static_cast<int>(text.size());
        w().Text.selLength = 0;
        click(QStringLiteral("Text"), UiEvent::Change);
    }
    bool click(const QString& control, UiEvent::Type type = UiEvent::Click)
    {
        return frmLoadVopros_Event(app, UiEvent{type, control});
    }
    bool ctrlKey(int key, bool shift = false)
    {
        UiEvent e{UiEvent::KeyDown, QStringLiteral("Text")};
        e.key = key;
        e.ctrl = true;
        e.shift = shift;
        return frmLoadVopros_Event(app, e);
    }
    QStringList texts()
    {
        QStringList out;
        for (int q = 1; q <= app.st.test.QuestionCount; ++q) {
            out << question(q).Vopros;
            for (int i = 0; i <= question(q).CountOtvetov; ++i)
                out << question(q).ListOtvety(i);
        }
        return out;
    }
};
}  // namespace

class TestLoadVopros : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opening_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("current");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("listEnabled");
        QTest::newRow("quick load on question 1") << 0 << 1 << QStringList{"1"} << false;
        QTest::newRow("quick load on question 4") << 0 << 4 << QStringList{"1", "4"} << true;
        QTest::newRow("edit all on question 4") << 1 << 4 << QStringList{"1"} << false;
    }
    void opening()
    {
        QFETCH(int, mode);
        QFETCH(int, current);
        QFETCH(QStringList, items);
        QFETCH(bool, listEnabled);
        BulkSession s(current);
        bool shown = false;
        s.pf.onModal[WindowId::LoadVopros] = [&] {
            shown = true;
            QCOMPARE(s.w().caption, QStringLiteral("Быстрая загрузка вопросов"));
            QCOMPARE(s.w().SelNomer.items, items);
            QCOMPARE(s.w().SelNomer.listIndex, items.size() - 1);
            QCOMPARE(s.w().SelNomer.enabled, listEnabled);
            // Enter must start a new line, not load.
            QVERIFY(s.w().defaultButton.isEmpty());
            QCOMPARE(s.w().cancelButton, QStringLiteral("NO"));
            if (mode == 1) {
                QCOMPARE(s.w().Text.text, BulkTextOf(s.app.st.test).replace("\r\n", "\n"));
                QVERIFY(s.w().Text.text.startsWith(QStringLiteral("[№1]\n=Вопрос 1\nОтвет 1.0\nОтвет 1.1\n\n[№2]")));
            } else {
                QVERIFY(s.w().Text.text.isEmpty());
            }
            QCOMPARE(s.w().OK.enabled, mode == 1);
            s.click(QStringLiteral("NO"));
        };
        frmForma_MenuClick(s.app, QStringLiteral("EditLoadVopros(%1)").arg(mode));
        QVERIFY(shown);
        QCOMPARE(s.pf.modals, QList<WindowId>{WindowId::LoadVopros});
    }

    void okEnabledExactlyWhileTextIsPresent()
    {
        BulkSession s;
        s.app.st.Dialog = DialogMode::LoadQuestions;
        frmLoadVopros_Load(s.app);
        QVERIFY(!s.w().OK.enabled);
        s.click(QStringLiteral("OK"));
        QVERIFY(!s.w().closeRequested);
        s.typeBulk(QStringLiteral(" "));
        QVERIFY(s.w().OK.enabled);
        s.typeBulk(QString());
        QVERIFY(!s.w().OK.enabled);
        // Text put in by a command counts as well.
        QVERIFY(!s.ctrlKey(Qt::Key_Return));
        QVERIFY(s.w().OK.enabled);
    }

    void ctrlKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("passes");
        QTest::newRow("Ctrl+Space") << int(Qt::Key_Space) << false << "=В&nbsp;рос" << false;
        QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << false << "=В<br>рос" << false;
        QTest::newRow("Ctrl+keypad Enter") << int(Qt::Key_Enter) << false << "=В<br>рос" << false;
        QTest::newRow("Ctrl+Shift+Space is no command") << int(Qt::Key_Space) << true << "=Вопрос" << true;
        QTest::newRow("Ctrl+A is no command") << int(Qt::Key_A) << false << "=Вопрос" << true;
    }
    void ctrlKeys()
    {
        QFETCH(int, key);
        QFETCH(bool, shift);
        QFETCH(QString, expected);
        QFETCH(bool, passes);
        BulkSession s;
        s.typeBulk(QStringLiteral("=Вопрос"));
        s.w().Text.selStart = 2;  // "оп" selected
        s.w().Text.selLength = 2;
        QCOMPARE(s.ctrlKey(key, shift), passes);
        QCOMPARE(s.w().Text.text, expected);
        if (!passes) {
            QCOMPARE(s.w().Text.selStart, expected.indexOf(QStringLiteral("рос")));
            QCOMPARE(s.w().Text.selLength, 0);
        }
        // Plain Enter is left to the box: a new line.
        UiEvent enter{UiEvent::KeyDown, QStringLiteral("Text")};
        enter.key = Qt::Key_Return;
        QVERIFY(frmLoadVopros_Event(s.app, enter));
    }

    void closingChangesNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Отмена") << "NO";
        QTest::newRow("Выход") << "EditExit";
    }
    void closingChangesNothing()
    {
        QFETCH(QString, button);
        BulkSession s;
        const QStringList before = s.texts();
        s.pf.onModal[WindowId::LoadVopros] = [&] {
            s.typeBulk(QStringLiteral("=Новый\nответ\n=Ещё\nда\n=И ещё\n=И ещё\n=Шестой\n"));
            s.click(button);
            QVERIFY(s.w().closeRequested);
        };
        frmForma_MenuClick(s.app, QStringLiteral("EditLoadVopros(1)"));
        QCOMPARE(s.texts(), before);
        QCOMPARE(s.app.st.test.QuestionCount, 5);
        QVERIFY(!QFile::exists(s.backup()));
        QCOMPARE(s.pf.modals.size(), 1);
        QVERIFY(s.pf.messages.isEmpty());
    }

    void loadingWritesTheBackupAndFillsTheTest_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("first");
        QTest::newRow("from question 1") << 0 << 1;
        QTest::newRow("from the current question") << 1 << 3;
    }
    void loadingWritesTheBackupAndFillsTheTest()
    {
        QFETCH(int, choice);
        QFETCH(int, first);
        BulkSession s(3);
        bool closedFirst = false;
        s.pf.onProcessEvents = [&] { closedFirst = !s.w().visible && !QFile::exists(s.backup()); };
        s.pf.onModal[WindowId::LoadVopros] = [&] {
            s.typeBulk(QStringLiteral("Анкета\n[№1]\n=Первый\n  да\n\nнет\n=Второй\nодин"));
            s.w().SelNomer.listIndex = choice;
            s.click(QStringLiteral("OK"));
            QVERIFY(s.w().closeRequested);
        };
        frmForma_MenuClick(s.app, QStringLiteral("EditLoadVopros(0)"));
        QCOMPARE(readBytes(s.backup()),
                 fixtures::cp1251Lines({"Анкета", "[№1]", "=Первый", "  да", "", "нет", "=Второй", "один"}));
        QCOMPARE(s.question(first).Vopros, QStringLiteral("Первый"));
        QCOMPARE(s.question(first).CountOtvetov, 1);
        QCOMPARE(s.question(first).ListOtvety(0), QStringLiteral("да"));
        QCOMPARE(s.question(first).ListOtvety(1), QStringLiteral("нет"));
        QCOMPARE(s.question(first + 1).Vopros, QStringLiteral("Второй"));
        QCOMPARE(s.question(first + 1).CountOtvetov, 0);
        QCOMPARE(s.question(first + 2).Vopros, QStringLiteral("Вопрос %1").arg(first + 2));
        // The current question is shown again, with what was loaded.
        QCOMPARE(s.app.st.main.CurrentQuestion, 3);
        QCOMPARE(s.f().NmWpr.text, QStringLiteral("Вопрос №3 из 5"));
        QCOMPARE(s.f().Txt.text, s.question(3).Vopros);
        QVERIFY(s.pf.messages.isEmpty());
        // The dialog was gone from the screen before the work began.
        QVERIFY(closedFirst);
    }

    void longerTextEnlargesTheTestOnScreen()
    {
        BulkSession s(5);
        s.pf.onModal[WindowId::LoadVopros] = [&] {
            s.typeBulk(QStringLiteral("=Пятый\nа\n=Шестой\nб\n=Седьмой\nв\n"));
            s.click(QStringLiteral("OK"));
        };
        frmForma_MenuClick(s.app, QStringLiteral("EditLoadVopros(0)"));
        QCOMPARE(s.app.st.test.QuestionCount, 7);
        QCOMPARE(s.question(7).Vopros, QStringLiteral("Седьмой"));
        QCOMPARE(s.f().NmWpr.text, QStringLiteral("Вопрос №5 из 7"));
    }

    void editAllUnchangedKeepsTheTest()
    {
        BulkSession s;
        s.question(2).Vopros = QStringLiteral("  С пробелами & <i>разметкой</i>");
        const QStringList before = s.texts();
        s.pf.onModal[WindowId::LoadVopros] = [&] { s.click(QStringLiteral("OK")); };
        frmForma_MenuClick(s.app, QStringLiteral("EditLoadVopros(1)"));
        QCOMPARE(s.texts(), before);
        QCOMPARE(readBytes(s.backup()), textfile::encode(BulkTextOf(s.app.st.test) + QStringLiteral("\r\n")));
    }

    void installedProgramKeepsTheBackupInTheUsersFolder()
    {
        BulkSession s;
        QTemporaryDir user;
        const QString settings = user.path() + QStringLiteral("/.config/tandemo/");  // not there yet
        s.app.st.folders.SettingsFolder = settings;
        s.pf.onModal[WindowId::LoadVopros] = [&] {
            s.typeBulk(QStringLiteral("=Первый\nда\nнет"));
            s.click(QStringLiteral("OK"));
        };
        frmForma_MenuClick(s.app, QStringLiteral("EditLoadVopros(0)"));
        QCOMPARE(s.pf.messageTexts(), QStringList());
        QCOMPARE(readBytes(settings + QStringLiteral("0.bak")), fixtures::cp1251Lines({"=Первый", "да", "нет"}));
        QVERIFY(!QFile::exists(s.backup()));
        QCOMPARE(s.question(1).Vopros, QStringLiteral("Первый"));
    }

    // An installed program without a home has no folder for the backup: the
    // text is refused, and nothing lands in the current folder.
    void withoutAFolderOfItsOwnTheTextIsRefused()
    {
        BulkSession s;
        s.app.st.folders.NowhereToWrite = true;
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(s.tmp.path()));
        auto back = qScopeGuard([&] { QDir::setCurrent(cwd); });
        const QStringList before = s.texts();
        int shown = 0;
        s.pf.onModal[WindowId::LoadVopros] = [&] {
            if (++shown == 1) {
                s.typeBulk(QStringLiteral("=Первый\nда\nнет"));
                s.click(QStringLiteral("OK"));
            } else {
                s.click(QStringLiteral("NO"));
            }
        };
        frmForma_MenuClick(s.app, QStringLiteral("EditLoadVopros(0)"));
        QCOMPARE(s.pf.messageTexts(), QStringList{QStringLiteral("Файл \"0.bak\" сохранить не возможно.")});
        QCOMPARE(s.texts(), before);
        QCOMPARE(QDir(s.tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    void unwritableBackupKeepsTheText_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("ending");
        QTest::newRow("backup marked read-only") << true << "защищён от записи.";
        QTest::newRow("disk full") << false << "сохранить не возможно.";
    }
    void unwritableBackupKeepsTheText()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, ending);
        BulkSession s;
        fixtures::writeBytes(s.backup(), "old\r\n");
        if (readOnly)
            fixtures::setReadOnly(s.backup(), true);
        const QStringList before = s.texts();
        const QString typed = QStringLiteral("=Длинный вопрос, набранный час\nда\nнет");
        QStringList seen;
        s.pf.onModal[WindowId::LoadVopros] = [&] {
            seen << s.w().Text.text;
            if (seen.size() == 1) {
                s.typeBulk(typed);
                s.w().Text.selStart = 3;
                s.click(QStringLiteral("OK"));
            } else {
                QVERIFY(s.w().visible);
                QVERIFY(!s.w().closeRequested);
                QVERIFY(s.w().OK.enabled);
                s.click(QStringLiteral("NO"));
            }
        };
        auto run = [&] { frmForma_MenuClick(s.app, QStringLiteral("EditLoadVopros(0)")); };
        if (readOnly)
            run();
        else
            fixtures::withFileSizeLimit(2, run);
        fixtures::setReadOnly(s.backup(), false);
        QCOMPARE(s.pf.messageTexts(), QStringList{QStringLiteral("Файл \"") + s.backup() + "\" " + ending});
        QCOMPARE(s.pf.messages.front().icon, MsgIcon::Critical);
        QCOMPARE(s.pf.messages.front().title, QStringLiteral("Тандемо"));
        // The dialog came back with the text as it was typed.
        QCOMPARE(seen, (QStringList{QString(), typed}));
        QCOMPARE(s.texts(), before);
        QCOMPARE(readBytes(s.backup()), QByteArray("old\r\n"));
    }

    void unreadableBackup_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("ending");
        QTest::newRow("missing") << false << "не найден";
        QTest::newRow("a folder") << true << "открыть не возможно";
    }
    void unreadableBackup()
    {
        QFETCH(bool, folder);
        QFETCH(QString, ending);
        BulkSession s;
        if (folder)
            QDir().mkpath(s.backup());
        const QStringList before = s.texts();
        QCOMPARE(LoadBackup(s.app, s.backup(), 0), QStringLiteral("Файл \"") + s.backup() + "\" " + ending);
        QCOMPARE(s.texts(), before);
    }

    void charactersOutsideTheCodePageSurviveTheBackup()
    {
        BulkSession s;
        s.pf.onModal[WindowId::LoadVopros] = [&] {
            s.typeBulk(QStringLiteral("=Смайл 😀 ŵ ∑ € №\nда ∑\n"));
            s.click(QStringLiteral("OK"));
        };
        frmForma_MenuClick(s.app, QStringLiteral("EditLoadVopros(0)"));
        QCOMPARE(s.question(1).Vopros, QStringLiteral("Смайл &#128512; &#373; &#8721; € №"));
        QCOMPARE(s.question(1).ListOtvety(0), QStringLiteral("да &#8721;"));
        QVERIFY(!readBytes(s.backup()).contains('?'));
    }
};

QTEST_GUILESS_MAIN(TestLoadVopros)
#include "tst_loadvopros.moc"
