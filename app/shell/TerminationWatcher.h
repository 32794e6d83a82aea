#pragma once

#include <QObject>

class QSocketNotifier;

// The desktop asks a program to end with SIGTERM (logging out, shutting down,
// an administrator closing the kiosk). The watcher turns that signal into an
// ordinary request on the event loop, so that the program closes as if its
// window were closed and keeps its settings.
class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    // Call first thing: from then on a SIGTERM waits for the event loop
    // instead of ending the program.
    static void catchSigterm();
    // Needs the application object; delivers what was caught before too.
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

Q_SIGNALS:
    void terminationRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};
