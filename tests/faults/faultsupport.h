#pragma once
// What the fault tests need from the system: the peak memory of this process, and a folder that
// the file system itself refuses to write (a read-only bind mount when we run as root, where
// file modes stop nothing).
#include <QString>
#include <cstdint>

namespace tarvo::test {

// Forgets the peak so far; peakMemoryMiB() then counts what the process holds from here on above
// what it held at this call.
void resetPeakMemory();
std::int64_t peakMemoryMiB();

class ReadOnlyFolder {
public:
    // Makes `folder` read-only until destruction; on failure ok() is false and why() says why.
    explicit ReadOnlyFolder(const QString &folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    bool ok() const { return m_why.isEmpty(); }
    const QString &why() const { return m_why; }

private:
    QString m_folder;
    QString m_why;
    bool m_mounted = false;
};

} // namespace tarvo::test
