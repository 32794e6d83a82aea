#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/Consent.h"
#include "engines/Erasure.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "ground/App.h"
#include "ground/windows/HtmlView.h"
#include "screens/document/FrmPassW.h"
#include "screens/people/PeopleList.h"
#include "shell/ListCommands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using fixtures::folderEntries;
using fixtures::readBytes;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {
const QByteArray kText = QByteArrayLiteral("<p>Агентство хранит анкеты и фотографии.</p>");

// A desktop that writes PDFs (the HTML as it was given) and answers the
// reason's question from a script.
struct Desk : ScriptedPlatform {
    QStringList pdfs;
    QString lastPdfHtml;
    std::optional<QString> reason = QStringLiteral("Просьба человека");
    QStringList textDialogValues;
    bool writePdf(const QString& html, const QString& path) override
    {
        lastPdfHtml = html;
        pdfs << path;
        fixtures::writeBytes(path, QByteArrayLiteral("%PDF-1.4\n") + html.toUtf8());
        return true;
    }
    std::optional<QString> textDialog(const QString&, const QString&, const QString& value) override
    {
        textDialogValues << value;
        return reason;
    }
};

// A test folder with a consent text (or none), Анна (password "Тайна",
// with her consent kept) and Ольга (no consent), and Анна's card page open.
struct CardFolder {
    QTemporaryDir tmp;
    QTemporaryDir out;
    Desk pf;
    App app{pf};
    QString folder;

    explicit CardFolder(bool consentText = true)
    {
        folder = tmp.path() + QLatin1Char('/');
        AppState& st = app.st;
        st.folders.PathSep = QStringLiteral("/");
        st.folders.WorkFolder = folder;
        st.folders.AppFolder = folder;
        st.test.TestFilePath = folder + QStringLiteral("Знакомства.tnd");
        st.test.TestName = QStringLiteral("Знакомства");
        fixtures::writeBytes(st.test.TestFilePath, QByteArrayLiteral("test"));
        if (consentText)
            fixtures::writeBytes(consent::TextPath(st.test.TestFilePath), kText);
        person(QStringLiteral("a.tnw"), QStringLiteral("Анна Петрова"), QStringLiteral("Тайна"));
        person(QStringLiteral("b.tnw"), QStringLiteral("Ольга"), QStringLiteral("Пароль"));
        consent::Record record{true, false, QDateTime(QDate(2026, 12, 1), QTime(12, 0), Qt::OffsetFromUTC, 10800),
                               journal::Sha256Hex(kText)};
        QCOMPARE(consent::Save(*store::Open(folder), QStringLiteral("a.tnw"), record, kText), store::Result::Ok);
        st.people.ListWomen = true;
        ListLudeyLoad(app);
        openCard(0);
    }

    void person(const QString& file, const QString& name, const QString& password)
    {
        fixtures::writeBytes(folder + file,
                             fixtures::cp1251Lines({QStringLiteral("[kartochka]"), name, QStringLiteral(" 1985"),
                                                    QStringLiteral(" 0"), QStringLiteral("0123"), QStringLiteral(" 1"),
                                                    password, QString()}));
    }

    void openCard(int rank) { click(QStringLiteral("l%1").arg(rank)); }
    void click(const QString& code) { VyborKartochki(app, Command(code) + QLatin1Char('/')); }
    QString page() const { return app.frmHTML.usrWebHtml1.text; }

    void password(const QString& typed)
    {
        pf.onModal[WindowId::PassW] = [this, typed] {
            app.frmPassW.TPW.text = typed;
            frmPassW_TPW_Change(app);
            frmPassW_OK_Click(app);
            if (app.frmPassW.visible)
                frmPassW_NO_Click(app);
        };
    }
};

const QString kFormLink = QStringLiteral("'>Согласие (PDF)</a>");
const QString kRow = QStringLiteral("<br><a style='text-decoration: none' href='http://tnd.e.ru'>Выгрузить данные</a>"
                                    "&nbsp;&nbsp;&nbsp;<a style='text-decoration: none' href='http://tnd.u.ru'>"
                                    "Удалить навсегда</a>&nbsp;&nbsp;&nbsp;<a style='text-decoration: none' "
                                    "href='http://tnd.o.ru'>Отзыв согласия</a>");
}  // namespace

class TestCardConsent : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowOnlyWithAConsentText()
    {
        CardFolder without(false);
        QVERIFY(without.page().contains(QStringLiteral("Поиск пары</a><br>Личная карточная")));
        QVERIFY(!without.page().contains(QStringLiteral("Выгрузить данные")));
        // Links the page does not offer command nothing.
        const QString card = without.page();
        for (const char* code : {"f", "e", "u", "o"})
            without.click(QString::fromLatin1(code));
        QCOMPARE(without.pf.modals, QList<WindowId>{});
        QCOMPARE(without.page(), card);

        CardFolder with;
        QVERIFY(with.page().contains(QStringLiteral("Поиск пары</a><br><a style='text-decoration: none' "
                                                    "href='http://tnd.f.ru'>Согласие (PDF)</a>&nbsp;&nbsp;&nbsp;") +
                                     kRow.mid(4) + QStringLiteral("<br>Личная карточная")));
        with.click(QStringLiteral("n"));
        with.openCard(1);  // Ольга: no consent kept, no form
        QVERIFY(with.page().contains(QStringLiteral("Поиск пары</a>") + kRow + QStringLiteral("<br>Личная карточная")));
        QVERIFY(!with.page().contains(kFormLink));
    }

    void consentForm()
    {
        CardFolder f;
        const QString path = f.out.path() + QStringLiteral("/форма");
        f.pf.fileAnswers.push_back(path);
        f.click(QStringLiteral("f"));
        QCOMPARE(f.pf.fileDialogs.size(), 1);
        QVERIFY(f.pf.fileDialogs.first().save);
        QCOMPARE(f.pf.pdfs, QStringList{path + QStringLiteral(".pdf")});
        QVERIFY(f.pf.lastPdfHtml.contains(QStringLiteral("Агентство хранит анкеты и фотографии.")));
        QVERIFY(f.pf.lastPdfHtml.contains(QStringLiteral("Анна Петрова")));
        QCOMPARE(f.pf.openedUrls, QStringList{QUrl::fromLocalFile(path + QStringLiteral(".pdf")).toString()});
        QVERIFY(f.pf.messages.isEmpty());
    }

    void wrongPasswordDoesNothing_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("export") << QStringLiteral("e");
        QTest::newRow("erase") << QStringLiteral("u");
        QTest::newRow("withdrawal") << QStringLiteral("o");
    }
    void wrongPasswordDoesNothing()
    {
        QFETCH(QString, code);
        CardFolder f;
        const QStringList before = folderEntries(f.folder);
        const QStringList stored = store::Open(f.folder)->storedFiles();
        f.password(QStringLiteral("Неверно"));
        f.pf.folderAnswers.push_back(f.out.path());
        f.click(code);
        QCOMPARE(f.pf.modals, QList<WindowId>{WindowId::PassW});
        QVERIFY(f.pf.folderDialogs.isEmpty());
        QVERIFY(f.pf.textDialogValues.isEmpty());
        QCOMPARE(folderEntries(f.folder), before);
        QCOMPARE(store::Open(f.folder)->storedFiles(), stored);
        QCOMPARE(QDir(f.out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
        QCOMPARE(f.pf.messageTexts(), QStringList{QStringLiteral("Не верный пароль")});
    }

    void exportWithThePassword()
    {
        CardFolder f;
        f.password(QStringLiteral("Тайна"));
        f.pf.folderAnswers.push_back(f.out.path());
        f.click(QStringLiteral("e"));
        const QStringList files = QDir(f.out.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files, (QStringList{QStringLiteral("a.tnw.csv"), QStringLiteral("a.tnw.json"),
                                     QStringLiteral("a.tnw.pdf")}));
        QCOMPARE(f.pf.messages.size(), 1);
        QCOMPARE(f.pf.messages.first().icon, MsgIcon::Information);
        for (const QString& file : files)
            QVERIFY(f.pf.messages.first().text.contains(f.out.path() + QLatin1Char('/') + file));
        QVERIFY(readBytes(f.out.path() + QStringLiteral("/a.tnw.json")).contains("Анна Петрова"));
    }

    void erasure_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("offered");
        QTest::newRow("erase") << QStringLiteral("u") << QString();
        QTest::newRow("withdrawal") << QStringLiteral("o") << QStringLiteral("Отзыв согласия");
    }
    void erasure()
    {
        QFETCH(QString, code);
        QFETCH(QString, offered);
        CardFolder f;
        f.password(QStringLiteral("Тайна"));
        f.click(code);
        QCOMPARE(f.pf.textDialogValues, QStringList{offered});
        QVERIFY(!QFileInfo::exists(f.folder + QStringLiteral("a.tnw")));
        QVERIFY(QFileInfo::exists(f.folder + QStringLiteral("b.tnw")));
        QVERIFY(!consent::Load(*store::Open(f.folder), QStringLiteral("a.tnw")));
        const QStringList acts = QDir(f.folder + erasure::kActsFolder).entryList(QDir::Files, QDir::Name);
        QCOMPARE(acts.size(), 2);
        QCOMPARE(f.pf.messages.size(), 1);
        const QString message = f.pf.messages.first().text;
        QVERIFY2(message.contains(QStringLiteral("Акт № ") + QFileInfo(acts.first()).completeBaseName().mid(4)),
                 qPrintable(message));
        for (const QString& act : acts)
            QVERIFY(message.contains(f.folder + erasure::kActsFolder + QLatin1Char('/') + act));
        QVERIFY(readBytes(f.folder + erasure::kActsFolder + QLatin1Char('/') + acts.last())
                    .contains(f.pf.reason->toUtf8()));
        // Back on the list, whose row says the card is gone.
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::PeopleList);
        QCOMPARE(f.app.st.people.People[f.app.st.people.CurrentPerson].NameFamiliya, QStringLiteral("Файл удален."));
    }

    void erasureNeedsAReason_data()
    {
        QTest::addColumn<std::optional<QString>>("reason");
        QTest::newRow("cancelled") << std::optional<QString>();
        QTest::newRow("blank") << std::optional<QString>(QStringLiteral("  "));
    }
    void erasureNeedsAReason()
    {
        QFETCH(std::optional<QString>, reason);
        CardFolder f;
        f.password(QStringLiteral("Тайна"));
        f.pf.reason = reason;
        f.click(QStringLiteral("u"));
        QVERIFY(QFileInfo::exists(f.folder + QStringLiteral("a.tnw")));
        QVERIFY(consent::Load(*store::Open(f.folder), QStringLiteral("a.tnw")));
        QVERIFY(!QDir(f.folder + erasure::kActsFolder).exists());
    }

    // Another desk changed the card after it was shown: nothing is erased,
    // and the page shows the card as it is now.
    void erasureRacingAChange()
    {
        CardFolder f;
        f.person(QStringLiteral("a.tnw"), QStringLiteral("Анна Иванова"), QStringLiteral("Тайна"));
        f.password(QStringLiteral("Тайна"));
        f.click(QStringLiteral("u"));
        QVERIFY(QFileInfo::exists(f.folder + QStringLiteral("a.tnw")));
        QVERIFY(consent::Load(*store::Open(f.folder), QStringLiteral("a.tnw")));
        QVERIFY(!QDir(f.folder + erasure::kActsFolder).exists());
        QCOMPARE(f.pf.messageTexts(), QStringList{QStringLiteral("Карточка изменена на другом рабочем месте.")});
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::CardPage);
        QVERIFY(f.page().contains(QStringLiteral("Анна Иванова")));
    }
};

QTEST_GUILESS_MAIN(TestCardConsent)
#include "tst_cardconsent.moc"
