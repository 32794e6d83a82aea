// A person's consent, their data on request and their erasure with an act,
// on a real folder: the engines the card page, the retention page and the
// command line share.

#include "Fixtures.h"
#include "PdfWriter.h"

#include "engines/AutoBackup.h"
#include "engines/Consent.h"
#include "engines/Erasure.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "engines/PairSearch.h"
#include "engines/PersonData.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/FolderWrite.h"
#include "ground/HeadlessPlatform.h"
#include "screens/document/FileCommands.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kTest = QStringLiteral("Знакомства.tnd");
const QString kAnna = QStringLiteral("Знакомства_20240103100001.tnw");
const QString kBoris = QStringLiteral("Знакомства_20240103100002.tnm");
const QString kVera = QStringLiteral("Знакомства_20240103100003.tnw");

// The smallest PNG: a photo by its content.
const QByteArray kPng = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==");

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

class Fixture {
public:
    QTemporaryDir dir;
    QString folder;
    HeadlessPlatform platform;

    Fixture()
    {
        folder = dir.path() + QStringLiteral("/Тест/");
        QDir().mkpath(folder);
        const QString examples = QStringLiteral(TANDEMO_EXAMPLES);
        for (const QString& name : {kTest, kAnna, kBoris, kVera})
            QFile::copy(examples + name, folder + name);
        platform.clock = QDateTime(QDate(2026, 12, 10), QTime(12, 0, 0));
        platform.pdfWriter = pdf::Write;
    }

    // The card with a photo in the folder (and `others` naming it too).
    void givePhoto(const QString& personFile, const QString& photo, const QStringList& others = {})
    {
        for (const QString& name : QStringList{personFile} + others) {
            Kartochka card;
            QVERIFY(persondata::ReadCard(folder + name, card) == persondata::CardRead::Ok);
            card.Podrobnee = 1;
            card.Podrobnosti[8] = photo;
            fixtures::writeBytes(folder + name, PersonFileContent(card) + "\r\n");
        }
    }

    void giveConsent(const QString& personFile, bool photo)
    {
        const QByteArray text = consent::DefaultText().toUtf8();
        const consent::Record record{true, photo, platform.now(), journal::Sha256Hex(text)};
        const auto store = store::Open(folder);
        QCOMPARE(consent::Save(*store, personFile, record, text), store::Result::Ok);
    }

    erasure::Outcome erase(const QString& personFile, bool removeShared = false,
                           std::optional<QByteArray> expected = std::nullopt, erasure::Batch* batch = nullptr)
    {
        erasure::Request request;
        request.folder = folder;
        request.personFile = personFile;
        request.reason = QStringLiteral("Отзыв согласия");
        request.withdrawal = true;
        request.removeSharedPhoto = removeShared;
        request.expected = std::move(expected);
        request.backups = {{QStringLiteral("/копии/Знакомства 2026-12-01 10-00-00.zip"), QDate(2026, 12, 31)}};
        return erasure::Erase(platform, request, batch);
    }
};

}  // namespace

class TestErasure : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL("pdftotext (poppler-utils) is missing");
            QSKIP("pdftotext (poppler-utils) is not installed");
        }
    }

    void keysOfNames_data()
    {
        QTest::addColumn<QByteArray>("nameBytes");
        QTest::newRow("cyrillic") << QByteArray("Знакомства_20240103100001.tnw");
        QTest::newRow("blanks and punctuation") << QByteArray("Мой тест (копия)+1_20240103100001.tnw");
        QTest::newRow("leading dot") << QByteArray(".скрытый.tnm");
        QTest::newRow("percent") << QByteArray("100%_20240103100001.tnm");
        QTest::newRow("not UTF-8") << QByteArray("\xc7\xed\xe0\xea\xee\xec_1.tnw");  // Windows-1251
    }
    // A person file's name becomes a key the store takes, and comes back.
    void keysOfNames()
    {
        QFETCH(QByteArray, nameBytes);
        const QString name = textfile::nameFromBytes(nameBytes);
        const QString key = store::KeyOf(name);
        QTemporaryDir dir;
        const auto store = store::Open(dir.path() + QLatin1Char('/'));
        QCOMPARE(store->write(QStringLiteral("consent"), key, "x", std::nullopt), store::Result::Ok);
        QCOMPARE(store->keys(QStringLiteral("consent")), QStringList{key});
        QCOMPARE(textfile::pathBytes(store::NameOfKey(key)), nameBytes);
    }

    void consentRecords_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        const QByteArray hash(64, 'a');
        const QByteArray whole = "data=1\r\nphoto=0\r\ntime=2026-12-10T12:00:00.000+03:00\r\ntext=" + hash + "\r\n";
        QTest::newRow("whole") << whole << true;
        QTest::newRow("photo missing") << QByteArray(whole).replace("photo=0\r\n", "") << false;
        QTest::newRow("flag not 0 or 1") << QByteArray(whole).replace("data=1", "data=yes") << false;
        QTest::newRow("hash too short") << QByteArray(whole).replace(hash, hash.left(63)) << false;
        QTest::newRow("unknown line") << whole + "name=Анна\r\n" << false;
        QTest::newRow("bad time") << QByteArray(whole).replace("2026-12-10T", "2026-13-10T") << false;
    }
    void consentRecords()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        const std::optional<consent::Record> record = consent::Decode(bytes);
        QCOMPARE(record.has_value(), valid);
        if (valid)
            QCOMPARE(consent::Decode(consent::Encode(*record)), record);
    }

    // The author's text is shown and printed, never run.
    void consentTextIsInert()
    {
        const QString fragment = consent::Fragment(
            "<html><head><script>alert(1)</script></head><body><p onclick=\"steal()\">Текст</p>"
            "<a href='javascript:steal()'>ссылка</a><iframe src='http://x'></iframe><SCRIPT src=x.js></SCRIPT>"
            "<scr<script></script>ipt>alert(2)</scr</script>ipt><img/onerror=steal() src=x></body></html>");
        QVERIFY(fragment.contains(QStringLiteral("<p>Текст</p>")));
        for (const char* active : {"script", "SCRIPT", "onclick", "onerror", "javascript:", "iframe", "alert"})
            QVERIFY2(!fragment.contains(QLatin1String(active)), active);
    }

    // Consent, the person's data on request, erasure with an act: the whole
    // life of one card, and what is left of it afterwards.
    void wholeLife()
    {
        Fixture f;
        f.givePhoto(kAnna, f.folder + QStringLiteral("anna.png"));
        fixtures::writeBytes(f.folder + QStringLiteral("anna.png"), kPng);
        f.giveConsent(kAnna, true);

        App app(f.platform);
        OpenTest(app, f.folder + kTest);
        QCOMPARE(app.st.test.QuestionCount, 12);
        persondata::Bundle bundle;
        QString error;
        QVERIFY(persondata::Gather(f.folder, kAnna, &app.st.test, bundle, error));
        QStringList written;
        const QString out = f.dir.path() + QStringLiteral("/выгрузка");
        QVERIFY2(persondata::Export(f.platform, bundle, out, written, error), qPrintable(error));
        QCOMPARE(written.size(), 3);

        const QJsonObject json = QJsonDocument::fromJson(fixtures::readBytes(written[0])).object();
        QCOMPARE(json[QStringLiteral("card")][QStringLiteral("name")].toString(), QStringLiteral("Галина Михайлова"));
        const QJsonArray questions = json[QStringLiteral("questions")].toArray();
        QCOMPARE(questions.size(), 12);
        for (const QJsonValue& q : questions) {
            QVERIFY(!q[QStringLiteral("questionText")].toString().isEmpty());
            QVERIFY(!q[QStringLiteral("answerText")].toString().isEmpty());
        }
        QCOMPARE(questions[0][QStringLiteral("answerText")].toString(), QStringLiteral("В компании друзей"));
        QCOMPARE(json[QStringLiteral("consent")][QStringLiteral("photo")].toBool(), true);
        QVERIFY(fixtures::readBytes(written[1]).contains("согласие,на хранение данных,дано"));
        QVERIFY(pdfText(written[2]).contains(QStringLiteral("Галина Михайлова")));

        const QByteArray card = fixtures::readBytes(f.folder + kAnna);
        const erasure::Outcome outcome = f.erase(kAnna, false, card);
        QCOMPARE(outcome.status, erasure::Status::Done);
        QVERIFY2(outcome.message.isEmpty(), qPrintable(outcome.message));
        QCOMPARE(outcome.act.number, QStringLiteral("2026-0001"));

        // Gone: the card, its photo, its consent; the others stay.
        QVERIFY(!QFile::exists(f.folder + kAnna));
        QVERIFY(!QFile::exists(f.folder + QStringLiteral("anna.png")));
        QVERIFY(QFile::exists(f.folder + kBoris) && QFile::exists(f.folder + kVera));
        const auto store = store::Open(f.folder);
        QVERIFY(!consent::Load(*store, kAnna));
        Kartochka boris;
        QVERIFY(persondata::ReadCard(f.folder + kBoris, boris) == persondata::CardRead::Ok);
        const PairRanking ranking = RankPairs(f.folder, boris, 2026);
        for (const PairEntry& e : ranking.pairs)
            QVERIFY(e.FileName != kAnna);

        // The act: text and PDF, with who, what, why and the copies.
        const QString text = QString::fromUtf8(fixtures::readBytes(outcome.actText));
        QCOMPARE(outcome.actText, f.folder + QStringLiteral("Акты/Акт 2026-0001.txt"));
        for (const QString& expected : {QStringLiteral("АКТ № 2026-0001"), QStringLiteral("Галина Михайлова, 1999 г. р."),
                                        QStringLiteral("Основание: Отзыв согласия"), QStringLiteral("фотография"),
                                        QStringLiteral("запись о согласии"), QStringLiteral("будет удалена 31.12.2026")})
            QVERIFY2(text.contains(expected), qPrintable(expected));
        QVERIFY(pdfText(outcome.actPdf).contains(QStringLiteral("2026-0001")));

        // The journal names the act, never the person.
        const QList<journal::Record> records = journal::Read(*store);
        QVERIFY(!records.isEmpty());
        QCOMPARE(records.last().action, erasure::kErased);
        QCOMPARE(records.last().file, QStringLiteral("Акты/Акт 2026-0001.txt"));
        QCOMPARE(records.last().after, journal::Sha256Hex(fixtures::readBytes(outcome.actText)));
        for (const QByteArray& line : store->records(QStringLiteral("journal")))
            QVERIFY(!line.contains(QByteArray("Галина")));
    }

    void photos_data()
    {
        QTest::addColumn<QString>("photo");  // relative to the folder, or absolute
        QTest::addColumn<bool>("shared");
        QTest::addColumn<bool>("removeShared");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<bool>("viaBatch");  // as the retention page erases many
        QTest::newRow("own, in the folder") << QStringLiteral("p.png") << false << false << true << false;
        QTest::newRow("own, in a batch") << QStringLiteral("p.png") << false << false << true << true;
        QTest::newRow("shared, kept") << QStringLiteral("p.png") << true << false << false << false;
        QTest::newRow("shared, the other erased first in a batch") << QStringLiteral("p.png") << true << false << true << true;
        QTest::newRow("shared, the operator agreed") << QStringLiteral("p.png") << true << true << true << false;
        QTest::newRow("outside the folder") << QStringLiteral("/../p.png") << false << false << false << false;
        // A card may name any file as its photo: the test itself is no photo.
        QTest::newRow("names the test file") << kTest << false << false << false << false;
    }
    void photos()
    {
        QFETCH(QString, photo);
        QFETCH(bool, shared);
        QFETCH(bool, removeShared);
        QFETCH(bool, removed);
        QFETCH(bool, viaBatch);
        Fixture f;
        const QString path = photo.startsWith(QLatin1Char('/')) ? QDir::cleanPath(f.folder + photo) : f.folder + photo;
        if (!QFile::exists(path))
            fixtures::writeBytes(path, kPng);
        f.givePhoto(kAnna, path, shared ? QStringList{kVera} : QStringList{});
        QCOMPARE(erasure::PhotoOf(f.folder, kAnna, path) == erasure::Photo::Shared, shared);
        std::optional<erasure::Batch> batch;
        if (viaBatch) {
            batch.emplace(f.folder);
            // Another card of the batch goes first (the one sharing the
            // photo, if any): the batch forgets that it named the photo.
            QCOMPARE(f.erase(shared ? kVera : kBoris, false, std::nullopt, &*batch).status, erasure::Status::Done);
        }
        const erasure::Outcome outcome = f.erase(kAnna, removeShared, std::nullopt, batch ? &*batch : nullptr);
        QCOMPARE(outcome.status, erasure::Status::Done);
        QCOMPARE(QFile::exists(path), !removed);
        const QString act = QString::fromUtf8(fixtures::readBytes(outcome.actText));
        QCOMPARE(act.contains(QStringLiteral("Не уничтожено:")), !removed);
    }

    // Another desk changed the card after this desk read it: the erasure is
    // refused whole, and no act number is spent.
    void raceWithAnotherDesk()
    {
        Fixture f;
        f.giveConsent(kAnna, false);
        const QByteArray read = fixtures::readBytes(f.folder + kAnna);
        Kartochka changed;
        QVERIFY(persondata::ReadCard(f.folder + kAnna, changed) == persondata::CardRead::Ok);
        changed.NameFamiliya = QStringLiteral("Галина Иванова");
        QCOMPARE(textfile::replaceIfUnchanged(f.folder, kAnna, PersonFileContent(changed) + "\r\n", read),
                 textfile::GuardedResult::Ok);

        const erasure::Outcome refused = f.erase(kAnna, false, read);
        QCOMPARE(refused.status, erasure::Status::ChangedElsewhere);
        QVERIFY(QFile::exists(f.folder + kAnna));
        const auto store = store::Open(f.folder);
        QVERIFY(consent::Load(*store, kAnna));
        QVERIFY(!QFileInfo::exists(f.folder + erasure::kActsFolder));
        QVERIFY(store->keys(erasure::kActKind).isEmpty());

        // Erased here first: the other desk's change of what it read is refused.
        const QByteArray now = fixtures::readBytes(f.folder + kAnna);
        QCOMPARE(f.erase(kAnna, false, now).status, erasure::Status::Done);
        QCOMPARE(textfile::replaceIfUnchanged(f.folder, kAnna, "[kartochka]\r\n", now), textfile::GuardedResult::Gone);
        QVERIFY(!QFile::exists(f.folder + kAnna));
        QCOMPARE(f.erase(kAnna, false, now).status, erasure::Status::Gone);
    }

    // The act names the automatic copies that still hold the person, and the
    // day each one goes; a person saved after the copy is in none.
    void actListsTheCopiesHoldingThePerson()
    {
        Fixture f;
        autobackup::Settings settings;
        settings.folder = f.dir.path() + QStringLiteral("/копии");
        settings.keepDays = 30;
        const autobackup::Outcome made = autobackup::Run(f.folder, QStringLiteral("Знакомства"), settings,
                                                         f.dir.path(), f.platform.now());
        QCOMPARE(made.status, autobackup::Status::Made);
        QFile::copy(f.folder + kVera, f.folder + QStringLiteral("Знакомства_20261210130000.tnw"));

        const QList<autobackup::Held> held =
            autobackup::ArchivesHolding(f.folder, QStringLiteral("Знакомства"), kAnna, settings, f.dir.path());
        QCOMPARE(held, (QList<autobackup::Held>{{made.archive, QDate(2027, 1, 9)}}));
        QVERIFY(autobackup::ArchivesHolding(f.folder, QStringLiteral("Знакомства"),
                                            QStringLiteral("Знакомства_20261210130000.tnw"), settings, f.dir.path())
                    .isEmpty());

        erasure::Request request;
        request.folder = f.folder;
        request.personFile = kAnna;
        request.reason = QStringLiteral("Истёк срок хранения");
        request.backups = held;
        const erasure::Outcome outcome = erasure::Erase(f.platform, request);
        QCOMPARE(outcome.status, erasure::Status::Done);
        QVERIFY(QString::fromUtf8(fixtures::readBytes(outcome.actText))
                    .contains(made.archive + QStringLiteral(" — будет удалена 09.01.2027")));
    }

    // Act numbers are taken per desk: a number another desk holds is skipped.
    void actNumbers()
    {
        Fixture f;
        const auto store = store::Open(f.folder);
        QCOMPARE(store->write(erasure::kActKind, QStringLiteral("2026-0001"), "desk=другое\r\n", std::nullopt),
                 store::Result::Ok);
        QCOMPARE(f.erase(kAnna).act.number, QStringLiteral("2026-0002"));
        QCOMPARE(f.erase(kBoris).act.number, QStringLiteral("2026-0003"));
        QVERIFY(QFile::exists(f.folder + QStringLiteral("Акты/Акт 2026-0003.pdf")));
    }
};

QTEST_MAIN(TestErasure)
#include "tst_erasure.moc"
