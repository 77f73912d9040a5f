#pragma once
// The report designer of the main menu: opens the designer on the report as last used.
namespace tarvo {

class ReportEngine;

// Sets the designer's folders to the project's Report folder and opens it modally; no query runs.
void mniReportClick(ReportEngine &report);

} // namespace tarvo
