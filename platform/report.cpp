// Report services: the front end shows the table, report_pdf.h draws the PDF, the file
// services write it.
#include "platform/report.h"

#include <chrono>
#include <ctime>

#include "platform/files.h"
#include "platform/frontend.h"
#include "platform/report_pdf.h"

int ShowReportTable(const ReportContent &report, int filterColumn, const char *allLabel)
{
    platform::CurrentFrontEnd().ShowReport(report, filterColumn, allLabel ? allLabel : "");
    return 0;
}

int WriteReportPdf(const char *fileName, const ReportContent &report)
{
    const std::string pdf = ReportPdf(report);
    const int handle = CVI_OpenFile(fileName, VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    if (handle < 0) return -1;
    const int written = CVI_WriteFile(handle, pdf.data(), static_cast<int>(pdf.size()));
    // The close reports a failed write as well and keeps the old file then.
    const int closed = CVI_CloseFile(handle);
    return written < 0 || closed < 0 ? -1 : 0;
}

std::string LocalDateTime(char separator)
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char text[32];
    const char format[] = {'%', 'Y', '-', '%', 'm', '-', '%', 'd', separator,
                           '%', 'H', ':', '%', 'M', ':', '%', 'S', '\0'};
    const std::tm *local = std::localtime(&now);
    if (!local || std::strftime(text, sizeof text, format, local) == 0) return "";
    return text;
}
