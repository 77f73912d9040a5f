#pragma once
// Where the database is: a file path, or a PostgreSQL server named by a connection URI
// ("postgresql://user@host:5432/dbname?sslmode=prefer") or libpq's keyword=value text.
#include <QString>

namespace tarvo {

bool isServerLocation(const QString &location);
// "host db.example.org, port 5432, database shop": what messages say of a server, never its
// password. Empty for a text libpq cannot read.
QString serverDescription(const QString &location);

} // namespace tarvo
