// tarvo-check [project folder]: lists what in a project's forms.xml and tables.ini points nowhere.
// Exit code 0 when clean, 1 with findings, 2 when the files cannot be read.
#include "check/projectcheck.h"
#include "platform/errors.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (arguments.size() > 2 || arguments.value(1).startsWith(QLatin1Char('-'))) {
        err << "usage: tarvo-check [project folder]\n";
        return 2;
    }
    try {
        const QList<tarvo::Finding> findings = tarvo::checkProject(arguments.value(1, QStringLiteral(".")));
        for (const tarvo::Finding &finding : findings)
            out << tarvo::formatFinding(finding) << '\n';
        return findings.isEmpty() ? 0 : 1;
    } catch (const tarvo::Error &error) {
        err << "tarvo-check: " << error.message() << '\n';
        return 2;
    }
}
