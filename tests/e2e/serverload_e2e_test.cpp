// Twenty simulated users at once, each a Tarvo process with a connection of its own
// (tests/workers/saveworker.cpp): every round one search through the main window and one order
// saved through the real windows and save path. Nothing may fail or get lost, no record counter may
// be given twice; the run prints saves per second and the save and search times. On the server
// (skipped without one) and, for comparison, on the file.
#include "e2e/e2eapp.h"
#include "support/serverdatabase.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <optional>

using namespace tarvo;
using namespace Qt::StringLiterals;
using tarvo::test::E2eApp;
using tarvo::test::Engine;

namespace {

constexpr int kUsers = 20;
constexpr int kRoundsEach = 100;

struct WorkerOutput {
    QStringList saved;      // the order numbers whose save the form acknowledged
    QList<double> saveMs;   // one per save
    QList<double> searchMs; // one per search
};

WorkerOutput parse(const QByteArray &output)
{
    WorkerOutput parsed;
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith("saved "))
            parsed.saved << QString::fromUtf8(line.mid(6));
        else if (line.startsWith("save-ms "))
            parsed.saveMs << line.mid(8).toDouble();
        else if (line.startsWith("search-ms "))
            parsed.searchMs << line.mid(10).toDouble();
    }
    return parsed;
}

// The nearest-rank percentile: the smallest value that `share` of the values do not exceed.
double percentile(QList<double> values, double share)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = qsizetype(std::ceil(share * double(values.size())));
    return values[std::clamp<qsizetype>(rank - 1, 0, values.size() - 1)];
}

class ServerLoadE2e : public ::testing::TestWithParam<Engine> {};

TEST_P(ServerLoadE2e, TwentyUsersSearchingAndSavingAtOnceLoseNothingAndShareNoCounter)
{
    std::optional<test::ServerDatabase> server;
    if (GetParam() == Engine::Server) {
        if (test::testServer().isEmpty())
            GTEST_SKIP() << "TARVO_TEST_SERVER names no test server";
        server.emplace();
    }
    E2eApp app(QStringLiteral("e2e-shop"));
    if (server) // the project names the server as a user's settings would
        app.folder.write(QStringLiteral("settings.ini"), u"[Options]\r\nserver="_s + server->location() + u"\r\n"_s);
    ASSERT_TRUE(app.start()); // makes the tables of the new database
    app.seed(QStringLiteral("INSERT INTO customers (name) VALUES ('Ada')"));
    app.windows.reset();

    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int u = 0; u < kUsers; ++u) {
        auto worker = std::make_unique<QProcess>();
        worker->start(QStringLiteral(TARVO_SAVE_WORKER), {app.folder.path(), QString::number(kRoundsEach),
                                                          QStringLiteral("u%1").arg(u), QStringLiteral("search")});
        ASSERT_TRUE(worker->waitForStarted()) << worker->errorString().toStdString();
        workers.push_back(std::move(worker));
    }
    WorkerOutput all;
    for (auto &worker : workers) {
        ASSERT_TRUE(worker->waitForFinished(280000));
        EXPECT_EQ(worker->exitCode(), 0) << worker->readAllStandardError().toStdString();
        const WorkerOutput one = parse(worker->readAllStandardOutput());
        all.saved << one.saved;
        all.saveMs << one.saveMs;
        all.searchMs << one.searchMs;
    }
    const double seconds = double(clock.elapsed()) / 1000.0;
    std::printf("%s: %lld saves and %lld searches by %d processes in %.1f s: %.0f saves/s; save p50 %.1f ms,"
                " p95 %.1f ms, max %.1f ms; search p50 %.1f ms, p95 %.1f ms\n",
                test::engineName(GetParam()), qlonglong(all.saved.size()), qlonglong(all.searchMs.size()), kUsers,
                seconds, double(all.saved.size()) / seconds, percentile(all.saveMs, 0.5), percentile(all.saveMs, 0.95),
                percentile(all.saveMs, 1.0), percentile(all.searchMs, 0.5), percentile(all.searchMs, 0.95));

    EXPECT_EQ(all.saved.size(), kUsers * kRoundsEach);
    EXPECT_EQ(all.searchMs.size(), kUsers * kRoundsEach);
    // Every acknowledged save is a row, and the record counters run 1..n without a number given
    // twice.
    SqlConnection reader;
    reader.setDatabase(server ? server->location() : app.folder.file(QStringLiteral("sqlite.db")));
    reader.open();
    const QString n = QString::number(kUsers * kRoundsEach);
    SqlQuery counts = reader.query(
        QStringLiteral("SELECT count(*), count(DISTINCT number), count(DISTINCT record_count),"
                       " min(record_count), max(record_count) FROM orders"));
    QStringList stored;
    for (int c = 0; c < counts.columnCount(); ++c)
        stored << counts.text(c);
    EXPECT_EQ(stored, QStringList({n, n, n, QStringLiteral("1"), n}));
    QSet<QString> numbers;
    for (SqlQuery q = reader.query(QStringLiteral("SELECT number FROM orders")); !q.eof(); q.next())
        numbers.insert(q.text(0));
    for (const QString &number : all.saved)
        EXPECT_TRUE(numbers.contains(number)) << number.toStdString();
}

std::string nameOf(const ::testing::TestParamInfo<Engine> &info)
{
    return test::engineName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Engines, ServerLoadE2e, ::testing::Values(Engine::Server), nameOf);
// The file for comparison, run by hand (--gtest_also_run_disabled_tests): SQLite lets waiting
// writers in by chance, not in turn, so with twenty of them the longest wait came to 4.8 s of the
// 5 s busy timeout on a loaded 2-core machine, and a save that reaches it fails with its message.
INSTANTIATE_TEST_SUITE_P(DISABLED_ForComparison, ServerLoadE2e, ::testing::Values(Engine::File), nameOf);

} // namespace
