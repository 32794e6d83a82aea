#include "engines/PersonData.h"

#include "engines/Desk.h"
#include "engines/Evening.h"
#include "engines/FolderStore.h"
#include "engines/PersonFile.h"
#include "ground/AppState.h"
#include "ground/FolderWrite.h"
#include "ground/HtmlEscape.h"
#include "ground/Platform.h"
#include "ground/TextFile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <array>

namespace persondata {

namespace {

const std::array<QString, 9> kDetailLabels{
    QStringLiteral("Рост (м)"), QStringLiteral("Вес (кг)"), QStringLiteral("Цвет волос"),
    QStringLiteral("Глаза"),    QStringLiteral("Зодиак"),   QStringLiteral("О себе"),
    QStringLiteral("Ищу"),      QStringLiteral("Адрес"),    QStringLiteral("Фотография")};
const std::array<QString, 9> kDetailKeys{
    QStringLiteral("height"), QStringLiteral("weight"), QStringLiteral("hair"),
    QStringLiteral("eyes"),   QStringLiteral("zodiac"), QStringLiteral("about"),
    QStringLiteral("seeking"), QStringLiteral("address"), QStringLiteral("photo")};

QString sexText(int pol)
{
    return pol != 0 ? QStringLiteral("женщина") : QStringLiteral("мужчина");
}

// An answer or question is an HTML fragment of the author's (with pictures
// and clips): the machine-readable copies carry it as written, the paper
// copy as its plain text.
QString plainText(const QString& html)
{
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    QString text = html;
    text.replace(QRegularExpression(QStringLiteral("<br\\s*/?>"), QRegularExpression::CaseInsensitiveOption),
                 QStringLiteral(" "));
    text.remove(tags);
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.simplified();
}

// The store's items are text the program wrote; anything else is shown as
// the bytes' hex so that the copy stays valid UTF-8.
QString itemText(const QByteArray& bytes)
{
    const QString text = QString::fromUtf8(bytes);
    return text.toUtf8() == bytes ? text : QStringLiteral("hex:") + QString::fromLatin1(bytes.toHex());
}

void csvRow(QByteArray& out, const QString& section, const QString& field, const QString& value)
{
    out += journal::CsvField(section.toUtf8()) + ',' + journal::CsvField(field.toUtf8()) + ',' +
           journal::CsvField(value.toUtf8()) + "\r\n";
}

QString consentAnswer(bool given)
{
    return given ? QStringLiteral("дано") : QStringLiteral("не дано");
}

}  // namespace

QStringList PersonKinds()
{
    return {consent::kKind, desk::kNotesKind};
}

QList<MentionKind> MentionKinds()
{
    const auto shardKeys = [](store::FolderStore&, const QString& personFile) {
        return QStringList{desk::ShardOf(personFile)};
    };
    const Part shardPart = [](const QByteArray& bytes, const QString& personFile) {
        return desk::ShardPart(bytes, personFile);
    };
    const Part shardWithout = [](const QByteArray& bytes, const QString& personFile) -> std::optional<QByteArray> {
        return desk::ShardWithout(bytes, personFile);
    };
    // An introduction names two people: it is both one's and the other's, and
    // goes with either.
    const auto pairKeys = [](store::FolderStore& store, const QString& personFile) {
        QStringList keys;
        for (const QString& key : store.keys(desk::kIntroductionsKind)) {
            const auto two = desk::PairOfKey(key);
            if (two && (two->first == personFile || two->second == personFile))
                keys.append(key);
        }
        return keys;
    };
    const Part whole = [](const QByteArray& bytes, const QString&) -> std::optional<QByteArray> { return bytes; };
    const Part gone = [](const QByteArray&, const QString&) -> std::optional<QByteArray> { return std::nullopt; };
    // An evening names its guests: the club's evenings are few, each is read.
    const auto eveningKeys = [](store::FolderStore& store, const QString& personFile) {
        QStringList keys;
        for (const QString& key : store.keys(evening::kKind)) {
            const std::optional<store::Item> item = store.read(evening::kKind, key);
            if (item && evening::GuestPart(item->bytes, personFile))
                keys.append(key);
        }
        return keys;
    };
    return {{desk::kSeekingKind, shardKeys, shardPart, shardWithout},
            {desk::kStatusKind, shardKeys, shardPart, shardWithout},
            {desk::kIntroductionsKind, pairKeys, whole, gone},
            {evening::kKind, eveningKeys, evening::GuestPart, evening::BytesWithout}};
}

QString KindText(const QString& kind)
{
    if (kind == consent::kKind)
        return QStringLiteral("запись о согласии");
    if (kind == desk::kNotesKind)
        return QStringLiteral("заметки оператора и напоминание");
    if (kind == desk::kSeekingKind)
        return QStringLiteral("кого ищет (возраст, рост, внешность)");
    if (kind == desk::kStatusKind)
        return QStringLiteral("статус");
    if (kind == desk::kIntroductionsKind)
        return QStringLiteral("знакомства с другими людьми");
    if (kind == evening::kKind)
        return QStringLiteral("вечера знакомств и отметки");
    return QStringLiteral("сведения «") + kind + QStringLiteral("»");
}

CardRead ReadCard(const QString& path, Kartochka& card, QByteArray* bytes)
{
    textfile::Lines lines;
    QByteArray content;
    switch (textfile::readLines(path, lines, textfile::kMaxCardBytes, kCardMarker, &content)) {
    case textfile::ReadResult::NotFound:
        return CardRead::NotFound;
    case textfile::ReadResult::Failed:
        return CardRead::Failed;
    case textfile::ReadResult::Foreign:
        return CardRead::Foreign;
    case textfile::ReadResult::Ok:
        break;
    }
    lines.next();  // the marker
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    card = KartochkaFromLines(lines, name);
    card.OnDisk = content;
    if (bytes)
        *bytes = std::move(content);
    return CardRead::Ok;
}

QString CardReadMessage(CardRead result)
{
    switch (result) {
    case CardRead::NotFound:
        return QStringLiteral("Файл не найден");
    case CardRead::Foreign:
        return QStringLiteral("Файл не подходит к программе.");
    case CardRead::Failed:
    case CardRead::Ok:
        break;
    }
    return QStringLiteral("Файл открыть не возможно");
}

bool Gather(const QString& folder, const QString& personFile, const TestInMemory* test, Bundle& bundle,
            QString& error)
{
    bundle = Bundle{};
    bundle.folder = folder;
    const CardRead read = ReadCard(folder + personFile, bundle.card, &bundle.cardBytes);
    if (read != CardRead::Ok) {
        error = CardReadMessage(read);
        return false;
    }
    bundle.card.FileName = personFile;

    const QString& answers = bundle.card.Otvety;
    const int questions = test ? std::max<int>(test->QuestionCount, static_cast<int>(answers.size()))
                               : static_cast<int>(answers.size());
    if (test)
        bundle.testName = test->TestName;
    for (int q = 1; q <= questions; ++q) {
        Answer a;
        a.question = q;
        const qsizetype at = q - 1;
        if (at < answers.size() && answers[at].isDigit())
            a.answer = answers[at].digitValue();
        if (test && q <= test->QuestionCount && q <= test->Questions.upperBound()) {
            const clsTest& question = test->Questions[q];
            a.questionText = question.Vopros;
            if (a.answer >= 0 && a.answer <= question.CountOtvetov)
                a.answerText = question.ListOtvety(a.answer);
        }
        bundle.answers.append(a);
    }

    const std::unique_ptr<store::FolderStore> store = store::Open(folder);
    const QString key = store::KeyOf(personFile);
    for (const QString& kind : PersonKinds()) {
        if (std::optional<store::Item> item = store->read(kind, key))
            bundle.stored.append({kind, key, item->bytes});
    }
    for (const MentionKind& mention : MentionKinds()) {
        for (const QString& other : mention.keys(*store, personFile)) {
            const std::optional<store::Item> item = store->read(mention.kind, other);
            if (!item)
                continue;
            if (const std::optional<QByteArray> part = mention.part(item->bytes, personFile))
                bundle.stored.append({mention.kind, other, *part});
        }
    }
    bundle.consent = consent::Load(*store, personFile);
    for (const journal::Record& record : journal::Read(*store))
        if (record.file == personFile)
            bundle.journal.append(record);
    return true;
}

QByteArray Json(const Bundle& bundle, const QDateTime& made)
{
    const Kartochka& card = bundle.card;
    QJsonObject details;
    for (size_t i = 0; i < kDetailKeys.size(); ++i)
        details.insert(kDetailKeys[i], card.Podrobnosti[i]);
    QJsonObject cardObject{
        {QStringLiteral("name"), card.NameFamiliya},
        {QStringLiteral("yearOfBirth"), card.DataRogdeniyaKnown ? QJsonValue(card.DataRogdeniya) : QJsonValue()},
        {QStringLiteral("sex"), sexText(card.Pol)},
        {QStringLiteral("hasDetails"), card.Podrobnee == 1},
        {QStringLiteral("details"), details},
        {QStringLiteral("answers"), card.Otvety},
    };
    QJsonArray answers;
    for (const Answer& a : bundle.answers) {
        answers.append(QJsonObject{
            {QStringLiteral("question"), a.question},
            {QStringLiteral("questionText"), a.questionText},
            {QStringLiteral("answer"), a.answer >= 0 ? QJsonValue(a.answer + 1) : QJsonValue()},
            {QStringLiteral("answerText"), a.answerText},
        });
    }
    QJsonValue consentValue;
    if (bundle.consent) {
        consentValue = QJsonObject{
            {QStringLiteral("data"), bundle.consent->data},
            {QStringLiteral("photo"), bundle.consent->photo},
            {QStringLiteral("time"), journal::TimeText(bundle.consent->time)},
            {QStringLiteral("textSha256"), QString::fromLatin1(bundle.consent->textSha256)},
        };
    }
    QJsonArray stored;
    for (const StoredItem& item : bundle.stored)
        stored.append(QJsonObject{{QStringLiteral("kind"), item.kind},
                                  {QStringLiteral("key"), store::NameOfKey(item.key)},
                                  {QStringLiteral("content"), itemText(item.bytes)}});
    QJsonArray records;
    for (const journal::Record& r : bundle.journal)
        records.append(QJsonObject{{QStringLiteral("time"), journal::TimeText(r.time)},
                                   {QStringLiteral("desk"), r.desk},
                                   {QStringLiteral("user"), r.user},
                                   {QStringLiteral("action"), r.action},
                                   {QStringLiteral("file"), textfile::readableName(r.file)},
                                   {QStringLiteral("sha256Before"), QString::fromLatin1(r.before)},
                                   {QStringLiteral("sha256After"), QString::fromLatin1(r.after)}});
    const QJsonObject root{
        {QStringLiteral("format"), QStringLiteral("tandemo-person-data")},
        {QStringLiteral("version"), 1},
        {QStringLiteral("made"), journal::TimeText(made)},
        {QStringLiteral("personFile"), textfile::readableName(card.FileName)},
        {QStringLiteral("test"), bundle.testName},
        {QStringLiteral("card"), cardObject},
        {QStringLiteral("questions"), answers},
        {QStringLiteral("consent"), consentValue},
        {QStringLiteral("stored"), stored},
        {QStringLiteral("journal"), records},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray Csv(const Bundle& bundle)
{
    const Kartochka& card = bundle.card;
    QByteArray out = QStringLiteral("раздел,поле,значение\r\n").toUtf8();
    const QString c = QStringLiteral("карточка");
    csvRow(out, c, QStringLiteral("Файл"), textfile::readableName(card.FileName));
    csvRow(out, c, QStringLiteral("Имя и фамилия"), card.NameFamiliya);
    csvRow(out, c, QStringLiteral("Год рождения"),
           card.DataRogdeniyaKnown ? QString::number(card.DataRogdeniya) : QString());
    csvRow(out, c, QStringLiteral("Пол"), sexText(card.Pol));
    csvRow(out, c, QStringLiteral("Подробнее"), card.Podrobnee == 1 ? QStringLiteral("да") : QStringLiteral("нет"));
    for (size_t i = 0; i < kDetailLabels.size(); ++i)
        csvRow(out, c, kDetailLabels[i], card.Podrobnosti[i]);
    csvRow(out, c, QStringLiteral("Ответы"), card.Otvety);
    for (const Answer& a : bundle.answers) {
        const QString section = QStringLiteral("вопрос ") + QString::number(a.question);
        csvRow(out, section, QStringLiteral("вопрос"), a.questionText);
        csvRow(out, section, QStringLiteral("номер ответа"), a.answer >= 0 ? QString::number(a.answer + 1) : QString());
        csvRow(out, section, QStringLiteral("ответ"), a.answerText);
    }
    if (bundle.consent) {
        const QString s = QStringLiteral("согласие");
        csvRow(out, s, QStringLiteral("на хранение данных"), consentAnswer(bundle.consent->data));
        csvRow(out, s, QStringLiteral("на хранение фотографии"), consentAnswer(bundle.consent->photo));
        csvRow(out, s, QStringLiteral("время"), journal::TimeText(bundle.consent->time));
        csvRow(out, s, QStringLiteral("SHA-256 текста"), QString::fromLatin1(bundle.consent->textSha256));
    }
    for (const StoredItem& item : bundle.stored)
        csvRow(out, QStringLiteral("хранится: ") + item.kind, store::NameOfKey(item.key), itemText(item.bytes));
    for (const journal::Record& r : bundle.journal)
        csvRow(out, QStringLiteral("журнал"), journal::TimeText(r.time),
               r.action + QStringLiteral("; ") + r.desk + QStringLiteral("; ") + r.user + QStringLiteral("; ") +
                   textfile::readableName(r.file) + QStringLiteral("; ") + QString::fromLatin1(r.before) +
                   QStringLiteral("; ") + QString::fromLatin1(r.after));
    return out;
}

QString Html(const Bundle& bundle, const QDateTime& made)
{
    const Kartochka& card = bundle.card;
    const auto row = [](const QString& label, const QString& value) {
        return QStringLiteral("<tr><td><b>") + HtmlText(label) + QStringLiteral("</b></td><td>") + HtmlText(value) +
               QStringLiteral("</td></tr>");
    };
    QString html = QStringLiteral("<html><head><meta charset='utf-8'></head><body>");
    html += QStringLiteral("<h1>Персональные данные</h1><p>Выгружено ") +
            HtmlText(made.toString(QStringLiteral("dd.MM.yyyy HH:mm"))) + QStringLiteral(". Файл: ") +
            HtmlText(textfile::readableName(card.FileName)) + QStringLiteral("</p>");
    html += QStringLiteral("<h2>Личная карточка</h2><table cellpadding='3'>");
    html += row(QStringLiteral("Имя и фамилия"), card.NameFamiliya);
    html += row(QStringLiteral("Год рождения"), card.DataRogdeniyaKnown ? QString::number(card.DataRogdeniya) : QString());
    html += row(QStringLiteral("Пол"), sexText(card.Pol));
    for (size_t i = 0; i < kDetailLabels.size(); ++i)
        html += row(kDetailLabels[i], card.Podrobnosti[i]);
    html += QStringLiteral("</table>");
    const QString& photo = card.Podrobnosti[8];
    if (!photo.isEmpty() && QFileInfo(photo).isFile())
        html += QStringLiteral("<p><img src='") + HtmlText(photo) + QStringLiteral("' width='240'></p>");
    html += QStringLiteral("<h2>Ответы") +
            (bundle.testName.isEmpty() ? QString() : QStringLiteral(" (тест «") + HtmlText(bundle.testName) + QStringLiteral("»)")) +
            QStringLiteral("</h2><table border='1' cellspacing='0' cellpadding='3'>"
                           "<tr><th>№</th><th>Вопрос</th><th>Ответ</th></tr>");
    for (const Answer& a : bundle.answers) {
        const QString answer = a.answer < 0 ? QString()
                                            : QString::number(a.answer + 1) +
                                                  (a.answerText.isEmpty() ? QString() : QStringLiteral(". ") + plainText(a.answerText));
        html += QStringLiteral("<tr><td>") + QString::number(a.question) + QStringLiteral("</td><td>") +
                HtmlText(plainText(a.questionText)) + QStringLiteral("</td><td>") + HtmlText(answer) +
                QStringLiteral("</td></tr>");
    }
    html += QStringLiteral("</table>");
    html += QStringLiteral("<h2>Согласие</h2>");
    if (bundle.consent) {
        html += QStringLiteral("<table cellpadding='3'>");
        html += row(QStringLiteral("На хранение данных"), consentAnswer(bundle.consent->data));
        html += row(QStringLiteral("На хранение фотографии"), consentAnswer(bundle.consent->photo));
        html += row(QStringLiteral("Время"), bundle.consent->time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
        html += row(QStringLiteral("SHA-256 текста"), QString::fromLatin1(bundle.consent->textSha256));
        html += QStringLiteral("</table>");
    } else {
        html += QStringLiteral("<p>Согласие не записано.</p>");
    }
    if (!bundle.stored.isEmpty()) {
        html += QStringLiteral("<h2>Другие сведения</h2><table border='1' cellspacing='0' cellpadding='3'>");
        for (const StoredItem& item : bundle.stored)
            html += row(KindText(item.kind), itemText(item.bytes));
        html += QStringLiteral("</table>");
    }
    html += QStringLiteral("<h2>Журнал изменений файла</h2>");
    if (bundle.journal.isEmpty()) {
        html += QStringLiteral("<p>Записей нет.</p>");
    } else {
        html += QStringLiteral("<table border='1' cellspacing='0' cellpadding='3'>"
                               "<tr><th>Время</th><th>Рабочее место</th><th>Пользователь</th><th>Действие</th></tr>");
        for (const journal::Record& r : bundle.journal)
            html += QStringLiteral("<tr><td>") + HtmlText(r.time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))) +
                    QStringLiteral("</td><td>") + HtmlText(r.desk) + QStringLiteral("</td><td>") + HtmlText(r.user) +
                    QStringLiteral("</td><td>") + HtmlText(r.action) + QStringLiteral("</td></tr>");
        html += QStringLiteral("</table>");
    }
    html += QStringLiteral("</body></html>");
    return html;
}

bool Export(Platform& platform, const Bundle& bundle, const QString& outFolder, QStringList& written,
            QString& error)
{
    written.clear();
    QString folder = outFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("Папку \"") + outFolder + QStringLiteral("\" создать не удалось.");
        return false;
    }
    const QString base = folder + bundle.card.FileName;
    const QDateTime made = platform.now();
    const std::array<std::pair<QString, QByteArray>, 2> files{
        std::pair{base + QStringLiteral(".json"), Json(bundle, made)},
        std::pair{base + QStringLiteral(".csv"), Csv(bundle)}};
    for (const auto& [path, bytes] : files) {
        if (textfile::saveAtomically(path, bytes) != textfile::SaveResult::Ok) {
            error = QStringLiteral("Файл \"") + path + QStringLiteral("\" сохранить не возможно.");
            return false;
        }
        written.append(path);
    }
    const QString pdfPath = base + QStringLiteral(".pdf");
    if (!platform.writePdf(Html(bundle, made), pdfPath)) {
        error = QStringLiteral("Файл \"") + pdfPath + QStringLiteral("\" сохранить не возможно.");
        return false;
    }
    written.append(pdfPath);
    return true;
}

QString ConsentFormHtml(const Kartochka& card, const consent::Record& record, const QByteArray& textShown)
{
    const auto choice = [](bool given, const QString& what) {
        return QStringLiteral("<p>") + (given ? QStringLiteral("[X] ") : QStringLiteral("[&nbsp;&nbsp;] ")) +
               what + QStringLiteral(": <b>") + consentAnswer(given) + QStringLiteral("</b></p>");
    };
    QString html = QStringLiteral("<html><head><meta charset='utf-8'></head><body>");
    html += consent::Fragment(textShown);
    html += QStringLiteral("<hr><table cellpadding='3'>");
    html += QStringLiteral("<tr><td><b>Имя и фамилия:</b></td><td>") + HtmlText(card.NameFamiliya) +
            QStringLiteral("</td></tr>");
    html += QStringLiteral("<tr><td><b>Год рождения:</b></td><td>") +
            (card.DataRogdeniyaKnown ? QString::number(card.DataRogdeniya) : QString()) + QStringLiteral("</td></tr>");
    html += QStringLiteral("<tr><td><b>Дата:</b></td><td>") +
            HtmlText(record.time.toString(QStringLiteral("dd.MM.yyyy HH:mm"))) + QStringLiteral("</td></tr>");
    html += QStringLiteral("</table>");
    html += choice(record.data, QStringLiteral("Согласие на обработку и хранение персональных данных"));
    html += choice(record.photo, QStringLiteral("Согласие на хранение фотографии"));
    html += QStringLiteral("<p style='font-size:8pt'>SHA-256 текста согласия: ") +
            QString::fromLatin1(record.textSha256) + QStringLiteral("</p>");
        html += QStringLiteral("<p>Подпись: ______________ / ______________ /</p>"
                           "<p>Дата: «____» ______________ 20___ г.</p>"
                           "<p>Представитель оператора: ______________ / ______________ /</p>");
    html += QStringLiteral("</body></html>");
    return html;
}

}  // namespace persondata
