#pragma once
// Databases on the throw-away PostgreSQL server that scripts/test starts (TARVO_TEST_SERVER):
// each test gets an empty database of its own, dropped afterwards. Without the server, tests of
// the server engine skip.
#include <QCoreApplication>
#include <QString>
#include <QUrl>
#include <atomic>
#include <libpq-fe.h>
#include <stdexcept>

namespace tarvo::test {

enum class Engine { File, Server };

inline const char *engineName(Engine engine)
{
    return engine == Engine::File ? "File" : "Server";
}

// The server's superuser connection, empty when no test server runs.
inline QString testServer()
{
    return qEnvironmentVariable("TARVO_TEST_SERVER");
}

// `server` with another database (and, if given, another user).
inline QString serverLocation(const QString &server, const QString &database, const QString &user = QString())
{
    QUrl url(server);
    url.setPath(u'/' + database);
    if (!user.isEmpty())
        url.setUserName(user);
    return url.toString();
}

class ServerDatabase {
public:
    ServerDatabase()
    {
        static std::atomic<int> counter{0};
        m_name = QStringLiteral("tarvo_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        if (!administer("CREATE DATABASE " + m_name.toUtf8()))
            throw std::runtime_error("the test server cannot make a database");
    }
    ~ServerDatabase() { administer("DROP DATABASE IF EXISTS " + m_name.toUtf8() + " WITH (FORCE)"); }
    ServerDatabase(const ServerDatabase &) = delete;
    ServerDatabase &operator=(const ServerDatabase &) = delete;

    QString name() const { return m_name; }
    QString location() const { return serverLocation(testServer(), m_name); }

private:
    // Plain libpq: Tarvo's own connection would add its change tables to the server's database.
    static bool administer(const QByteArray &sql)
    {
        PGconn *conn = PQconnectdb(testServer().toUtf8().constData());
        PGresult *result = PQexec(conn, sql.constData());
        const bool done = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        PQfinish(conn);
        return done;
    }
    QString m_name;
};

} // namespace tarvo::test
