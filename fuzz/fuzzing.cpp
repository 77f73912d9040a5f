#include "fuzzing.h"

#include "platform/headlessinteraction.h"
#include "platform/projectfolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace tarvo::fuzz {

namespace {

// Nobody sits at the desktop: messages are acknowledged, dialogs cancelled.
using AbsentUser = HeadlessInteraction;

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

void startApplication()
{
    if (qApp)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tarvo-fuzz";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives as long as the process
    static AbsentUser user;
    setInteraction(&user);
    setProjectFolder(folder().path() + QLatin1Char('/'));
}

QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

QString writeInput(const QByteArray &input, const QString &name)
{
    const QString path = QDir(folder().path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(input) != input.size()) {
        std::fprintf(stderr, "cannot write the input to %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

QList<QByteArray> parts(const QByteArray &input, int count)
{
    QList<QByteArray> result;
    qsizetype from = 0;
    for (int i = 0; i < count - 1; ++i) {
        const qsizetype nul = input.indexOf('\0', from);
        if (nul < 0)
            break;
        result << input.mid(from, nul - from);
        from = nul + 1;
    }
    result << input.mid(from);
    while (result.size() < count)
        result << QByteArray();
    return result;
}

void propertyFailed(const char *what, const QString &first, const QString &second)
{
    std::fprintf(stderr, "%s\n--- first:\n%s\n--- second:\n%s\n", what, qPrintable(first), qPrintable(second));
    std::abort();
}

} // namespace tarvo::fuzz
