// Every layer includes only itself and the layers below it. All layers share one include root,
// so an upward include of a header alone would still compile and link: this test is the guard.
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(Layers, EveryIncludePointsDown)
{
    const QStringList everyLayer = {QStringLiteral("app"),     QStringLiteral("actions"),  QStringLiteral("forms"),
                                    QStringLiteral("report"),  QStringLiteral("controls"), QStringLiteral("schema"),
                                    QStringLiteral("platform")};
    // The layers each layer may use, as src/CMakeLists.txt links them.
    const QHash<QString, QStringList> below = {
        {QStringLiteral("platform"), {}},
        {QStringLiteral("schema"), {QStringLiteral("platform")}},
        {QStringLiteral("controls"), {QStringLiteral("schema"), QStringLiteral("platform")}},
        {QStringLiteral("forms"), {QStringLiteral("controls"), QStringLiteral("schema"), QStringLiteral("platform")}},
        {QStringLiteral("report"), {QStringLiteral("schema"), QStringLiteral("platform")}},
        {QStringLiteral("actions"),
         {QStringLiteral("forms"), QStringLiteral("report"), QStringLiteral("controls"), QStringLiteral("schema"),
          QStringLiteral("platform")}},
        {QStringLiteral("app"),
         {QStringLiteral("actions"), QStringLiteral("forms"), QStringLiteral("report"), QStringLiteral("controls"),
          QStringLiteral("schema"), QStringLiteral("platform")}},
        // The project checker and the move of a database to a server are programs of their own
        // on top of every layer.
        {QStringLiteral("check"), everyLayer},
        {QStringLiteral("migrate"), everyLayer},
    };
    const QString src = QStringLiteral(TARVO_SOURCE_DIR "/src/");
    const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*"(\w+)/)"),
                                     QRegularExpression::MultilineOption);
    QStringList offenders;
    QDirIterator it(src, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next().mid(src.size());
        const QString layer = path.section(u'/', 0, 0);
        if (!path.contains(u'/'))
            continue; // main.cpp sits above every layer
        if (!below.contains(layer)) {
            offenders << path + QStringLiteral(" (a folder this test does not know)");
            continue;
        }
        QFile file(src + path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        for (auto match = include.globalMatch(QString::fromUtf8(file.readAll())); match.hasNext();) {
            const QString used = match.next().captured(1);
            if (used != layer && below.contains(used) && !below[layer].contains(used))
                offenders << path + QStringLiteral(" includes ") + used;
        }
    }
    EXPECT_TRUE(offenders.isEmpty()) << offenders.join(QStringLiteral("\n")).toStdString();
}
