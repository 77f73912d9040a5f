// Only the Qt implementation of the interaction layer may open message boxes, file dialogs or
// run a modal loop: everything else goes through it so that tests can script the user.
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(InteractionLayer, NothingElseCallsDialogsOrExec)
{
    const QString src = QStringLiteral(TARVO_SOURCE_DIR "/src");
    const QRegularExpression forbidden(
        QStringLiteral(R"(\bQMessageBox\b|\bQFileDialog\b|\bQColorDialog\b|\bQFontDialog\b|\bexec\s*\()"));
    QStringList offenders;
    QDirIterator it(src, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains(QStringLiteral("platform/qtinteraction.")) || path.endsWith(QStringLiteral("src/main.cpp")))
            continue;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        if (forbidden.match(QString::fromUtf8(file.readAll())).hasMatch())
            offenders << path.mid(src.size() + 1);
    }
    EXPECT_TRUE(offenders.isEmpty()) << offenders.join(QStringLiteral(", ")).toStdString();
}
