#include "Generator.h"

#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "ground/Kartochka.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/HeadlessPlatform.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace gen {

namespace {

const QStringList kMenNames{
    QStringLiteral("Александр"), QStringLiteral("Дмитрий"), QStringLiteral("Максим"),   QStringLiteral("Сергей"),
    QStringLiteral("Андрей"),    QStringLiteral("Алексей"), QStringLiteral("Артём"),    QStringLiteral("Илья"),
    QStringLiteral("Кирилл"),    QStringLiteral("Михаил"),  QStringLiteral("Никита"),   QStringLiteral("Матвей"),
    QStringLiteral("Роман"),     QStringLiteral("Егор"),    QStringLiteral("Арсений"),  QStringLiteral("Иван"),
    QStringLiteral("Денис"),     QStringLiteral("Евгений"), QStringLiteral("Даниил"),   QStringLiteral("Тимофей"),
    QStringLiteral("Владислав"), QStringLiteral("Игорь"),   QStringLiteral("Владимир"), QStringLiteral("Павел"),
    QStringLiteral("Руслан"),    QStringLiteral("Марк"),    QStringLiteral("Константин"), QStringLiteral("Тимур"),
    QStringLiteral("Олег"),      QStringLiteral("Ярослав")};
const QStringList kWomenNames{
    QStringLiteral("Анна"),      QStringLiteral("Мария"),     QStringLiteral("Елена"),    QStringLiteral("Дарья"),
    QStringLiteral("Алина"),     QStringLiteral("Ирина"),     QStringLiteral("Екатерина"), QStringLiteral("Арина"),
    QStringLiteral("Полина"),    QStringLiteral("Ольга"),     QStringLiteral("Юлия"),     QStringLiteral("Татьяна"),
    QStringLiteral("Наталья"),   QStringLiteral("Виктория"),  QStringLiteral("Елизавета"), QStringLiteral("Анастасия"),
    QStringLiteral("Ксения"),    QStringLiteral("Валерия"),   QStringLiteral("Светлана"), QStringLiteral("Вера"),
    QStringLiteral("Алёна"),     QStringLiteral("Софья"),     QStringLiteral("Людмила"),  QStringLiteral("Марина"),
    QStringLiteral("Галина"),    QStringLiteral("Надежда"),   QStringLiteral("Любовь"),   QStringLiteral("Оксана"),
    QStringLiteral("Кристина"),  QStringLiteral("Вероника")};
// Men's form; the women's form adds "а".
const QStringList kSurnames{
    QStringLiteral("Иванов"),   QStringLiteral("Смирнов"),  QStringLiteral("Кузнецов"), QStringLiteral("Попов"),
    QStringLiteral("Васильев"), QStringLiteral("Петров"),   QStringLiteral("Соколов"),  QStringLiteral("Михайлов"),
    QStringLiteral("Новиков"),  QStringLiteral("Фёдоров"),  QStringLiteral("Морозов"),  QStringLiteral("Волков"),
    QStringLiteral("Алексеев"), QStringLiteral("Лебедев"),  QStringLiteral("Семёнов"),  QStringLiteral("Егоров"),
    QStringLiteral("Павлов"),   QStringLiteral("Козлов"),   QStringLiteral("Степанов"), QStringLiteral("Николаев"),
    QStringLiteral("Орлов"),    QStringLiteral("Андреев"),  QStringLiteral("Макаров"),  QStringLiteral("Никитин"),
    QStringLiteral("Захаров"),  QStringLiteral("Зайцев"),   QStringLiteral("Соловьёв"), QStringLiteral("Борисов"),
    QStringLiteral("Яковлев"),  QStringLiteral("Григорьев")};
// The texts of the card dialog's lists.
const QStringList kMenHair{QStringLiteral("Блондин"), QStringLiteral("Брюнет"), QStringLiteral("Шатен"),
                           QStringLiteral("Русый"), QStringLiteral("Без волос")};
const QStringList kWomenHair{QStringLiteral("Блондинка"), QStringLiteral("Брюнетка"), QStringLiteral("Шатенка"),
                             QStringLiteral("Русый")};
const QStringList kEyes{QStringLiteral("Голубые"), QStringLiteral("Зелёные"), QStringLiteral("Карие")};
const QStringList kZodiac{QStringLiteral("Овен"),  QStringLiteral("Телец"),    QStringLiteral("Близнецы"),
                          QStringLiteral("Рак"),   QStringLiteral("Лев"),      QStringLiteral("Дева"),
                          QStringLiteral("Весы"),  QStringLiteral("Скорпион"), QStringLiteral("Стрелец"),
                          QStringLiteral("Козерог"), QStringLiteral("Водолей"), QStringLiteral("Рыбы")};
const QStringList kAbout{QStringLiteral("Люблю книги и долгие прогулки"),
                         QStringLiteral("Работаю инженером, по выходным катаюсь на велосипеде"),
                         QStringLiteral("Весёлый человек, люблю готовить для друзей"),
                         QStringLiteral("Учусь рисовать, обожаю театр"),
                         QStringLiteral("Спокойный домосед, люблю кошек")};
const QStringList kSeeking{QStringLiteral("Серьёзные отношения"), QStringLiteral("Друга по интересам"),
                           QStringLiteral("Спутника для путешествий"), QStringLiteral("Создать семью")};
const QStringList kCities{QStringLiteral("Москва"), QStringLiteral("Санкт-Петербург"), QStringLiteral("Казань"),
                          QStringLiteral("Новосибирск"), QStringLiteral("Екатеринбург"), QStringLiteral("Тверь")};

constexpr int kProfiles = 4;

QString pick(Rng& rng, const QStringList& list)
{
    return list[rng.below(static_cast<int>(list.size()))];
}


bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

struct DemoQuestion {
    QString text;
    QStringList answers;
};

const QList<DemoQuestion> kDemoQuestions{
    {QStringLiteral("Как вы предпочитаете проводить выходные?"),
     {QStringLiteral("Дома с книгой или фильмом"), QStringLiteral("В компании друзей"),
      QStringLiteral("На природе, в походе"), QStringLiteral("В поездках по новым местам"),
      QStringLiteral("За работой или учёбой")}},
    {QStringLiteral("Какое время суток вам ближе всего?"),
     {QStringLiteral("Раннее утро"), QStringLiteral("День"), QStringLiteral("Вечер"), QStringLiteral("Глубокая ночь")}},
    {QStringLiteral("Как вы относитесь к домашним животным?"),
     {QStringLiteral("Обожаю кошек"), QStringLiteral("Обожаю собак"), QStringLiteral("Люблю любых зверей"),
      QStringLiteral("Предпочитаю жить без животных")}},
    {QStringLiteral("Что для вас главное в отношениях?"),
     {QStringLiteral("Доверие"), QStringLiteral("Страсть"), QStringLiteral("Общие интересы"),
      QStringLiteral("Надёжность"), QStringLiteral("Чувство юмора")}},
    {QStringLiteral("Какую кухню вы любите больше всего?"),
     {QStringLiteral("Домашнюю"), QStringLiteral("Итальянскую"), QStringLiteral("Японскую"),
      QStringLiteral("Кавказскую"), QStringLiteral("Любую, лишь бы вкусно")}},
    {QStringLiteral("Как вы относитесь к спорту?"),
     {QStringLiteral("Занимаюсь регулярно"), QStringLiteral("Иногда, под настроение"),
      QStringLiteral("Только смотрю"), QStringLiteral("Не интересуюсь")}},
    {QStringLiteral("Где бы вы хотели жить?"),
     {QStringLiteral("В большом городе"), QStringLiteral("В небольшом городе"),
      QStringLiteral("За городом, в своём доме"), QStringLiteral("У моря")}},
    {QStringLiteral("Сколько детей вы хотели бы иметь?"),
     {QStringLiteral("Ни одного"), QStringLiteral("Одного"), QStringLiteral("Двоих"),
      QStringLiteral("Троих и больше"), QStringLiteral("Пока не думал(а) об этом")}},
    {QStringLiteral("Какую музыку вы слушаете чаще всего?"),
     {QStringLiteral("Классическую"), QStringLiteral("Рок"), QStringLiteral("Поп"), QStringLiteral("Джаз"),
      QStringLiteral("Авторскую песню"), QStringLiteral("Электронную")}},
    {QStringLiteral("Как вы поступаете, когда возникает спор?"),
     {QStringLiteral("Сразу всё обсуждаю"), QStringLiteral("Беру паузу, чтобы остыть"),
      QStringLiteral("Чаще уступаю"), QStringLiteral("Отстаиваю своё до конца")}},
    {QStringLiteral("Идеальный отпуск &mdash; это..."),
     {QStringLiteral("Пляж и тёплое море"), QStringLiteral("Горы и походы"),
      QStringLiteral("Экскурсии по старинным городам"), QStringLiteral("Дача и огород"),
      QStringLiteral("Дома на диване")}},
    {QStringLiteral("Как вы относитесь к курению?"),
     {QStringLiteral("Курю"), QStringLiteral("Бросаю"), QStringLiteral("Не курю, но не против"),
      QStringLiteral("Категорически против")}},
};

}  // namespace

std::uint64_t Rng::next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

bool WritePeople(const PeoplePlan& plan)
{
    HeadlessPlatform platform;
    App app(platform);
    app.st.folders.PathSep = QStringLiteral("/");
    app.st.folders.WorkFolder = plan.folder;
    app.st.test.TestFilePath = plan.folder + plan.testBaseName + QStringLiteral(".tnd");

    Rng rng(plan.seed);
    // A few shared ways of answering; each person mostly follows one of them.
    QList<QString> profiles;
    for (int p = 0; p < kProfiles; ++p) {
        QString answers;
        for (int count : plan.answerCounts)
            answers += QChar(u'0' + rng.below(count));
        profiles << answers;
    }

    const int total = plan.men + plan.women;
    for (int i = 0; i < total; ++i) {
        // Men and women alternate until one sex runs out.
        const bool woman = i < 2 * std::min(plan.men, plan.women) ? i % 2 == 1 : plan.women > plan.men;
        Kartochka card;
        card.Pol = woman ? 1 : 0;
        card.NameFamiliya = pick(rng, woman ? kWomenNames : kMenNames) + QLatin1Char(' ') +
                            pick(rng, kSurnames) + (woman ? QStringLiteral("а") : QString());
        card.DataRogdeniya = 1965 + rng.below(40);
        const QString& profile = profiles[rng.below(kProfiles)];
        for (qsizetype q = 0; q < plan.answerCounts.size(); ++q)
            card.Otvety += rng.below(100) < 65 ? profile[q] : QChar(u'0' + rng.below(plan.answerCounts[q]));
        if (rng.below(100) < plan.detailsPercent) {
            card.Podrobnee = 1;
            const int height = woman ? 155 + rng.below(25) : 165 + rng.below(30);
            card.Podrobnosti[0] = QStringLiteral("%1,%2").arg(height / 100).arg(height % 100, 2, 10, QLatin1Char('0'));
            card.Podrobnosti[1] = QString::number(woman ? 48 + rng.below(30) : 62 + rng.below(35));
            card.Podrobnosti[2] = pick(rng, woman ? kWomenHair : kMenHair);
            card.Podrobnosti[3] = pick(rng, kEyes);
            card.Podrobnosti[4] = pick(rng, kZodiac);
            card.Podrobnosti[5] = pick(rng, kAbout);
            card.Podrobnosti[6] = pick(rng, kSeeking);
            card.Podrobnosti[7] = pick(rng, kCities);
        }
        card.Parol = plan.password;
        const QString name = PersonFileName(app, card, plan.firstResult.addSecs(i));
        if (!writeFile(plan.folder + name, PersonFileContent(card)))
            return false;
    }
    return true;
}

bool WriteDemoFolder(const QString& folder, const QString& password)
{
    HeadlessPlatform platform;
    App app(platform);
    AppState& st = app.st;
    st.folders.PathSep = QStringLiteral("/");
    st.test.TestName = QStringLiteral("Знакомства");
    st.test.TestPassword = password;
    st.test.QuestionCount = static_cast<int>(kDemoQuestions.size());
    st.test.Questions.resizeFresh(st.test.QuestionCount);
    QList<int> answerCounts;
    for (int q = 1; q <= st.test.QuestionCount; ++q) {
        const DemoQuestion& d = kDemoQuestions[q - 1];
        clsTest& question = st.test.Questions[q];
        question.Vopros = d.text;
        question.CountOtvetov = static_cast<int>(d.answers.size()) - 1;
        for (int i = 0; i <= question.CountOtvetov; ++i)
            question.AddOtvety(i, d.answers[i]);
        answerCounts << static_cast<int>(d.answers.size());
    }
    // A fixed seed keeps the file the same each time it is made.
    if (!writeFile(folder + kDemoTestFile, TestFileContent(app, 271828)))
        return false;

    PeoplePlan plan;
    plan.folder = folder;
    plan.testBaseName = QStringLiteral("Знакомства");
    plan.men = 30;
    plan.women = 30;
    plan.answerCounts = answerCounts;
    plan.password = password;
    plan.seed = 2024;
    return WritePeople(plan);
}

}  // namespace gen
