#pragma once
// The report component that actions use: one template, one data set ("Report"), the modal
// preview and the modal designer. Templates are files of our XML format with the suffix ".trp".
//   engine.dataSet().connect(query); engine.dataSet().setName("Report");
//   engine.loadTemplate(path); engine.showReport();
#include "report/reportdataset.h"
#include "report/reportlayout.h"
#include "report/reporttemplate.h"

#include <optional>

class QWidget;

namespace tarvo {

class ReportEngine {
public:
    static QString templateSuffix() { return QStringLiteral("trp"); }

    // No template and no file name; the data set stays.
    void clear();

    ReportDataSet &dataSet() { return m_data; }
    const ReportDataSet &dataSet() const { return m_data; }
    void setDataSet(ReportDataSet data) { m_data = std::move(data); }

    // Loads the template at `path` and remembers the path as the file name. A missing file is
    // no error: the report then has no template. An unreadable or malformed one raises
    // FileError / ParseError naming the problem.
    void loadTemplate(const QString &path);
    bool hasTemplate() const { return m_template.has_value(); }
    const ReportTemplate &reportTemplate() const; // an empty template when there is none
    void setReportTemplate(ReportTemplate tpl) { m_template = std::move(tpl); }
    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &path) { m_fileName = path; }

    // Where the designer's open and save dialogs start.
    void setDesignerFolders(const QString &openFolder, const QString &saveFolder);
    const QString &designerOpenFolder() const { return m_openFolder; }
    const QString &designerSaveFolder() const { return m_saveFolder; }

    // Lays the report out. Raises Error when there is no template or the template names fields
    // that the data set lacks, ParseError when its bands leave no room on the page.
    PreparedReport prepare(std::optional<QPageLayout> layout = std::nullopt) const;
    // Prepares the report afresh and shows the modal, maximised preview; returns when it closes.
    void showReport(QWidget *owner = nullptr);
    // Opens the modal designer on this report; returns when it closes. The designer edits the
    // report's template and file name in place.
    void designReport(QWidget *owner = nullptr);

private:
    ReportDataSet m_data;
    std::optional<ReportTemplate> m_template;
    QString m_fileName;
    QString m_openFolder;
    QString m_saveFolder;
};

} // namespace tarvo
