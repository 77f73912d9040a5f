// Runs a fuzz target once over each file named on the command line (folders: every file in
// them), without libFuzzer: the corpora stay regression tests in every build.
#include "fuzzing.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

int replay(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray input = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    int failures = 0;
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo(arg).isDir()) {
            failures += replay(arg);
            ++replayed;
            continue;
        }
        QDirIterator files(arg, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            failures += replay(files.next());
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return failures == 0 && replayed > 0 ? 0 : 1;
}
