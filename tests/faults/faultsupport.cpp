#include "faults/faultsupport.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace tarvo::test {

namespace {

std::int64_t g_baselineKiB = 0;

// A "Vm...:   1234 kB" line of /proc/self/status, in KiB.
std::int64_t statusKiB(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5"); // the high-water mark falls back to what is resident now
    g_baselineKiB = statusKiB("VmRSS:");
}

std::int64_t peakMemoryMiB()
{
    return (statusKiB("VmHWM:") - g_baselineKiB) / 1024;
}

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// A mount namespace of our own, so that the mounts below vanish with the process and touch
// nothing outside it.
bool ownMountNamespace(QString &why)
{
    static bool done = false;
    if (done)
        return true;
    if (unshare(CLONE_NEWNS) != 0) {
        why = systemError("unshare(CLONE_NEWNS)");
        return false;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        why = systemError("making mounts private");
        return false;
    }
    done = true;
    return true;
}

} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString &folder) : m_folder(QFileInfo(folder).absoluteFilePath())
{
    const QByteArray path = QFile::encodeName(m_folder);
    if (geteuid() != 0) {
        if (!QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::ExeOwner))
            m_why = QStringLiteral("cannot change the folder's permissions");
        return;
    }
    if (!ownMountNamespace(m_why))
        return;
    if (mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0) {
        m_why = systemError("bind mount");
        return;
    }
    m_mounted = true;
    if (mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        m_why = systemError("read-only remount");
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_mounted)
        umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    else if (geteuid() != 0)
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace tarvo::test
