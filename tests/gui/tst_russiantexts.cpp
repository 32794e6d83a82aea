#include "shell/ProgramSetup.h"
#include "shell/QtPlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

namespace {
// Runs `look` on the modal dialog once it is up, then closes it.
void whileModal(const std::function<void(QWidget*)>& look)
{
    QTimer::singleShot(0, [look] {
        QWidget* modal = nullptr;
        QTRY_VERIFY((modal = QApplication::activeModalWidget()) != nullptr);
        // Closed even when a check inside `look` fails and returns early.
        auto close = qScopeGuard([modal] {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        });
        look(modal);
    });
}

QStringList texts(const QList<QLabel*>& labels)
{
    QStringList out;
    for (const QLabel* label : labels)
        out << label->text();
    return out;
}
}

// Qt's own texts of every dialog and box that the program shows appear in
// Russian: the program speaks Russian throughout.
class TestRussianTexts : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

private Q_SLOTS:
    void initTestCase()
    {
        // Qt's dialogs keep their state in a settings file of the user's.
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(installRussianQtTexts(*qApp));
        QVERIFY(tmp.isValid());
        QFile file(tmp.path() + QStringLiteral("/Знакомства.tnd"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    void fileDialogSpeaksRussian()
    {
        QtPlatform platform;
        QStringList labels, buttons, columns;
        QString fileType;
        whileModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            labels = texts(dialog->findChildren<QLabel*>());
            for (const QPushButton* button : dialog->findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
                buttons << button->text();
            const QHeaderView* header = dialog->findChild<QTreeView*>()->header();
            for (int i = 0; i < header->count(); ++i)
                columns << header->model()->headerData(i, Qt::Horizontal).toString();
            fileType = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
        });
        platform.fileDialog(false, QString(), {{QStringLiteral("Tests (*.tnd)"), QStringLiteral("*.tnd")}},
                            tmp.path());
        QVERIFY2(labels.contains(QStringLiteral("Перейти к:")), qPrintable(labels.join(u'|')));
        QVERIFY2(labels.contains(QStringLiteral("&Имя файла:")), qPrintable(labels.join(u'|')));
        QVERIFY2(labels.contains(QStringLiteral("Типы файлов:")), qPrintable(labels.join(u'|')));
        QVERIFY2(buttons.contains(QStringLiteral("&Открыть")), qPrintable(buttons.join(u'|')));
        QVERIFY2(buttons.contains(QStringLiteral("Отмена")), qPrintable(buttons.join(u'|')));
        QCOMPARE(columns, (QStringList{QStringLiteral("Имя"), QStringLiteral("Размер"), QStringLiteral("Тип"),
                                       QStringLiteral("Дата изменения")}));
        QCOMPARE(fileType, QStringLiteral("Tests (*.tnd)"));
    }

    // Size, type and date are shown whole, even after a run that left them
    // narrow (Qt's dialog remembers its columns across runs).
    void fileDialogColumnsStayReadable()
    {
        QtPlatform platform;
        const auto listed = [](QWidget* modal) {
            QTreeView* list = modal->findChild<QTreeView*>();
            [[maybe_unused]] const bool shown =
                QTest::qWaitFor([list] { return list->model()->rowCount(list->rootIndex()) == 1; });
            return list;
        };
        whileModal([&](QWidget* modal) {
            QTreeView* list = listed(modal);
            QCOMPARE(list->model()->rowCount(list->rootIndex()), 1);
            for (int column = 1; column <= 3; ++column)
                list->header()->resizeSection(column, 20);
        });
        platform.fileDialog(false, QString(), {}, tmp.path());
        whileModal([&](QWidget* modal) {
            QTreeView* list = listed(modal);
            for (int column = 1; column <= 3; ++column) {
                QTRY_VERIFY(list->header()->sectionSize(column) >=
                            static_cast<QAbstractItemView*>(list)->sizeHintForColumn(column));
            }
        });
        platform.fileDialog(false, QString(), {}, tmp.path());
    }

    void messageBoxButtonsSpeakRussian()
    {
        QtPlatform platform;
        QStringList buttons;
        whileModal([&](QWidget* modal) {
            for (const QAbstractButton* button : qobject_cast<QMessageBox*>(modal)->buttons())
                buttons << button->text();
            qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click();
        });
        const MsgAnswer answer = platform.messageBox(QStringLiteral("Закрыть программу?"), QStringLiteral("Тандемо"),
                                                     MsgButtons::YesNo, MsgIcon::None, MsgAnswer::Yes);
        QCOMPARE(answer, MsgAnswer::No);
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral("&Да"), QStringLiteral("&Нет")}));
    }

    void textBoxMenuSpeaksRussian()
    {
        QLineEdit box;
        box.setText(QStringLiteral("Анна"));
        std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        QStringList items;
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator())
                items << action->text().section(u'\t', 0, 0);
        }
        QVERIFY2(items.contains(QStringLiteral("&Отменить действие")), qPrintable(items.join(u'|')));
        QVERIFY2(items.contains(QStringLiteral("В&ставить")), qPrintable(items.join(u'|')));
        QVERIFY2(items.contains(QStringLiteral("Выделить всё")), qPrintable(items.join(u'|')));
    }

    // Wide enough for the name, size, type and date columns; the size the
    // user leaves it at is the size it opens at next time in the same run.
    void fileDialogSizeIsKeptWithinARun()
    {
        QtPlatform platform;
        QSize first, second;
        whileModal([&](QWidget* modal) {
            first = modal->size();
            modal->resize(640, 420);
        });
        platform.fileDialog(false, QString(), {}, tmp.path());
        whileModal([&](QWidget* modal) { second = modal->size(); });
        platform.fileDialog(true, QStringLiteral("x.tnd"), {}, tmp.path());
        const QSize screen = qApp->primaryScreen()->availableSize();
        QCOMPARE(first, QSize(900, 560).boundedTo(screen));
        QCOMPARE(second, QSize(640, 420));
    }
};

QTEST_MAIN(TestRussianTexts)
#include "tst_russiantexts.moc"
