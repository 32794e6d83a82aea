#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

// A person at an X11 desk, for the tests under x11/: real keys and clicks
// through the X server (xdotool).

inline QPoint centreOf(const QWidget* widget)
{
    return widget->mapToGlobal(widget->rect().center());
}

// Steps of a person at the desk, each tried on a timer until it says it is
// done. A step starts xdotool beside the program, whose modal dialogs keep
// their own event loops meanwhile; the next step waits until xdotool is done.
class Person : public QObject {
public:
    using Step = std::function<bool()>;
    std::deque<std::pair<QString, Step>> steps;
    QString failed;
    QString lastStep;

    void then(const QString& what, Step step) { steps.emplace_back(what, std::move(step)); }

    // xdotool runs, one after the other.
    void xdotool(const QStringList& args) { xdotools({args}); }
    void xdotools(QList<QStringList> runs)
    {
        if (runs.isEmpty()) {
            busy_ = false;
            return;
        }
        busy_ = true;
        auto* tool = new QProcess(this);
        const QStringList args = runs.takeFirst();
        connect(tool, &QProcess::finished, this, [this, tool, runs] {
            tool->deleteLater();
            xdotools(runs);
        });
        tool->start(QStringLiteral("xdotool"), args);
    }
    void click(const QPoint& at)
    {
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                 QStringLiteral("1")});
    }
    // Clicks into a line edit, selects its text and types `text` over it,
    // then presses Enter.
    void typeInto(const QWidget* edit, const QString& text)
    {
        const QPoint at = centreOf(edit);
        xdotools({{QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                   QStringLiteral("click"), QStringLiteral("1"), QStringLiteral("key"), QStringLiteral("ctrl+a")},
                  {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text},
                  {QStringLiteral("key"), QStringLiteral("Return")}});
    }

    // Goes through the steps from a timer, while the program runs on.
    void start()
    {
        connect(&tick_, &QTimer::timeout, this, [this] {
            if (busy_ || steps.empty())
                return;
            lastStep = steps.front().first;
            if (steps.front().second())
                steps.pop_front();
        });
        tick_.start(50);
    }
    // Runs the steps; false when they did not all finish within `timeoutMs`.
    bool run(int timeoutMs)
    {
        start();
        QElapsedTimer waited;
        waited.start();
        while (!steps.empty() && waited.elapsed() < timeoutMs)
            QTest::qWait(20);
        tick_.stop();
        return steps.empty();
    }

private:
    QTimer tick_;
    bool busy_ = false;
};
