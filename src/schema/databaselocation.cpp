#include "schema/databaselocation.h"

#include <QByteArray>
#include <QRegularExpression>
#include <libpq-fe.h>

namespace tarvo {

namespace {

QByteArray conninfoValue(const QString &location, const char *keyword)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(location.toUtf8().constData(), &error);
    PQfreemem(error);
    QByteArray value;
    for (PQconninfoOption *o = options; o && o->keyword; ++o)
        if (qstrcmp(o->keyword, keyword) == 0 && o->val)
            value = o->val;
    PQconninfoFree(options);
    return value;
}

} // namespace

bool isServerLocation(const QString &location)
{
    static const QRegularExpression keywordForm(
        QStringLiteral("^\\s*(host|hostaddr|port|dbname|user|service|sslmode)\\s*="));
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
           || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive)
           || keywordForm.match(location).hasMatch();
}

QString serverDescription(const QString &location)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(location.toUtf8().constData(), &error);
    PQfreemem(error);
    if (!options)
        return QString();
    PQconninfoFree(options);
    const auto orDefault = [](const QByteArray &value, const QString &fallback) {
        return value.isEmpty() ? fallback : QString::fromUtf8(value);
    };
    return QStringLiteral("host %1, port %2, database %3")
        .arg(orDefault(conninfoValue(location, "host"), QStringLiteral("localhost")),
             orDefault(conninfoValue(location, "port"), QStringLiteral("5432")),
             orDefault(conninfoValue(location, "dbname"), QStringLiteral("(the user's)")));
}

} // namespace tarvo
