#include "platform/workprogress.h"

#include "platform/errors.h"
#include "platform/interaction.h"

#include <QCoreApplication>
#include <QLocale>

namespace tarvo {

namespace {

int g_running = 0;
WorkProgress *g_reporting = nullptr; // the outermost work, which shows the progress

// Often enough that a window dragged over Tarvo's does not leave a trail.
constexpr qint64 kRepaintEveryMs = 100;

} // namespace

WorkProgress::WorkProgress(QString label, qint64 total, int checkEvery, QWidget *owner)
    : m_label(std::move(label)), m_total(total), m_checkEvery(qMax(checkEvery, 1)), m_owner(owner),
      m_reports(g_running == 0), m_untilCheck(m_checkEvery)
{
    ++g_running;
    if (m_reports)
        g_reporting = this;
    m_clock.start();
}

WorkProgress::~WorkProgress()
{
    m_window.reset(); // closes the window before another piece of work may start
    --g_running;
    if (m_reports)
        g_reporting = nullptr;
}

bool WorkProgress::running()
{
    return g_running > 0;
}

bool WorkProgress::pulse()
{
    return !g_reporting || g_reporting->look();
}

void WorkProgress::advanceOrAbort()
{
    if (!advance())
        throw SilentAbort();
}

QString WorkProgress::labelText() const
{
    return m_label.contains(QLatin1String("%1")) ? m_label.arg(QLocale().toString(done())) : m_label;
}

bool WorkProgress::check()
{
    m_checked += m_checkEvery;
    m_untilCheck = m_checkEvery;
    return look();
}

bool WorkProgress::look()
{
    if (m_cancelled || !m_reports)
        return !m_cancelled;
    if (!m_window && hasInteraction() && m_clock.elapsed() >= interaction().progressDelay().count())
        m_window = interaction().showProgress(m_owner, labelText(), m_total);
    if (m_window) {
        m_cancelled = !m_window->update(done(), labelText());
        return !m_cancelled;
    }
    // Before the window shows, the windows still repaint; a click waits until the work is done,
    // so nothing the work reads changes under it.
    const qint64 now = m_clock.elapsed();
    if (now - m_repaintedAt >= kRepaintEveryMs && QCoreApplication::instance()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_repaintedAt = now;
    }
    return true;
}

} // namespace tarvo
