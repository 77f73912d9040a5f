#pragma once
// The project checker: reads a project folder's tables.ini and forms.xml with Tarvo's own readers
// and finds every name that points nowhere, clashing names and keyboard positions, controls that
// lie outside their parent, and designer and search SQL that SQLite refuses.
#include <QList>
#include <QString>

namespace tarvo {

struct Finding {
    QString file;    // as the folder was given, joined with the file's name
    qint64 line = 0; // 0: the file as a whole
    QString message;
};

// "file:line: message", or "file: message" without a line: the form editors jump from.
QString formatFinding(const Finding &finding);

// Raises FileError or ParseError when tables.ini or forms.xml cannot be read. Points the
// process's project folder at `folder` (the search statements read tables.ini through it).
QList<Finding> checkProject(const QString &folder);

} // namespace tarvo
