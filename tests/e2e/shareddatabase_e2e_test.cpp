// Several Tarvo processes on one database file, each a simulated user adding orders through the
// real windows and save path (tests/workers/saveworker.cpp).
#include "e2e/e2eapp.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSet>

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::E2eApp;

namespace {

// A project whose database holds customer 1, ready for workers; no window of the test stays open.
void prepareSharedProject(E2eApp &app)
{
    ASSERT_TRUE(app.start());
    app.seed(QStringLiteral("INSERT INTO customers (name) VALUES ('Ada')"));
    app.windows.reset();
}

std::unique_ptr<QProcess> startWorker(const E2eApp &app, int saves, const QString &tag)
{
    auto worker = std::make_unique<QProcess>();
    worker->start(QStringLiteral(TARVO_SAVE_WORKER), {app.folder.path(), QString::number(saves), tag});
    EXPECT_TRUE(worker->waitForStarted()) << worker->errorString().toStdString();
    return worker;
}

QStringList acknowledged(const QByteArray &output)
{
    QStringList numbers;
    for (const QByteArray &line : output.split('\n'))
        if (line.startsWith("saved "))
            numbers << QString::fromUtf8(line.mid(6));
    return numbers;
}

} // namespace

TEST(SharedDatabaseE2e, FourUsersSavingAtOnceLoseNothingAndShareNoCounter)
{
    constexpr int kUsers = 4;
    constexpr int kSavesEach = 250;
    E2eApp app(QStringLiteral("e2e-shop"));
    prepareSharedProject(app);

    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int u = 0; u < kUsers; ++u)
        workers.push_back(startWorker(app, kSavesEach, QStringLiteral("u%1").arg(u)));
    int saved = 0;
    for (auto &worker : workers) {
        ASSERT_TRUE(worker->waitForFinished(280000));
        EXPECT_EQ(worker->exitCode(), 0) << worker->readAllStandardError().toStdString();
        saved += int(acknowledged(worker->readAllStandardOutput()).size());
    }
    std::printf("%d saves by %d processes in %.1f s: %.0f saves/s\n", saved, kUsers, clock.elapsed() / 1000.0,
                saved * 1000.0 / clock.elapsed());

    EXPECT_EQ(saved, kUsers * kSavesEach);
    const QString all = QString::number(kUsers * kSavesEach);
    // Every save is a row, and the record counters run 1..n without a number given twice.
    EXPECT_EQ(app.row(QStringLiteral("SELECT count(*), count(DISTINCT number), count(DISTINCT record_count),"
                                     " min(record_count), max(record_count) FROM orders")),
              QStringList({all, all, all, QStringLiteral("1"), all}));
    EXPECT_EQ(app.rows(QStringLiteral("PRAGMA integrity_check")), QStringList({u"ok"_s}));
}

TEST(SharedDatabaseE2e, AUserKilledWhileSavingLeavesAConsistentFileWithEveryAcknowledgedSave)
{
    E2eApp app(QStringLiteral("e2e-shop"));
    prepareSharedProject(app);
    const std::unique_ptr<QProcess> worker = startWorker(app, 100000, QStringLiteral("k"));
    QByteArray output;
    while (acknowledged(output).size() < 40 && worker->waitForReadyRead(30000))
        output += worker->readAllStandardOutput();
    worker->kill(); // SIGKILL: no clean-up of any kind
    worker->waitForFinished();
    output += worker->readAllStandardOutput();

    const QStringList saved = acknowledged(output);
    ASSERT_GE(saved.size(), 40);
    EXPECT_EQ(app.rows(QStringLiteral("PRAGMA integrity_check")), QStringList({u"ok"_s}));
    const QStringList stored = app.rows(QStringLiteral("SELECT number FROM orders"));
    const QSet<QString> storedSet(stored.begin(), stored.end());
    for (const QString &number : saved)
        EXPECT_TRUE(storedSet.contains(number)) << number.toStdString();
    EXPECT_LE(stored.size(), saved.size() + 1); // at most the save in flight, committed but not yet reported
}
