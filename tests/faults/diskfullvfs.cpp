#include "faults/diskfullvfs.h"

#include <sqlite3.h>
#include <stdexcept>

namespace tarvo::test {

namespace {

sqlite3_vfs *g_real = nullptr;
std::int64_t g_budget = -1; // -1: no limit
int g_failedWrites = 0;

// The file of the real file system lives right behind ours.
struct ShimFile {
    sqlite3_file base;
    sqlite3_file *real() { return reinterpret_cast<sqlite3_file *>(this + 1); }
};

sqlite3_file *real(sqlite3_file *file)
{
    return reinterpret_cast<ShimFile *>(file)->real();
}

int shimWrite(sqlite3_file *file, const void *data, int amount, sqlite3_int64 offset)
{
    if (g_budget >= 0) {
        if (amount > g_budget) {
            ++g_failedWrites;
            g_budget = 0;
            return SQLITE_FULL;
        }
        g_budget -= amount;
    }
    return real(file)->pMethods->xWrite(real(file), data, amount, offset);
}

int shimClose(sqlite3_file *file)
{
    return real(file)->pMethods->xClose(real(file));
}
int shimRead(sqlite3_file *f, void *d, int n, sqlite3_int64 o)
{
    return real(f)->pMethods->xRead(real(f), d, n, o);
}
int shimTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    return real(f)->pMethods->xTruncate(real(f), size);
}
int shimSync(sqlite3_file *f, int flags)
{
    return real(f)->pMethods->xSync(real(f), flags);
}
int shimFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    return real(f)->pMethods->xFileSize(real(f), size);
}
int shimLock(sqlite3_file *f, int level)
{
    return real(f)->pMethods->xLock(real(f), level);
}
int shimUnlock(sqlite3_file *f, int level)
{
    return real(f)->pMethods->xUnlock(real(f), level);
}
int shimCheckReservedLock(sqlite3_file *f, int *out)
{
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int shimFileControl(sqlite3_file *f, int op, void *arg)
{
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int shimSectorSize(sqlite3_file *f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}
int shimDeviceCharacteristics(sqlite3_file *f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int shimShmMap(sqlite3_file *f, int region, int size, int extend, void volatile **out)
{
    return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
}
int shimShmLock(sqlite3_file *f, int offset, int n, int flags)
{
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void shimShmBarrier(sqlite3_file *f)
{
    real(f)->pMethods->xShmBarrier(real(f));
}
int shimShmUnmap(sqlite3_file *f, int deleteFlag)
{
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}

// Memory-mapped access would bypass xWrite; version 2 offers none.
const sqlite3_io_methods kMethods = {
    2,
    shimClose,
    shimRead,
    shimWrite,
    shimTruncate,
    shimSync,
    shimFileSize,
    shimLock,
    shimUnlock,
    shimCheckReservedLock,
    shimFileControl,
    shimSectorSize,
    shimDeviceCharacteristics,
    shimShmMap,
    shimShmLock,
    shimShmBarrier,
    shimShmUnmap,
    nullptr,
    nullptr,
};

int shimOpen(sqlite3_vfs *, const char *name, sqlite3_file *file, int flags, int *outFlags)
{
    auto *shim = reinterpret_cast<ShimFile *>(file);
    const int rc = g_real->xOpen(g_real, name, shim->real(), flags, outFlags);
    shim->base.pMethods = shim->real()->pMethods ? &kMethods : nullptr;
    return rc;
}

sqlite3_vfs g_shim;

} // namespace

DiskFullVfs::DiskFullVfs()
{
    g_real = sqlite3_vfs_find(nullptr);
    g_shim = *g_real;
    g_shim.zName = "tarvo-disk-full";
    g_shim.szOsFile = int(sizeof(ShimFile)) + g_real->szOsFile;
    g_shim.xOpen = shimOpen;
    g_shim.pNext = nullptr;
    g_budget = -1;
    g_failedWrites = 0;
    if (sqlite3_vfs_register(&g_shim, 1) != SQLITE_OK)
        throw std::runtime_error("cannot register the disk-full file system");
}

DiskFullVfs::~DiskFullVfs()
{
    sqlite3_vfs_unregister(&g_shim);
    sqlite3_vfs_register(g_real, 1);
}

void DiskFullVfs::fillAfter(std::int64_t bytes)
{
    g_budget = bytes;
}
void DiskFullVfs::makeRoom()
{
    g_budget = -1;
}
int DiskFullVfs::failedWrites() const
{
    return g_failedWrites;
}

} // namespace tarvo::test
