#pragma once
// The wait cursor for the lifetime of a piece of long work on the user-interface thread (a grid
// fill, an export): the user sees that Tarvo is busy, not hung. Nests; no effect without a GUI.
#include <QCursor>
#include <QGuiApplication>

namespace tarvo {

// An application-wide cursor while it lives, set only when `wanted`.
class ScopedCursor {
public:
    ScopedCursor(Qt::CursorShape shape, bool wanted) : m_set(wanted)
    {
        if (m_set)
            QGuiApplication::setOverrideCursor(QCursor(shape));
    }
    ~ScopedCursor()
    {
        if (m_set)
            QGuiApplication::restoreOverrideCursor();
    }
    ScopedCursor(const ScopedCursor &) = delete;
    ScopedCursor &operator=(const ScopedCursor &) = delete;

private:
    bool m_set;
};

class WaitCursor : public ScopedCursor {
public:
    WaitCursor()
        : ScopedCursor(Qt::WaitCursor, qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
    {
    }
};

// The normal cursor while the user is asked something in the middle of long work (a password
// the server wants while a wait cursor is up).
class NormalCursor : public ScopedCursor {
public:
    NormalCursor() : ScopedCursor(Qt::ArrowCursor, QGuiApplication::overrideCursor() != nullptr) {}
};

} // namespace tarvo
