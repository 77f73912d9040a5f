#pragma once
// The wait cursor for the lifetime of a piece of long work on the user-interface thread (a grid
// fill, an export): the user sees that Tarvo is busy, not hung. Nests; no effect without a GUI.
#include <QCursor>
#include <QGuiApplication>

namespace tarvo {

class WaitCursor {
public:
    WaitCursor() : m_shown(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (m_shown)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor()
    {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    bool m_shown;
};

} // namespace tarvo
