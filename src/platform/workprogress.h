#pragma once
// Progress of long work on the user-interface thread (a grid fill, a report, an export): call
// advance() after each unit (a row, a page). It costs a counter per call; every `checkEvery`
// units it reads the clock. Until the work has run for Interaction::progressDelay() the windows
// only repaint (user input waits for the end); after that the interaction layer's modal progress
// window shows, with Cancel. A cancelled piece of work stops and leaves everything as it was.
// Work started while another runs (a detail query inside a report) reports to nobody.
#include <QElapsedTimer>
#include <QString>
#include <memory>

class QWidget;

namespace tarvo {

class ProgressWindow;

class WorkProgress {
public:
    // `label` may hold "%1" for the count done; `total` 0 means unknown (a busy bar).
    explicit WorkProgress(QString label, qint64 total = 0, int checkEvery = 256, QWidget *owner = nullptr);
    ~WorkProgress();
    WorkProgress(const WorkProgress &) = delete;
    WorkProgress &operator=(const WorkProgress &) = delete;

    // False when the user has cancelled: the work stops there. One counter per unit, so that
    // fast work pays next to nothing.
    bool advance()
    {
        if (--m_untilCheck > 0)
            return true;
        return check();
    }
    // advance(), raising SilentAbort when the user has cancelled.
    void advanceOrAbort();
    bool cancelled() const { return m_cancelled; }
    qint64 done() const { return m_checked + (m_checkEvery - m_untilCheck); }

    // Whether some long work is running: events that would start other work leave it alone.
    static bool running();
    // For a wait inside one long call of the running work (a database sorting a large result
    // before its first row): the windows repaint and the progress window shows as at advance().
    // False when the user has cancelled; true when no work runs.
    static bool pulse();

private:
    bool check();
    bool look();
    QString labelText() const;

    QString m_label;
    qint64 m_total;
    int m_checkEvery;
    QWidget *m_owner;
    bool m_reports;       // false for work nested in other work
    qint64 m_checked = 0; // units done at the last check
    int m_untilCheck;
    bool m_cancelled = false;
    QElapsedTimer m_clock;
    qint64 m_repaintedAt = 0;
    std::unique_ptr<ProgressWindow> m_window;
};

} // namespace tarvo
