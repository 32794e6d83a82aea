#include "Harness.h"

#include "Import.h"

#include "screens/document/FileCommands.h"
#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "engines/BulkText.h"
#include "engines/FolderStore.h"
#include "engines/BackupManifest.h"
#include "engines/Consent.h"
#include "engines/Journal.h"
#include "engines/WordWrap.h"
#include "engines/Weights.h"
#include "engines/PairSearch.h"
#include "screens/people/CardPage.h"
#include "screens/people/FrmFound.h"
#include "screens/people/PeopleList.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/HeadlessPlatform.h"
#include "shell/Startup.h"
#include "engines/Proverka.h"
#include "shell/VyborOtveta.h"
#include "screens/views/FrmHTML.h"
#include "shell/ListCommands.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>

namespace {


// One scratch folder for the whole run, emptied before every input.
QString Scratch()
{
    static QTemporaryDir dir;
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
    return dir.path() + QLatin1Char('/');
}

void Write(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(data);
}

struct Session {
    QString folder = Scratch();
    HeadlessPlatform platform;
    App app{platform};
    Session()
    {
        platform.folder = folder;
        platform.clock = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.folders.AppFolder = folder;
        app.st.folders.WorkFolder = folder;
        app.st.folders.LastFolder = folder;
    }
};

bool QuestionsHold(const AppState& st)
{
    if (st.test.QuestionCount < 0 || st.test.QuestionCount > st.test.Questions.upperBound())
        return false;
    for (int q = 1; q <= st.test.QuestionCount; ++q) {
        const int count = st.test.Questions[q].CountOtvetov;
        if (count < 0 || count > 9)
            return false;
    }
    return true;
}

bool IsPermutation(const QList<int>& order, qsizetype size)
{
    QList<bool> seen(size, false);
    for (int index : order) {
        if (index < 0 || index >= size || seen[index])
            return false;
        seen[index] = true;
    }
    return order.size() == size;
}

bool ListsHold(const AppState& st)
{
    const bool people = st.people.PeopleLast < 0 ? st.people.People.size() == 1 && st.people.PeopleOrder.size() == 1
                                          : st.people.People.size() == st.people.PeopleLast + 1 &&
                                                IsPermutation(st.people.PeopleOrder, st.people.People.size());
    const bool pairs = st.pairs.PairsLast < 0 ? st.pairs.Pairs.size() == 1 && st.pairs.PairOrder.size() == 1
                                        : st.pairs.Pairs.size() == st.pairs.PairsLast + 1 &&
                                              IsPermutation(st.pairs.PairOrder, st.pairs.Pairs.size());
    return people && pairs;
}

}  // namespace

namespace harness {

bool TestFile(const QByteArray& data)
{
    Session s;
    const QString path = s.folder + QStringLiteral("t.tnd");
    Write(path, data);
    OpenTest(s.app, path);
    Proverka(s.app, 1);
    BulkTextOf(s.app.st.test);
    AddTest(s.app, path);
    TestFileContent(s.app, 1);
    return QuestionsHold(s.app.st);
}

bool PersonFile(const QByteArray& data)
{
    Session s;
    Write(s.folder + QStringLiteral("a.tnm"), data);
    Write(s.folder + QStringLiteral("b.tnw"), data);
    for (int slot = 0; slot < 3; ++slot)
        (void)OpenKartochka(s.app, slot == 2 ? QStringLiteral("b.tnw") : QStringLiteral("a.tnm"), slot);
    Kartochka reference = s.app.st.CardFields[1];
    for (int sex : {0, 1}) {
        reference.Pol = sex;
        s.app.st.people.ListWomen = sex;
        ListLudeyLoad(s.app);
        s.app.st.search.SearchName = textfile::decode(data.left(8));
        s.app.st.search.SearchWomen = sex;
        FoundLudey(s.app);
        if (!ListsHold(s.app.st))
            return false;
        const PairRanking ranking = RankPairs(s.folder, reference, 2026);
        if (!IsPermutation(ranking.order, ranking.pairs.size()))
            return false;
    }
    return true;
}

bool Settings(const QByteArray& data)
{
    Session s;
    Write(s.folder + kSettingsFileName, data);
    Main(s.app);
    const Folders& f = s.app.st.folders;
    const bool folders = f.LastFolder.size() > 0 && f.SplashPicture.size() > 0;
    // No value read from the settings carries a control character.
    auto clean = [](const QString& value) {
        return std::none_of(value.begin(), value.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
    };
    const bool plain = clean(f.LastFolder) && clean(f.SplashPicture) && clean(s.app.frmForma.FileNameTest.tag);
    return UnloadProga(s.app) == 0 && folders && plain;
}

bool BulkText(const QByteArray& data)
{
    AppState st;
    st.test.QuestionCount = 3;
    st.test.Questions.resizeFresh(3);
    const int start = data.isEmpty() ? 0 : static_cast<unsigned char>(data[0]) % 4;
    ReadBulkLines(st.test, BulkLines(textfile::decode(data.mid(1))), start);
    BulkTextOf(st.test);
    return QuestionsHold(st);
}

bool Dispatch(const QByteArray& data)
{
    Session s;
    AppState& st = s.app.st;
    st.test.QuestionCount = 2;
    st.test.Questions.resizeFresh(2);
    for (int q = 1; q <= 2; ++q) {
        st.test.Questions[q].Vopros = QStringLiteral("В");
        st.test.Questions[q].CountOtvetov = 1;
        st.test.Questions[q].NomerOtveta = -1;
    }
    Kartochka card;
    card.NameFamiliya = QStringLiteral("Анна");
    card.Pol = 1;
    card.Podrobnee = 1;
    card.Otvety = QStringLiteral("01");
    Write(s.folder + QStringLiteral("a.tnw"), PersonFileContent(card));
    card.Pol = 0;
    Write(s.folder + QStringLiteral("b.tnm"), PersonFileContent(card));

    const unsigned char mode = data.isEmpty() ? 0 : static_cast<unsigned char>(data[0]);
    constexpr TestPhase kPhases[] = {TestPhase::Finished, TestPhase::StartPage, TestPhase::Attempt, TestPhase::Editor};
    st.main.Phase = kPhases[mode & 3];
    st.main.CurrentQuestion = (mode >> 2) & 3;
    constexpr HtmlWindowMode kModes[] = {HtmlWindowMode::PeopleList, HtmlWindowMode::CardPage, HtmlWindowMode::PairSearch,
                                        HtmlWindowMode::NameSearch};
    st.list.Mode = kModes[(mode >> 4) & 3];
    st.people.ListWomen = (mode >> 6) & 1;
    if (mode & 0x80)
        ListLudeyLoad(s.app);
    st.list.Mode = kModes[(mode >> 4) & 3];
    const QString link = QString::fromUtf8(data.mid(1));
    VyborKartochki(s.app, link);
    VyborOtveta(s.app, link);
    return QuestionsHold(st) && ListsHold(st);
}

bool WordWrap(const QByteArray& data)
{
    // First byte: the box width; the rest: the text. Characters measure by
    // their code, so widths vary as in a real font.
    const int width = data.isEmpty() ? 0 : static_cast<unsigned char>(data[0]) * 4;
    const QString text = QString::fromUtf8(data.mid(1));
    const TextMeasure measure = [](const QString& s) {
        int w = 0;
        for (QChar c : s)
            w += 3 + c.unicode() % 11;
        return w;
    };
    const QStringList lines = WrapQuestion(text, width, measure, 3);
    if (lines.size() > 3)
        return false;
    // Lines are pieces of the text, in order, never empty.
    qsizetype at = 0;
    for (const QString& line : lines) {
        if (line.isEmpty() || text.mid(at, line.size()) != line)
            return false;
        at += line.size();
    }
    return text.isEmpty() || !lines.isEmpty();
}

bool Sheet(const QByteArray& data)
{
    Session s;
    AppState& st = s.app.st;
    const QList<int> answers{2, 3, 10};
    st.test.QuestionCount = static_cast<int>(answers.size());
    st.test.Questions.resizeFresh(st.test.QuestionCount);
    for (int q = 1; q <= st.test.QuestionCount; ++q)
        st.test.Questions[q].CountOtvetov = answers[q - 1] - 1;
    st.test.TestPassword = QStringLiteral("п");
    st.test.TestFilePath = s.folder + QStringLiteral("t.tnd");

    QList<QString> outLines;
    QList<QString> errLines;
    const sheet::Counts counts = sheet::importSheet(
        s.app, data, [&outLines](const QString& l) { outLines.append(l); },
        [&errLines](const QString& l) { errLines.append(l); });
    const QStringList files =
        QDir(s.folder).entryList({QStringLiteral("*.tnm"), QStringLiteral("*.tnw")}, QDir::Files | QDir::Hidden);
    if (counts.stopped)
        return files.isEmpty() && outLines.isEmpty() && errLines.size() == 1 && counts.saved == 0;

    // The lines of the sheet, ended as the reader ends them.
    QList<QByteArray> lines;
    for (qsizetype at = 0; at < data.size();) {
        qsizetype end = at;
        while (end < data.size() && data[end] != '\r' && data[end] != '\n')
            ++end;
        lines.append(data.mid(at, end - at));
        at = end + (end + 1 < data.size() && data[end] == '\r' && data[end + 1] == '\n' ? 2 : 1);
    }
    // Every line reported once, by a number the sheet has; the counts add up.
    QMap<int, bool> reported;  // line -> saved
    auto take = [&reported](const QList<QString>& printed, bool saved) {
        for (const QString& l : printed) {
            const qsizetype colon = l.indexOf(QLatin1Char(':'));
            bool ok = false;
            const int line = l.mid(7, colon - 7).toInt(&ok);
            if (!l.startsWith(QStringLiteral("строка ")) || !ok || reported.contains(line))
                return false;
            reported.insert(line, saved);
        }
        return true;
    };
    if (!take(outLines, true) || !take(errLines, false))
        return false;
    if (counts.saved != outLines.size() || counts.refused != errLines.size() || files.size() != counts.saved)
        return false;
    // A line that no message names is the header or has nothing in it.
    bool header = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int line = static_cast<int>(i + 1);
        const QByteArray text = i == 0 && lines[i].startsWith("\xEF\xBB\xBF") ? lines[i].mid(3) : lines[i];
        const bool blank = std::all_of(text.cbegin(), text.cend(), [](char c) { return c == ',' || c == '"'; });
        if (reported.contains(line)) {
            if (header)
                return false;
        } else if (!blank) {
            if (!header)
                return false;
            header = false;
        }
    }
    // Each saved card reads back with an answer to every question.
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (OpenKartochka(s.app, files[i], 1) != CardOpen::Opened ||
            st.CardFields[1].Otvety.size() != st.test.QuestionCount)
            return false;
    }
    return true;
}

bool Journal(const QByteArray& data)
{
    // The input is one desk's file; a second desk's whole record sits beside it.
    const QString folder = Scratch();
    const QString logs = folder + store::kHiddenFolder + QStringLiteral("/journal/");
    QDir().mkpath(logs);
    Write(logs + QStringLiteral("a-2026-12.log"), data);
    const journal::Record known = journal::Make(QDateTime(QDate(2026, 12, 9), QTime(12, 0)), journal::kCardChanged,
                                                QStringLiteral("b.tnw"), QByteArray("1"), QByteArray("2"));
    Write(logs + QStringLiteral("b-2026-12.log"), journal::Encode(known) + '\n');
    const auto s = store::Open(folder);
    const QList<journal::Record> records = journal::Read(*s);
    if (!records.contains(known))
        return false;
    // Every record read is one the writer could have written: it reads back
    // the same, on one line.
    for (const journal::Record& r : records) {
        const QByteArray line = journal::Encode(r);
        if (line.contains('\n') || journal::Decode(line) != std::optional<journal::Record>(r))
            return false;
    }
    journal::Csv(records);
    return true;
}

bool Manifest(const QByteArray& data)
{
    const auto manifest = backup::DecodeManifest(data);
    if (!manifest)
        return true;
    // What is accepted is exactly what the writer writes, and names only
    // places inside a folder (or absolute places outside).
    if (backup::EncodeManifest(*manifest) != data)
        return false;
    for (const backup::ManifestFile& f : manifest->files) {
        if (!backup::SafeRelativePath(f.entry, true) || f.size < 0 || f.size > backup::kMaxFileBytes)
            return false;
        if (!f.original.isEmpty() && !f.original.startsWith('/') && !backup::SafeRelativePath(f.original, false))
            return false;
    }
    return true;
}

bool Consent(const QByteArray& data)
{
    // A record read is one the writer could have written.
    if (const std::optional<consent::Record> record = consent::Decode(data)) {
        if (consent::Decode(consent::Encode(*record)) != record)
            return false;
    }
    // Whatever the author's text holds, what is shown runs nothing.
    const QString fragment = consent::Fragment(data).toLower();
    for (const char* active : {"<script", "<iframe", "<object", "<embed", "javascript:", "vbscript:"})
        if (fragment.contains(QLatin1String(active)))
            return false;
    static const QRegularExpression handler(QStringLiteral("<[^>]*[\\s/]on[a-z]+\\s*="));
    return !fragment.contains(handler);
}

bool WeightsBlock(const QByteArray& data)
{
    // Three questions of two, three and ten answers, as a test file would
    // hand them over.
    const auto fresh = [] {
        weights::Table table;
        for (int last : {1, 2, 9}) {
            weights::QuestionWeights w;
            w.lastAnswer = last;
            table.questions.push_back(w);
        }
        return table;
    };
    weights::Table table = fresh();
    const weights::Block block = weights::DecodeBlock(data, table);
    if (table.questions.size() != 3)
        return false;
    const auto& levels = weights::kImportances;
    for (const weights::QuestionWeights& w : table.questions) {
        if (block != weights::Block::Read) {
            if (w.importance != 1 || w.together != clsTest::SameAnswerOnly())
                return false;
            continue;
        }
        if (std::find(levels.begin(), levels.end(), w.importance) == levels.end())
            return false;
        for (int a = 0; a <= w.lastAnswer; ++a) {
            if (w.together[static_cast<size_t>(a)] >> (w.lastAnswer + 1))
                return false;
        }
    }
    if (block != weights::Block::Read || !table.used)
        return block != weights::Block::Read || weights::EncodeBlock(table).isEmpty();
    // What was read is written back the same and reads back the same.
    weights::Table again = fresh();
    if (weights::DecodeBlock(weights::EncodeBlock(table), again) != weights::Block::Read)
        return false;
    for (size_t q = 0; q < 3; ++q) {
        if (again.questions[q].importance != table.questions[q].importance ||
            again.questions[q].together != table.questions[q].together)
            return false;
    }
    return true;
}

}  // namespace harness

