#pragma once
// An SQLite file system over the default one that behaves like a disk running full: once armed,
// writes succeed until a byte budget is spent, and every later write fails with SQLITE_FULL.
// Installed as the default for the lifetime of the object, so the program's own connections
// use it.
#include <cstdint>

namespace tarvo::test {

class DiskFullVfs {
public:
    DiskFullVfs();
    ~DiskFullVfs();
    DiskFullVfs(const DiskFullVfs &) = delete;
    DiskFullVfs &operator=(const DiskFullVfs &) = delete;

    void fillAfter(std::int64_t bytes); // writes of more than `bytes` in all fail from now on
    void makeRoom();                    // unlimited again
    int failedWrites() const;
};

} // namespace tarvo::test
