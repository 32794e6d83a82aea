#include "engines/Backup.h"
#include "engines/BackupManifest.h"
#include "engines/Consent.h"
#include "engines/Erasure.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "engines/MediaHtml.h"
#include "engines/PersonFile.h"
#include "engines/TestFile.h"
#include "ground/App.h"
#include "ground/HeadlessPlatform.h"
#include "ground/Kartochka.h"
#include "ground/TextFile.h"
#include "screens/document/FileCommands.h"

#include "Fixtures.h"
#include "Generator.h"
#include "SaverVersions.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <archive.h>
#include <archive_entry.h>

#include <csignal>
#include <cstdio>

using fixtures::readBytes;
using fixtures::writeBytes;

namespace {

const QString kStoreFolder = store::kHiddenFolder + QLatin1Char('/');

// Every file under a folder (hidden ones too), by its path relative to it.
QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(folder.size() + (folder.endsWith(QLatin1Char('/')) ? 0 : 1)), readBytes(path));
    }
    return files;
}

QMap<QString, QByteArray> withoutStore(QMap<QString, QByteArray> files)
{
    for (auto it = files.begin(); it != files.end();)
        it = it.key().startsWith(kStoreFolder) ? files.erase(it) : std::next(it);
    return files;
}

// Names in a folder, also hidden ones: what a refused restore must leave alone.
QStringList namesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray jpeg(const QByteArray& tail)
{
    return QByteArray("\xFF\xD8\xFF\xE0", 4) + tail;
}

QByteArray cardWithPhoto(const QString& name, const QString& photo)
{
    Kartochka card;
    card.NameFamiliya = name;
    card.DataRogdeniya = 1990;
    card.Podrobnee = 1;
    card.Otvety = QStringLiteral("012012012012");
    card.Podrobnosti[8] = photo;
    card.Pol = 1;
    card.Parol = QStringLiteral("demo");
    return PersonFileContent(card);
}

std::optional<Kartochka> readCard(const QString& path)
{
    textfile::Lines lines;
    if (textfile::readLines(path, lines, textfile::kMaxCardBytes, kCardMarker) != textfile::ReadResult::Ok)
        return std::nullopt;
    lines.next();
    return KartochkaFromLines(lines, QFileInfo(path).fileName());
}

// Files by names that are bytes, not text.
bool rawWrite(const QByteArray& path, const QByteArray& bytes)
{
    FILE* f = std::fopen(path.constData(), "wb");
    const bool ok = f && std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f) == size_t(bytes.size());
    return f && std::fclose(f) == 0 && ok;
}

QByteArray rawRead(const QByteArray& path)
{
    QByteArray bytes;
    if (FILE* f = std::fopen(path.constData(), "rb")) {
        char block[4096];
        for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;)
            bytes.append(block, qsizetype(n));
        std::fclose(f);
    }
    return bytes;
}

QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// The demo folder copied into `folder`, its first question showing a picture
// of the folder and one that is missing.
void copyDemo(const QString& folder)
{
    QDir().mkpath(folder);
    const QDir examples(qEnvironmentVariable("TANDEMO_SOURCE") + QStringLiteral("/examples"));
    const QStringList names = examples.entryList({QStringLiteral("*.tnd"), QStringLiteral("*.tnm"), QStringLiteral("*.tnw")}, QDir::Files);
    QVERIFY(names.size() == 61);
    for (const QString& name : names)
        QVERIFY(QFile::copy(examples.filePath(name), folder + name));
    HeadlessPlatform platform;
    App app(platform);
    OpenTest(app, folder + QStringLiteral("Знакомства.tnd"));
    app.st.test.Questions[1].Vopros +=
        QStringLiteral("<img border=\"0\" src=\"картинки/кот.jpg\"><img src='нет такого.jpg'>");
    SaveTest(app, folder + QStringLiteral("Знакомства.tnd"));
    QDir().mkpath(folder + QStringLiteral("картинки"));
    writeBytes(folder + QStringLiteral("картинки/кот.jpg"), jpeg("кот"));
}

struct ZipEntry {
    QByteArray name;
    QByteArray bytes;
    unsigned type = AE_IFREG;
    QByteArray link;
};

// A ZIP archive as any tool writes it; libarchive writes no devices or FIFOs,
// so those are patched in afterwards (patchZip).
void writeZip(const QString& path, const QList<ZipEntry>& entries)
{
    struct archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    QVERIFY(archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK);
    for (const ZipEntry& z : entries) {
        struct archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, z.name.constData());
        archive_entry_set_filetype(e, z.type);
        archive_entry_set_perm(e, 0644);
        if (z.type == AE_IFLNK)
            archive_entry_set_symlink(e, z.link.constData());
        else
            archive_entry_set_size(e, z.bytes.size());
        QVERIFY2(archive_write_header(a, e) == ARCHIVE_OK, archive_error_string(a));
        if (!z.bytes.isEmpty())
            QCOMPARE(archive_write_data(a, z.bytes.constData(), static_cast<size_t>(z.bytes.size())),
                     la_ssize_t(z.bytes.size()));
        archive_entry_free(e);
    }
    QVERIFY(archive_write_close(a) == ARCHIVE_OK);
    archive_write_free(a);
}

// Sets a 32-bit field of the records of `name`: in the central directory 24
// the size and 38 the external attributes (the Unix mode in the upper half),
// in the local header 22 the size.
void patchZip(const QString& path, const QByteArray& name, bool central, int offset, quint32 value)
{
    QByteArray zip = readBytes(path);
    bool found = false;
    const QByteArray signature = central ? "PK\x01\x02" : "PK\x03\x04";
    const int nameAt = central ? 46 : 30;
    const int nameSizeAt = central ? 28 : 26;
    for (qsizetype at = zip.indexOf(signature); at >= 0; at = zip.indexOf(signature, at + 4)) {
        const auto u16 = [&zip](qsizetype i) { return quint8(zip[i]) | quint8(zip[i + 1]) << 8; };
        if (zip.mid(at + nameAt, u16(at + nameSizeAt)) != name)
            continue;
        for (int i = 0; i < 4; ++i)
            zip[at + offset + i] = char((value >> (8 * i)) & 0xFF);
        found = true;
    }
    QVERIFY(found);
    writeBytes(path, zip);
}

backup::ManifestFile listed(const QByteArray& entry, const QByteArray& bytes)
{
    return {entry, bytes.size(), sha256(bytes), {}};
}

QByteArray manifestOf(const QList<backup::ManifestFile>& files)
{
    backup::Manifest m;
    m.folder = "/old/folder/";
    m.files = files;
    return backup::EncodeManifest(m);
}

}  // namespace

class TestBackup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(QFile::exists(qEnvironmentVariable("TANDEMO_CLI"))); }

    // The manifest keeps any name's bytes: not UTF-8, a comma, a line break,
    // a blank, a "%"; and reads back exactly what it wrote.
    void manifestKeepsEveryName()
    {
        backup::Manifest m;
        m.folder = QByteArray("/дом/папка с пробелом,\xC0/");
        m.files = {{"Знакомства.tnd", 10, QByteArray(64, 'a'), {}},
                   {"external/1/фото 1.jpg", 0, QByteArray(64, 'b'), QByteArray("/дом/фото\n1,%.jpg")},
                   {"external/2/x.jpg", 7, QByteArray(64, 'c'), QByteArray("\xCA\xEE\xF2.tnw")},
                   {".tandemo/journal/a.log", 12345678901, QByteArray(64, 'd'), {}}};
        const QByteArray text = backup::EncodeManifest(m);
        QVERIFY(text.isValidUtf8());
        QCOMPARE(text.count('\n'), 7);
        const auto back = backup::DecodeManifest(text);
        QVERIFY(back.has_value());
        QCOMPARE(*back, m);
        // The fuzzer starts from manifests that are accepted.
        for (const char* seed : {"demo", "external"})
            QVERIFY2(backup::DecodeManifest(readBytes(qEnvironmentVariable("TANDEMO_FUZZ_DIR") +
                                                      QStringLiteral("/corpus/manifest/") + QLatin1String(seed))),
                     seed);
    }

    void manifestRefusesMalformed_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QByteArray head = "tandemo-backup 1\nfolder /f/\n";
        const QByteArray sha(64, 'a');
        const QByteArray good = head + "file 3 " + sha + " a.tnm\nend 1\n";
        QVERIFY(backup::DecodeManifest(good).has_value());
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("other version") << QByteArray(good).replace("backup 1", "backup 2");
        QTest::newRow("no end") << head + "file 3 " + sha + " a.tnm\n";
        QTest::newRow("end counts wrong") << head + "file 3 " + sha + " a.tnm\nend 2\n";
        QTest::newRow("after the end") << good + "file 3 " + sha + " b.tnm\n";
        QTest::newRow("no last line end") << good.chopped(1);
        QTest::newRow("CR LF") << QByteArray(good).replace("\n", "\r\n");
        QTest::newRow("dot dot") << head + "file 3 " + sha + " ../a.tnm\nend 1\n";
        QTest::newRow("dot dot inside") << head + "file 3 " + sha + " x/../../a.tnm\nend 1\n";
        QTest::newRow("absolute entry") << head + "file 3 " + sha + " /etc/a.tnm\nend 1\n";
        QTest::newRow("backslash") << head + "file 3 " + sha + " ..\\a.tnm\nend 1\n";
        QTest::newRow("drive") << head + "file 3 " + sha + " C:a.tnm\nend 1\n";
        QTest::newRow("empty part") << head + "file 3 " + sha + " x//a.tnm\nend 1\n";
        QTest::newRow("original climbs") << head + "file 3 " + sha + " e/a.jpg /x/../a.jpg\nend 1\n";
        QTest::newRow("entry twice") << head + "file 3 " + sha + " a.tnm\nfile 3 " + sha + " a.tnm\nend 2\n";
        QTest::newRow("one place twice") << head + "file 3 " + sha + " a.tnm\nfile 3 " + sha + " b a.tnm\nend 2\n";
        QTest::newRow("manifest listed") << head + "file 3 " + sha + " tandemo-manifest.txt\nend 1\n";
        QTest::newRow("upper-case hash") << head + "file 3 " + sha.toUpper() + " a.tnm\nend 1\n";
        QTest::newRow("short hash") << head + "file 3 " + sha.left(63) + " a.tnm\nend 1\n";
        QTest::newRow("size with sign") << head + "file +3 " + sha + " a.tnm\nend 1\n";
        QTest::newRow("size leading zero") << head + "file 03 " + sha + " a.tnm\nend 1\n";
        QTest::newRow("size too large") << head + "file 99999999999999999 " + sha + " a.tnm\nend 1\n";
        QByteArray tooLarge = head;  // 17 files of the largest size: past the bound of the whole
        for (int i = 0; i < 17; ++i)
            tooLarge += "file 68719476736 " + sha + " f" + QByteArray::number(i) + "\n";
        QVERIFY(backup::DecodeManifest(QByteArray(tooLarge).replace("file 68719476736", "file 1") + "end 17\n"));
        QTest::newRow("total too large") << tooLarge + "end 17\n";
        QTest::newRow("bad escape") << head + "file 3 " + sha + " a%zz.tnm\nend 1\n";
        QTest::newRow("needless escape") << head + "file 3 " + sha + " %61.tnm\nend 1\n";
        QTest::newRow("raw control") << head + "file 3 " + sha + " a\x01.tnm\nend 1\n";
        QTest::newRow("not UTF-8") << head + "file 3 " + sha + " a\xC0.tnm\nend 1\n";
        QTest::newRow("extra field") << head + "file 3 " + sha + " a.tnm /x.jpg y\nend 1\n";
        QTest::newRow("unknown line") << head + "link a b\nend 0\n";
        QTest::newRow("no folder") << QByteArray("tandemo-backup 1\nend 0\n");
    }
    void manifestRefusesMalformed()
    {
        QFETCH(QByteArray, text);
        QVERIFY(!backup::DecodeManifest(text).has_value());
    }

    // The files a question's text names, as the backup takes them.
    void questionTextNamesItsFiles_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("picture") << "Кто это? <img border=\"0\" src=\"кот.jpg\">" << QStringList{"кот.jpg"};
        QTest::newRow("upper case, single quotes") << "<IMG SRC='a b.gif' alt=x>" << QStringList{"a b.gif"};
        QTest::newRow("unquoted") << "<img src=c.jpg>" << QStringList{"c.jpg"};
        QTest::newRow("entity") << "<img src=\"x&quot;y&amp;z.jpg\">" << QStringList{"x\"y&z.jpg"};
        QTest::newRow("video fragment")
            << media::kHead + "clip.avi" + media::kCommon + media::kVideoTail << QStringList{"clip.avi"};
        QTest::newRow("audio fragment")
            << media::kHead + "song.mp3" + media::kCommon + media::kAudioTail << QStringList{"song.mp3"};
        QTest::newRow("html5 elements") << "<video src=v.webm><source src=s.ogg></video><audio src=a.wav>"
                                        << QStringList{"v.webm", "s.ogg", "a.wav"};
        QTest::newRow("web addresses") << "<img src=http://x/y.jpg><img src='data:image/png;base64,AA'>" << QStringList{};
        QTest::newRow("Windows drive kept") << "<img src='C:\\фото\\a.jpg'>" << QStringList{"C:\\фото\\a.jpg"};
        QTest::newRow("other tags and text") << "<a href=x.jpg>src=y.jpg</a><imgx src=z.jpg>" << QStringList{};
        QTest::newRow("unclosed") << "<img src=\"half" << QStringList{"half"};
    }
    void questionTextNamesItsFiles()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        QCOMPARE(media::NamedFiles(text), names);
    }

    // The demo folder with a card whose photo lies outside it: backed up and
    // restored by the command line tool, every file comes back byte for byte
    // (the lost photo at its place), and the restored folder is the demo's.
    void cliRoundTripIsByteIdentical()
    {
        QTemporaryDir tmp;
        const QString demo = tmp.path() + QStringLiteral("/демо/");
        copyDemo(demo);
        if (QTest::currentTestFailed())
            return;
        const QString photo = tmp.path() + QStringLiteral("/вне папки/фото, клиентки.jpg");
        QDir().mkpath(QFileInfo(photo).path());
        writeBytes(photo, jpeg(QByteArray(100000, 'x')));
        writeBytes(demo + QStringLiteral("Знакомства_20240103100099.tnw"), cardWithPhoto(QStringLiteral("Вера"), photo));

        const QString archive = tmp.path() + QStringLiteral("/копия.zip");
        const fixtures::CliRun made = fixtures::runCli({QStringLiteral("backup"), demo, archive});
        QCOMPARE(made.status, 0);
        QVERIFY2(made.err.isEmpty(), made.err.constData());  // no progress line: stderr is no terminal
        QVERIFY(made.out.startsWith("Резервная копия сохранена: "));
        // The test, 61 cards, the picture found, the photo outside and what
        // the store keeps.
        const qsizetype stored = store::Open(demo)->storedFiles().size();
        QVERIFY2(made.out.contains("Файлов: " + QByteArray::number(64 + stored) + ","), made.out.constData());
        QVERIFY(made.out.contains("нет такого.jpg"));
        const QMap<QString, QByteArray> original = filesUnder(demo);
        const QByteArray photoBytes = readBytes(photo);
        QVERIFY(QFile::remove(photo));  // the disk with the photos failed

        const QString restored = tmp.path() + QStringLiteral("/восстановлено");
        const fixtures::CliRun back = fixtures::runCli({QStringLiteral("restore"), archive, restored});
        QCOMPARE(back.status, 0);
        QVERIFY2(back.err.isEmpty(), back.err.constData());
        QCOMPARE(withoutStore(filesUnder(restored)), withoutStore(original));
        QCOMPARE(readBytes(photo), photoBytes);
        QVERIFY(namesIn(tmp.path()).size() == 4);  // demo, photo folder, archive, restored: no staging left
        // A folder like any other the user makes, not one only its owner may enter.
        QCOMPARE(QFileInfo(restored).permissions(), QFileInfo(demo).permissions());

        // The journal came along, and says the restore.
        auto store = store::Open(restored + QLatin1Char('/'));
        const QList<journal::Record> records = journal::Read(*store);
        QVERIFY(!records.isEmpty());
        QCOMPARE(records.last().action, journal::kRestore);
        QCOMPARE(records.last().after, sha256(readBytes(archive)));
        auto originalStore = store::Open(demo);
        QList<journal::Record> before = journal::Read(*originalStore);
        QCOMPARE(before.last().action, journal::kBackup);
        before.removeLast();
        QCOMPARE(records.mid(0, records.size() - 1), before);

        // The restored folder works: the same people, the same test.
        for (const char* sex : {"--men", "--women"}) {
            const fixtures::CliRun a = fixtures::runCli({QStringLiteral("people"), demo, QLatin1String(sex)});
            const fixtures::CliRun b = fixtures::runCli({QStringLiteral("people"), restored, QLatin1String(sex)});
            QCOMPARE(b.status, 0);
            QCOMPARE(b.out, a.out);
            QVERIFY(b.out.count('\n') >= 31);
        }
        HeadlessPlatform platform;
        QStringList messages;
        platform.onMessage = [&messages](const QString& text, MsgIcon) { messages << text; };
        App app(platform);
        OpenTest(app, restored + QStringLiteral("/Знакомства.tnd"));
        QCOMPARE(messages, QStringList());
        QCOMPARE(app.st.test.QuestionCount, 12);
        QVERIFY(app.st.test.Questions[1].Vopros.contains(QStringLiteral("картинки/кот.jpg")));
    }

    // The agency's consent texts and its acts of destruction are kept with
    // the folder and come back with it; other files beside them do not.
    void consentTextsAndActsComeBack()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/клуб/");
        const QString acts = folder + erasure::kActsFolder + QLatin1Char('/');
        QVERIFY(QDir().mkpath(acts + QStringLiteral("черновики")));
        writeBytes(folder + QStringLiteral("Знакомства_20240103100000.tnw"), cardWithPhoto(QStringLiteral("Вера"), {}));
        const QMap<QString, QByteArray> kept{
            {QStringLiteral("Знакомства") + consent::kTextSuffix, "<p>Согласие</p>"},
            {QStringLiteral("Кошки") + consent::kTextSuffix, "<p>Другое согласие</p>"},
            {erasure::kActsFolder + QStringLiteral("/Акт 2026-0001.txt"), "Акт № 2026-0001\r\n"},
            {erasure::kActsFolder + QStringLiteral("/Акт 2026-0001.pdf"), "%PDF-1.4 акт"},
        };
        for (auto it = kept.begin(); it != kept.end(); ++it)
            writeBytes(folder + it.key(), it.value());
        writeBytes(folder + QStringLiteral("заметки.html"), "не берётся");
        writeBytes(folder + consent::kTextSuffix, "одно окончание без имени");
        writeBytes(acts + QStringLiteral("черновики/старый.txt"), "не берётся");

        const QString archive = tmp.path() + QStringLiteral("/копия.zip");
        const backup::Report made = backup::Backup(folder, archive);
        QCOMPARE(made.outcome, backup::Outcome::Ok);
        const auto manifest = backup::ReadManifest(archive);
        QVERIFY(manifest);
        QStringList entries;
        for (const backup::ManifestFile& f : manifest->files)
            entries << QString::fromUtf8(f.entry);
        for (auto it = kept.begin(); it != kept.end(); ++it)
            QVERIFY2(entries.contains(it.key()), qPrintable(entries.join(u',')));

        const QString restored = tmp.path() + QStringLiteral("/восстановлено/");
        QCOMPARE(backup::Restore(archive, restored).outcome, backup::Outcome::Ok);
        QMap<QString, QByteArray> expected = kept;
        expected.insert(QStringLiteral("Знакомства_20240103100000.tnw"),
                        readBytes(folder + QStringLiteral("Знакомства_20240103100000.tnw")));
        QCOMPARE(withoutStore(filesUnder(restored)), expected);
        QVERIFY(!backup::ReadManifest(folder + QStringLiteral("Знакомства_20240103100000.tnw")));
    }

    // A photo whose place outside is taken at restore goes into the restored
    // folder, and the cards that named it name it there; two photos of one
    // name each keep their own.
    void photoWhosePlaceIsTakenComesIntoTheFolder()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/f/");
        QDir().mkpath(folder);
        const QString a = tmp.path() + QStringLiteral("/a/фото.jpg");
        const QString b = tmp.path() + QStringLiteral("/b/фото.jpg");
        QDir().mkpath(tmp.path() + QStringLiteral("/a"));
        QDir().mkpath(tmp.path() + QStringLiteral("/b"));
        writeBytes(a, jpeg("первое"));
        writeBytes(b, jpeg("второе"));
        writeBytes(folder + QStringLiteral("внутри.jpg"), jpeg("внутри"));
        writeBytes(folder + QStringLiteral("t_1.tnw"), cardWithPhoto(QStringLiteral("Анна"), a));
        writeBytes(folder + QStringLiteral("t_2.tnw"), cardWithPhoto(QStringLiteral("Ольга"), QStringLiteral("../b/фото.jpg")));
        writeBytes(folder + QStringLiteral("t_3.tnm"), cardWithPhoto(QStringLiteral("Иван"), QStringLiteral("внутри.jpg")));
        // A card copied from a Windows disk: its name is not UTF-8.
        const QByteArray windowsName = "\xCA\xEE\xF2.tnw";
        const QByteArray windowsCard = cardWithPhoto(QStringLiteral("Кот"), {});
        QVERIFY(rawWrite(QFile::encodeName(folder) + windowsName, windowsCard));
        const QString archive = tmp.path() + QStringLiteral("/k.zip");
        const qsizetype stored = store::Open(folder)->storedFiles().size();
        const backup::Report made = backup::Backup(folder, archive);
        QCOMPARE(made.outcome, backup::Outcome::Ok);
        QCOMPARE(made.files, 7 + stored);

        const QString restored = tmp.path() + QStringLiteral("/r/");
        const backup::Report back = backup::Restore(archive, restored);
        QCOMPARE(back.outcome, backup::Outcome::Ok);
        QVERIFY(back.notice.contains(QStringLiteral("Фото из копии")));
        QCOMPARE(readBytes(a), jpeg("первое"));
        QCOMPARE(readBytes(b), jpeg("второе"));
        for (const auto& [card, bytes] : {std::pair{QStringLiteral("t_1.tnw"), jpeg("первое")},
                                          std::pair{QStringLiteral("t_2.tnw"), jpeg("второе")}}) {
            const auto read = readCard(restored + card);
            QVERIFY(read.has_value());
            QVERIFY2(read->Podrobnosti[8].startsWith(QStringLiteral("Фото из копии/фото")), qPrintable(read->Podrobnosti[8]));
            QCOMPARE(readBytes(restored + read->Podrobnosti[8]), bytes);
        }
        QCOMPARE(namesIn(restored + QStringLiteral("Фото из копии")).size(), 2);
        // Nothing else changed.
        QCOMPARE(readBytes(restored + QStringLiteral("t_3.tnm")), readBytes(folder + QStringLiteral("t_3.tnm")));
        QCOMPARE(readBytes(restored + QStringLiteral("внутри.jpg")), jpeg("внутри"));
        QCOMPARE(rawRead(QFile::encodeName(restored) + windowsName), windowsCard);
    }

    void hostileArchiveIsRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a zip") << "not a zip" << "не ZIP-архив";
        QTest::newRow("empty file") << "empty file" << "не ZIP-архив";
        QTest::newRow("dot dot") << "dot dot" << "за пределы папки";
        QTest::newRow("absolute path") << "absolute path" << "за пределы папки";
        QTest::newRow("backslash") << "backslash" << "за пределы папки";
        QTest::newRow("symlink") << "symlink" << "ссылка";
        QTest::newRow("device") << "device" << "не обычный файл";
        QTest::newRow("fifo") << "fifo" << "не обычный файл";
        QTest::newRow("folder entry") << "folder entry" << "не обычный файл";
        QTest::newRow("beyond manifest") << "beyond manifest" << "больше, чем указано в описи";
        QTest::newRow("not in manifest") << "not in manifest" << "нет в описи";
        QTest::newRow("missing entry") << "missing entry" << "из описи в нём нет";
        QTest::newRow("hash mismatch") << "hash mismatch" << "не совпадает с описью";
        QTest::newRow("zip bomb") << "zip bomb" << "больше, чем указано в описи";
        QTest::newRow("zip bomb, size lied") << "zip bomb, size lied" << "больше, чем указано в описи";
        QTest::newRow("no manifest") << "no manifest" << "нет описи";
        QTest::newRow("damaged manifest") << "damaged manifest" << "опись файлов не читается";
        QTest::newRow("photo into a hidden folder") << "photo into a hidden folder" << "";
        QTest::newRow("non-empty target") << "non-empty target" << "не пуста";
        QTest::newRow("target is a file") << "target is a file" << "лежит файл";
    }
    void hostileArchiveIsRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir tmp;
        const QString archive = tmp.path() + QStringLiteral("/a.zip");
        const QString parent = tmp.path() + QStringLiteral("/parent/");
        QDir().mkpath(parent);
        writeBytes(parent + QStringLiteral("keep.txt"), "keep");
        QString target = parent + QStringLiteral("new");
        const QByteArray card = cardWithPhoto(QStringLiteral("Анна"), {});
        const QString escaped = tmp.path() + QStringLiteral("/escaped.tnm");
        const QList<ZipEntry> ok{{"a.tnw", card}};
        const QByteArray okManifest = manifestOf({listed("a.tnw", card)});
        auto with = [&](QList<ZipEntry> entries, const QByteArray& manifest) {
            entries.append({backup::kManifestEntry, manifest});
            writeZip(archive, entries);
        };
        if (kind == "not a zip") {
            writeBytes(archive, "[kartochka]\r\nэто не архив\r\n");
        } else if (kind == "empty file") {
            writeBytes(archive, {});
        } else if (kind == "dot dot") {
            with({{"a.tnw", card}, {"../escaped.tnm", card}}, okManifest);
        } else if (kind == "absolute path") {
            with({{"a.tnw", card}, {QFile::encodeName(escaped), card}}, okManifest);
        } else if (kind == "backslash") {
            with({{"a.tnw", card}, {"..\\escaped.tnm", card}}, okManifest);
        } else if (kind == "symlink") {
            with({{"a.tnw", card}, {"b.tnw", {}, AE_IFLNK, QFile::encodeName(escaped)}}, okManifest);
        } else if (kind == "device" || kind == "fifo") {
            with({{"a.tnw", card}, {"b.tnw", "x"}}, manifestOf({listed("a.tnw", card), listed("b.tnw", "x")}));
            patchZip(archive, "b.tnw", true, 38, quint32((kind == "device" ? 0020644 : 0010644)) << 16);
        } else if (kind == "folder entry") {
            with({{"a.tnw", card}, {"d", {}, AE_IFDIR}}, okManifest);
        } else if (kind == "beyond manifest") {
            with({{"a.tnw", card + "more"}}, okManifest);
        } else if (kind == "not in manifest") {
            with({{"a.tnw", card}, {"b.tnw", card}}, okManifest);
        } else if (kind == "missing entry") {
            with({{"a.tnw", card}}, manifestOf({listed("a.tnw", card), listed("b.tnw", card)}));
        } else if (kind == "hash mismatch") {
            QByteArray other = card;
            other[20] = other[20] ^ 1;
            with({{"a.tnw", other}}, okManifest);
        } else if (kind == "zip bomb") {
            // 256 MB of zeros in a few hundred kilobytes, stated as 1000 bytes.
            with({{"a.tnw", QByteArray(256 << 20, '\0')}}, manifestOf({listed("a.tnw", QByteArray(1000, '\0'))}));
            QVERIFY(QFileInfo(archive).size() < (2 << 20));
        } else if (kind == "zip bomb, size lied") {
            // The same, with the archive's own headers lying about the size
            // too: only counting the bytes as they come stops it.
            with({{"a.tnw", QByteArray(64 << 20, '\0')}}, manifestOf({listed("a.tnw", QByteArray(1000, '\0'))}));
            patchZip(archive, "a.tnw", true, 24, 1000);
            patchZip(archive, "a.tnw", false, 22, 1000);
        } else if (kind == "no manifest") {
            writeZip(archive, ok);
        } else if (kind == "damaged manifest") {
            with(ok, okManifest.left(okManifest.size() - 4));
        } else if (kind == "photo into a hidden folder") {
            // Not a picture, for a place among a desk's start-up files: the
            // place is free, yet nothing is written there.
            const QByteArray photo = "#!/bin/sh\n";
            backup::Manifest m;
            m.folder = "/old/";
            m.files = {listed("a.tnw", card), {"external/1/x.jpg", photo.size(), sha256(photo), QFile::encodeName(tmp.path()) + "/.config/autostart/x.jpg"}};
            with({{"a.tnw", card}, {"external/1/x.jpg", photo}}, backup::EncodeManifest(m));
        } else if (kind == "target is a file") {
            with(ok, okManifest);
            target = parent + QStringLiteral("keep.txt");
        } else if (kind == "non-empty target") {
            with(ok, okManifest);
            target = parent + QStringLiteral("full");
            QDir().mkpath(target);
            writeBytes(target + QStringLiteral("/mine.tnw"), "mine");
        }
        if (QTest::currentTestFailed())
            return;
        const QStringList parentBefore = namesIn(parent);
        const QStringList targetBefore = namesIn(target);
        const backup::Report report = backup::Restore(archive, target);
        if (kind == "photo into a hidden folder") {
            // Restored, with the file kept inside the folder.
            QCOMPARE(report.outcome, backup::Outcome::Ok);
            QVERIFY(!QFileInfo::exists(tmp.path() + QStringLiteral("/.config")));
            QCOMPARE(readBytes(target + QStringLiteral("/Фото из копии/x.jpg")), QByteArray("#!/bin/sh\n"));
            return;
        }
        QCOMPARE(report.outcome, backup::Outcome::Failed);
        QVERIFY2(report.message.contains(reason), qPrintable(report.message));
        QCOMPARE(namesIn(parent), parentBefore);
        QCOMPARE(namesIn(target), targetBefore);
        QVERIFY(!QFileInfo::exists(escaped));
        QCOMPARE(namesIn(tmp.path()), (QStringList{QStringLiteral("a.zip"), QStringLiteral("parent")}));
    }

    // A backup killed at any moment leaves, under the archive's name, either
    // nothing or a whole archive that restores.
    void killedBackupNeverLooksComplete()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/f/");
        gen::PeoplePlan plan;
        plan.folder = folder;
        plan.testBaseName = QStringLiteral("t");
        plan.men = 1000;
        plan.women = 1000;
        plan.answerCounts = QList<int>(20, 4);
        QDir().mkpath(folder);
        QVERIFY(gen::WritePeople(plan));
        // A large photo, so that some kills land in the middle of one file.
        const QByteArray big = jpeg(QByteArray(24 << 20, 'p'));
        writeBytes(folder + QStringLiteral("big.jpg"), big);
        writeBytes(folder + QStringLiteral("t_photo.tnw"), cardWithPhoto(QStringLiteral("Фото"), QStringLiteral("big.jpg")));
        const QString out = tmp.path() + QStringLiteral("/out/");
        QDir().mkpath(out);
        const QString archive = out + QStringLiteral("копия.zip");
        const QString cli = qEnvironmentVariable("TANDEMO_CLI");

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(fixtures::runCli({QStringLiteral("backup"), folder, archive}).status, 0);
        const qint64 whole = std::max<qint64>(timer.elapsed(), 50);
        // Every card and the photo, and what the store keeps (the journal has
        // the backup's record from now on).
        const qint64 files = 2000 + 2 + store::Open(folder)->storedFiles().size();

        int complete = 0;
        for (int round = 0; round < 20; ++round) {
            QFile::remove(archive);
            QProcess p;
            p.start(cli, {QStringLiteral("backup"), folder, archive});
            QVERIFY(p.waitForStarted());
            QTest::qSleep(int(QRandomGenerator::global()->bounded(whole * 12 / 10)));
            ::kill(pid_t(p.processId()), SIGKILL);
            QVERIFY(p.waitForFinished());
            for (const QString& name : namesIn(out))
                QVERIFY2(name == QStringLiteral("копия.zip") || !name.endsWith(QStringLiteral(".zip")), qPrintable(name));
            if (!QFileInfo::exists(archive))
                continue;
            ++complete;
            const QString check = tmp.path() + QStringLiteral("/check");
            const backup::Report r = backup::Restore(archive, check);
            QVERIFY2(r.outcome == backup::Outcome::Ok, qPrintable(r.message));
            QCOMPARE(r.files, files);
            QDir(check).removeRecursively();
        }
        qInfo("%d of 20 killed backups had finished", complete);
    }

    // Two desks keep saving while the backup runs: one replaces a card over
    // and over, one adds results. Every card in the archive checks out
    // against the manifest and is one whole version.
    void backupWhileTwoDesksSave()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/f/");
        QDir().mkpath(folder);
        HeadlessPlatform platform;
        App app(platform);
        QSet<QByteArray> versions;
        for (int v = 0; v < 2; ++v) {
            Prepare(app, v);
            versions.insert(PersonFileContent(app.st.CardFields[0]));
        }
        const QString saver = qEnvironmentVariable("TANDEMO_SAVER");
        QList<QProcess*> desks;
        for (const char* kind : {"person", "result"}) {
            auto* p = new QProcess(this);
            p->start(saver, {QLatin1String(kind), folder});
            QVERIFY(p->waitForReadyRead(20000));
            desks << p;
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder + QStringLiteral("p.tnw")) &&
                                     QDir(folder).entryList({QStringLiteral("*.tnm")}, QDir::Files).size() > 1,
                                 60000);
        const QString archive = tmp.path() + QStringLiteral("/k.zip");
        const backup::Report made = backup::Backup(folder, archive);
        for (QProcess* p : desks) {
            p->kill();
            p->waitForFinished();
            delete p;
        }
        QVERIFY2(made.outcome == backup::Outcome::Ok, qPrintable(made.message));
        QVERIFY(made.files > 3);
        const QString restored = tmp.path() + QStringLiteral("/r");
        const backup::Report back = backup::Restore(archive, restored);  // checks every file against the manifest
        QVERIFY2(back.outcome == backup::Outcome::Ok, qPrintable(back.message));
        const QMap<QString, QByteArray> cards = withoutStore(filesUnder(restored));
        QVERIFY(cards.size() > 2);
        QVERIFY(cards.contains(QStringLiteral("p.tnw")));
        for (auto it = cards.constBegin(); it != cards.constEnd(); ++it)
            QVERIFY2(versions.contains(it.value()), qPrintable(it.key()));
    }

    // Another desk replaces a card while the backup copies it: the archive
    // holds the card as it was read, whole, and its manifest entry matches.
    void cardReplacedWhileCopiedIsStoredAsRead()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/f/");
        QDir().mkpath(folder);
        auto version = [](QChar fill) {
            Kartochka card;
            card.NameFamiliya = QString(fill);
            card.Podrobnee = 1;
            card.Podrobnosti[5] = QString(6 << 20, fill);  // past the progress step: the copy is seen midway
            return PersonFileContent(card);
        };
        const QByteArray before = version(QChar(u'а'));
        const QByteArray after = version(QChar(u'б'));
        writeBytes(folder + QStringLiteral("t_1.tnw"), before);
        bool replaced = false;
        const backup::Report made =
            backup::Backup(folder, tmp.path() + QStringLiteral("/k.zip"), [&](qint64 done, qint64) {
                if (done > 0 && !replaced)
                    replaced = textfile::saveAtomically(folder + QStringLiteral("t_1.tnw"), after) ==
                               textfile::SaveResult::Ok;
                return true;
            });
        QVERIFY(replaced);
        QVERIFY2(made.outcome == backup::Outcome::Ok, qPrintable(made.message));
        const backup::Report back = backup::Restore(tmp.path() + QStringLiteral("/k.zip"), tmp.path() + QStringLiteral("/r"));
        QVERIFY2(back.outcome == backup::Outcome::Ok, qPrintable(back.message));
        QCOMPARE(readBytes(tmp.path() + QStringLiteral("/r/t_1.tnw")), before);
    }

    void cancelLeavesNothing_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<int>("at");
        QTest::newRow("backup, first call") << false << 1;
        QTest::newRow("backup, while copying") << false << 3;
        QTest::newRow("restore, first call") << true << 1;
        QTest::newRow("restore, while copying") << true << 3;
    }
    void cancelLeavesNothing()
    {
        QFETCH(bool, restore);
        QFETCH(int, at);
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/f/");
        QDir().mkpath(folder);
        writeBytes(folder + QStringLiteral("big.jpg"), jpeg(QByteArray(40 << 20, 'p')));
        writeBytes(folder + QStringLiteral("t_1.tnw"), cardWithPhoto(QStringLiteral("Анна"), QStringLiteral("big.jpg")));
        const QString out = tmp.path() + QStringLiteral("/out/");
        QDir().mkpath(out);
        const QString archive = out + QStringLiteral("k.zip");
        int calls = 0;
        const backup::Progress cancelAt = [&calls, at](qint64 done, qint64 total) {
            return done <= total && ++calls < at;
        };
        if (!restore) {
            const backup::Report r = backup::Backup(folder, archive, cancelAt);
            QCOMPARE(r.outcome, backup::Outcome::Cancelled);
            QCOMPARE(calls, at);
            QCOMPARE(namesIn(out), QStringList());
            return;
        }
        QCOMPARE(backup::Backup(folder, archive).outcome, backup::Outcome::Ok);
        const backup::Report r = backup::Restore(archive, out + QStringLiteral("new"), cancelAt);
        QCOMPARE(r.outcome, backup::Outcome::Cancelled);
        QCOMPARE(calls, at);
        QCOMPARE(namesIn(out), QStringList{QStringLiteral("k.zip")});
    }

    // What killed backups left goes once it is a day old; a backup of
    // another archive, or one still running, keeps its own.
    void staleTemporariesOfKilledBackupsGo()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/f/");
        QDir().mkpath(folder);
        writeBytes(folder + QStringLiteral("t_1.tnw"), cardWithPhoto(QStringLiteral("Анна"), {}));
        const QString out = tmp.path() + QStringLiteral("/out/");
        QDir().mkpath(out);
        const QStringList left{QStringLiteral(".k.zip.aB3dE6.tmp"), QStringLiteral(".k.zip.fresh1.tmp"),
                               QStringLiteral(".other.zip.aB3dE6.tmp")};
        for (const QString& name : left)
            writeBytes(out + name, "half an archive");
        const QDateTime old = QDateTime::currentDateTime().addDays(-2);
        for (const QString& name : {left[0], left[2]}) {
            QFile f(out + name);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
        }
        QCOMPARE(backup::Backup(folder, out + QStringLiteral("k.zip")).outcome, backup::Outcome::Ok);
        QCOMPARE(namesIn(out), (QStringList{left[1], left[2], QStringLiteral("k.zip")}));
    }

    void archiveInsideTheFolderIsRefused()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/f/");
        QDir().mkpath(folder + QStringLiteral("sub"));
        writeBytes(folder + QStringLiteral("t_1.tnw"), cardWithPhoto(QStringLiteral("Анна"), {}));
        const backup::Report r = backup::Backup(folder, folder + QStringLiteral("sub/k.zip"));
        QCOMPARE(r.outcome, backup::Outcome::Failed);
        QVERIFY(r.message.contains(QStringLiteral("папку теста")));
        QCOMPARE(namesIn(folder + QStringLiteral("sub")), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
