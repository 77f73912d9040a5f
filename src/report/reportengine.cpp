#include "report/reportengine.h"

#include "platform/errors.h"
#include "platform/interaction.h"
#include "platform/waitcursor.h"
#include "report/reportdesigner.h"
#include "report/reportpreview.h"

#include <QFileInfo>

namespace tarvo {

void ReportEngine::clear()
{
    m_template.reset();
    m_fileName.clear();
}

void ReportEngine::loadTemplate(const QString &path)
{
    m_fileName = path;
    m_template.reset();
    if (QFileInfo::exists(path))
        m_template = ReportTemplate::load(path);
}

const ReportTemplate &ReportEngine::reportTemplate() const
{
    static const ReportTemplate empty;
    return m_template ? *m_template : empty;
}

void ReportEngine::setDesignerFolders(const QString &openFolder, const QString &saveFolder)
{
    m_openFolder = openFolder;
    m_saveFolder = saveFolder;
}

PreparedReport ReportEngine::prepare(std::optional<QPageLayout> layout) const
{
    if (!m_template) {
        if (!m_fileName.isEmpty())
            throw FileError(QStringLiteral("Report template not found: %1").arg(m_fileName));
        throw Error(QStringLiteral("No report template is loaded"));
    }
    const QStringList missing = m_template->missingFields(m_data);
    if (!missing.isEmpty())
        throw Error(QStringLiteral("Report template \"%1\": data set \"%2\" has no field %3")
                        .arg(m_fileName, m_data.name(),
                             QLatin1Char('"') + missing.join(QStringLiteral("\", \"")) + QLatin1Char('"')));
    const WaitCursor busy;
    return prepareReport(*m_template, m_data, layout);
}

void ReportEngine::showReport(QWidget *owner)
{
    ReportPreview preview(
        prepare(), [this](std::optional<QPageLayout> layout) { return prepare(layout); },
        [this, owner] { designReport(owner); }, owner);
    preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
    interaction().showModal(&preview);
}

void ReportEngine::designReport(QWidget *owner)
{
    if (!m_template)
        m_template = m_data.columns().isEmpty()
                         ? ReportTemplate()
                         : ReportTemplate::tableLayout(m_data, QFileInfo(m_fileName).completeBaseName());
    ReportDesigner designer(*m_template, m_fileName, m_data, owner);
    designer.setFolders(m_openFolder, m_saveFolder);
    designer.setWindowState(designer.windowState() | Qt::WindowMaximized);
    interaction().showModal(&designer);
}

} // namespace tarvo
