#include "check/projectcheck.h"

#include "actions/placeholders.h"
#include "app/picturelibrary.h"
#include "check/schemadatabase.h"
#include "controls/picture.h"
#include "controls/searchstatement.h"
#include "forms/attributetable.h"
#include "forms/controlbuilders.h"
#include "forms/formsxml.h"
#include "forms/names.h"
#include "platform/errors.h"
#include "platform/projectfolder.h"
#include "schema/fieldcatalogue.h"
#include "schema/inifile.h"
#include "schema/lookuplist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSize>
#include <algorithm>

namespace tarvo {

namespace {

constexpr int adbSearch = 1;
constexpr int adbReport = 7;

struct Control {
    const XmlNode *node;
    const ElementAttributes *attributes;
    QString name;
};

struct Form {
    const XmlNode *node;
    QString name;
    bool isMainWindow;
    QList<Control> controls; // depth first, as they are built

    // Components are found by name ignoring case, as the actions find them.
    const Control *find(const QString &componentName) const
    {
        for (const Control &c : controls)
            if (!componentName.isEmpty() && c.name.compare(componentName, Qt::CaseInsensitive) == 0)
                return &c;
        return nullptr;
    }
};

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    return decodeProjectText(file.readAll());
}

// The line of a section header, or of a key within that section; 0 when not found.
qint64 iniLine(const QStringList &lines, const QString &section, const QString &key = QString())
{
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line.mid(1).chopped(1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            if (inSection && key.isEmpty())
                return i + 1;
        } else if (inSection && line.section(QLatin1Char('='), 0, 0).trimmed() == key) {
            return i + 1;
        }
    }
    return 0;
}

class ProjectChecker {
public:
    explicit ProjectChecker(const QString &folder)
        : m_folder(folder), m_tablesIni(QDir(folder).filePath(QStringLiteral("tables.ini"))),
          m_formsXml(QDir(folder).filePath(QStringLiteral("forms.xml"))), m_tablesText(readAll(m_tablesIni)),
          m_root(readFormsDocument(m_formsXml)), m_database(m_tablesIni)
    {
        setProjectFolder(folder);
        LoadFieldCatalogue(m_tablesIni);
    }

    QList<Finding> run()
    {
        checkTables();
        collectForms();
        for (const Form &form : m_forms)
            for (const Control &control : form.controls)
                checkReferences(form, control);
        checkPictureLibrary();
        std::stable_sort(m_findings.begin(), m_findings.end(), [](const Finding &a, const Finding &b) {
            return a.file != b.file ? a.file < b.file : a.line < b.line;
        });
        return m_findings;
    }

private:
    void report(const QString &file, qint64 line, const QString &message) { m_findings.append({file, line, message}); }
    void report(const XmlNode &node, const QString &message) { report(m_formsXml, node.line, message); }

    // --- tables.ini ---------------------------------------------------------------------------

    void checkTables()
    {
        const QStringList lines = m_tablesText.split(QLatin1Char('\n'));
        for (const auto &[table, message] : m_database.failures())
            report(m_tablesIni, iniLine(lines, table),
                   QStringLiteral("table %1 cannot be created: %2").arg(table, message));
        const IniFile ini = IniFile::parse(m_tablesText);
        for (const QString &table : ini.sections())
            for (const auto &[key, value] : ini.entries(table))
                if (key.startsWith(QLatin1Char('^')) && !m_database.hasTable(value.trimmed()))
                    report(m_tablesIni, iniLine(lines, table, key),
                           QStringLiteral("%1 refers to %2, which is no table of tables.ini").arg(key, quoted(value)));
    }

    // --- forms.xml: forms, names, keyboard order, geometry --------------------------------------

    void collectForms()
    {
        for (const XmlNode &node : m_root.children) {
            if (node.name.startsWith(QLatin1Char('#'))) {
                report(node,
                       QStringLiteral("a comment or text directly inside <main> stops the building of the forms"));
                continue;
            }
            Form &form = m_forms.emplaceBack(Form{&node, node.name, m_forms.isEmpty(), {}});
            checkFormName(form);
            AttributeReader reader(node, formAttributes());
            collectControls(form, node, QSize(reader.integer("Width"), reader.integer("Height")), false);
        }
    }

    void checkFormName(const Form &form)
    {
        if (!isIdentifier(form.name) || isFixedFormName(form.name)) {
            report(*form.node, QStringLiteral("form name %1 is no identifier or is taken by one of Tarvo's own windows")
                                   .arg(quoted(form.name)));
            return;
        }
        for (const Form &other : m_forms)
            if (&other != &form && other.name.compare(form.name, Qt::CaseInsensitive) == 0) {
                report(*form.node, QStringLiteral("form name %1 is used twice (first at line %2)")
                                       .arg(quoted(form.name))
                                       .arg(other.node->line));
                return;
            }
    }

    void checkControlName(const Form &form, const XmlNode &node, const QString &name)
    {
        if (name.isEmpty())
            return;
        if (!isIdentifier(name))
            report(node, QStringLiteral("%1 is not a valid component name").arg(quoted(name)));
        else if (const Control *other = form.find(name))
            report(node, QStringLiteral("name %1 is used twice in form %2 (first at line %3)")
                             .arg(quoted(name), form.name)
                             .arg(other->node->line));
        else if (form.isMainWindow && isMainWindowComponentName(name))
            report(node,
                   QStringLiteral("name %1 is taken by one of the main window's own components").arg(quoted(name)));
    }

    void collectControls(Form &form, const XmlNode &container, QSize area, bool inPageControl)
    {
        QHash<qint32, QString> tabOrders; // keyboard positions among these siblings
        for (const XmlNode &node : container.children) {
            if (node.name.startsWith(QLatin1Char('#')))
                continue;
            const ElementAttributes *attributes = controlAttributes(node.name);
            const bool sheet = node.name == QLatin1String("TdbTabSheet");
            if (!attributes || sheet != inPageControl) {
                report(node, sheet ? QStringLiteral("a <TdbTabSheet> builds nothing outside a <TdbPageControl>")
                                   : QStringLiteral("element <%1> builds no control here").arg(node.name));
                continue;
            }
            AttributeReader reader(node, *attributes);
            const QString name = reader.text("Name");
            checkControlName(form, node, name);
            form.controls.append({&node, attributes, name});
            checkTabOrder(node, *attributes, name, tabOrders);
            const QSize own = checkGeometry(node, *attributes, name, area);
            collectChildren(form, node, *attributes, name, sheet ? area : own);
        }
    }

    void collectChildren(Form &form, const XmlNode &node, const ElementAttributes &attributes, const QString &name,
                         QSize area)
    {
        const bool hasControls = std::any_of(node.children.begin(), node.children.end(),
                                             [](const XmlNode &c) { return !c.name.startsWith(QLatin1Char('#')); });
        if (!hasControls)
            return;
        // Children are built into the control found by the element's name.
        if (!attributes.windowed || name.isEmpty()) {
            report(node, QStringLiteral("the controls inside this <%1> are not built: it %2")
                             .arg(node.name, attributes.windowed ? QStringLiteral("has no Name")
                                                                 : QStringLiteral("cannot hold controls")));
            return;
        }
        collectControls(form, node, area, node.name == QLatin1String("TdbPageControl"));
    }

    void checkTabOrder(const XmlNode &node, const ElementAttributes &attributes, const QString &name,
                       QHash<qint32, QString> &tabOrders)
    {
        if (!attributes.find("TabOrder"))
            return;
        const std::optional<qint32> order = parseInteger(node.attribute(QLatin1StringView("TabOrder")));
        if (!order)
            return;
        if (tabOrders.contains(*order))
            report(node, QStringLiteral("TabOrder %1 of %2 is also that of %3")
                             .arg(*order)
                             .arg(quoted(name), quoted(tabOrders.value(*order))));
        else
            tabOrders.insert(*order, name);
    }

    // The control's size; a finding when it does not lie within its parent's area.
    QSize checkGeometry(const XmlNode &node, const ElementAttributes &attributes, const QString &name, QSize area)
    {
        AttributeReader reader(node, attributes);
        const auto value = [&](const char *attribute) {
            return attributes.find(attribute) ? reader.integer(attribute) : 0;
        };
        if (!attributes.find("Left"))
            return area;
        const qint64 left = value("Left"), top = value("Top"), width = value("Width"), height = value("Height");
        if (left < 0 || top < 0 || left + width > area.width() || top + height > area.height())
            report(node, QStringLiteral("%1 at %2,%3 sized %4x%5 lies outside its parent of %6x%7")
                             .arg(name.isEmpty() ? QStringLiteral("<%1>").arg(node.name) : quoted(name))
                             .arg(left)
                             .arg(top)
                             .arg(width)
                             .arg(height)
                             .arg(area.width())
                             .arg(area.height()));
        return QSize(int(width), int(height));
    }

    // --- forms.xml: names that point into tables.ini, other controls, forms and files ----------

    void checkReferences(const Form &form, const Control &control)
    {
        const XmlNode &node = *control.node;
        const ElementAttributes &attributes = *control.attributes;
        AttributeReader reader(node, attributes);
        const auto has = [&](const char *attribute) {
            return attributes.find(attribute) && !reader.text(attribute).isEmpty();
        };
        if (has("dbTable"))
            checkBinding(node, reader.text("dbTable"), attributes.find("dbField") ? reader.text("dbField") : QString());
        if (has("dbCalendarControl"))
            checkControlNames(form, node, "dbCalendarControl", reader.text("dbCalendarControl"));
        if (node.name == QLatin1String("TdbButton") || node.name == QLatin1String("TdbStringGrid"))
            checkSearchOrStatement(form, node, reader);
    }

    void checkBinding(const XmlNode &node, const QString &table, const QString &field)
    {
        if (!m_database.hasTable(table)) {
            report(node, QStringLiteral("dbTable %1 names no table of tables.ini").arg(quoted(table)));
            return;
        }
        if (field.isEmpty())
            return;
        const bool lookup = node.name == QLatin1String("TdbComboBox");
        const QStringList fields = lookup ? lookupFields(field) : QStringList{field};
        if (fields.isEmpty())
            report(node, QStringLiteral("the dictionary template %1 names no field").arg(quoted(field)));
        for (const QString &f : fields)
            if (!m_database.hasColumn(table, f))
                report(node, QStringLiteral("dbField %1 is no column of table %2").arg(quoted(f), table));
    }

    void checkControlNames(const Form &form, const XmlNode &node, const char *attribute, const QString &names)
    {
        for (const QString &name : names.split(QLatin1Char(',')))
            if (!name.isEmpty() && !form.find(name))
                report(node, QStringLiteral("%1 names %2, which is no control of form %3")
                                 .arg(QLatin1String(attribute), quoted(name), form.name));
    }

    // Each "table.field" item, or a bare column of the main table, must be a column.
    bool checkColumnItems(const XmlNode &node, const char *attribute, const QString &items, const QString &generalTable)
    {
        bool clean = true;
        for (const QString &item : items.split(QLatin1Char(','))) {
            if (item.isEmpty())
                continue;
            const bool qualified = item.contains(QLatin1Char('.'));
            const QString table = qualified ? item.section(QLatin1Char('.'), 0, 0) : generalTable;
            const QString column = qualified ? item.section(QLatin1Char('.'), 1) : item;
            if (m_database.hasTable(table) && m_database.hasColumn(table, column))
                continue;
            report(node,
                   QStringLiteral("%1 item %2 is no column of tables.ini").arg(QLatin1String(attribute), quoted(item)));
            clean = false;
        }
        return clean;
    }

    void checkSearchOrStatement(const Form &form, const XmlNode &node, AttributeReader &reader)
    {
        const bool button = node.name == QLatin1String("TdbButton");
        const int action = button ? reader.enumeration("dbActionType").value_or(adbSearch) : adbSearch;
        if (button) {
            if (!reader.text("dbResultControl").isEmpty())
                checkControlNames(form, node, "dbResultControl", reader.text("dbResultControl"));
            checkControlNames(form, node, "dbListControls", reader.text("dbListControls"));
            checkFormReference(node, reader.text("dbFormName"));
            checkReportFile(node, reader.text("dbReportFile"));
            checkDesignerSql(form, node, reader.statement("dbSQL"), action == adbReport);
        }
        const QString generalTable = reader.text("dbGeneralTable");
        if (generalTable.isEmpty())
            return;
        if (!m_database.hasTable(generalTable)) {
            report(node, QStringLiteral("dbGeneralTable %1 names no table of tables.ini").arg(quoted(generalTable)));
            return;
        }
        if (action != adbSearch)
            return;
        SearchParameters search;
        search.generalTable = generalTable;
        search.listFields = reader.text("dbListFields");
        search.sortField = reader.text("dbSortField");
        search.sortAsc = reader.boolean("dbSortAsc");
        const bool listClean = checkColumnItems(node, "dbListFields", search.listFields, generalTable);
        const bool sortClean = checkColumnItems(node, "dbSortField", search.sortField, generalTable);
        if (!listClean || !sortClean)
            return; // the statement would only repeat those findings
        const QString sql = buildSearchStatement(search, nullptr, nullptr).parameterisedSql();
        if (const std::optional<QString> error = m_database.prepareOnlyError(sql))
            report(node, QStringLiteral("the search statement fails: %1 (%2)").arg(*error, sql));
    }

    void checkFormReference(const XmlNode &node, const QString &formName)
    {
        if (formName.isEmpty())
            return;
        for (const Form &form : m_forms)
            if (form.name == formName)
                return;
        report(node, QStringLiteral("dbFormName %1 names no form of forms.xml").arg(quoted(formName)));
    }

    void checkReportFile(const XmlNode &node, const QString &file)
    {
        if (file.isEmpty())
            return;
        const QString relative = QStringLiteral("Report/") + file;
        if (!QFileInfo(QDir(m_folder).filePath(relative)).isFile())
            report(node, QStringLiteral("dbReportFile %1: the file %2 does not exist").arg(quoted(file), relative));
    }

    // Placeholders get neutral values (0: a number outside quotes, a text inside them).
    void checkDesignerSql(const Form &form, const XmlNode &node, QString sql, bool forReport)
    {
        if (sql.trimmed().isEmpty())
            return;
        static const QRegularExpression placeholder(QStringLiteral("\\{([^{}]*)\\}"));
        QStringList names;
        for (const QRegularExpressionMatch &m : placeholder.globalMatch(sql))
            names << m.captured(1);
        for (const QString &name : names) {
            if (!form.find(name))
                report(node, QStringLiteral("dbSQL placeholder {%1} names no control of form %2").arg(name, form.name));
            sql = replacePlaceholder(sql, name, QStringLiteral("0"));
        }
        if (forReport)
            sql.replace(QStringLiteral("$id"), QStringLiteral("0"), Qt::CaseInsensitive);
        if (const std::optional<QString> error = SchemaDatabase::prepareError(m_tablesIni, sql))
            report(node, QStringLiteral("dbSQL fails: %1").arg(*error));
    }

    // --- graphics.dll ---------------------------------------------------------------------------

    void checkPictureLibrary()
    {
        const QString path = QDir(m_folder).filePath(QStringLiteral("graphics.dll"));
        if (!QFileInfo::exists(path))
            return;
        QStringList names;
        try {
            LoadPictureLibrary(path, [&](const QByteArray &, const QString &name) { names << name; });
        } catch (const Error &error) {
            report(path, 0, error.message());
        }
        for (const QString &name : names)
            if (const QString problem = pictureProblem(name); !problem.isEmpty())
                report(path, 0, QStringLiteral("picture %1 %2").arg(quoted(name), problem));
    }

    // Why the main window would skip the picture; empty when it finds its TdbImage.
    QString pictureProblem(const QString &name) const
    {
        const QStringList parts = name.split(QLatin1Char('.'));
        if (parts.size() != 4)
            return QStringLiteral("is not named prefix.form.control.extension");
        if (Picture::formatForExtension(parts.at(3)).isEmpty())
            return QStringLiteral("has no picture format Tarvo reads");
        for (const Form &form : m_forms)
            if (form.name == parts.at(1))
                for (const Control &c : form.controls)
                    if (c.name == parts.at(2) && c.node->name == QLatin1String("TdbImage"))
                        return QString();
        return QStringLiteral("names no TdbImage %1 on a form %2").arg(quoted(parts.at(2)), quoted(parts.at(1)));
    }

    QString m_folder;
    QString m_tablesIni;
    QString m_formsXml;
    QString m_tablesText;
    XmlNode m_root;
    SchemaDatabase m_database;
    QList<Form> m_forms;
    QList<Finding> m_findings;
};

} // namespace

QString formatFinding(const Finding &finding)
{
    if (finding.line > 0)
        return QStringLiteral("%1:%2: %3").arg(finding.file).arg(finding.line).arg(finding.message);
    return QStringLiteral("%1: %2").arg(finding.file, finding.message);
}

QList<Finding> checkProject(const QString &folder)
{
    return ProjectChecker(folder).run();
}

} // namespace tarvo
