// A report as A4 landscape PDF pages, drawn without a toolkit, so that every front end
// and zek-cli write the same bytes for the same content: the standard Helvetica fonts in
// WinAnsiEncoding (UTF-8 text converted; characters the encoding lacks become "?"),
// the title, the lines under it, the table with its heading repeated on every page, the
// notes. Lines and notes wrap at the page's width, table cells are cut to their column
// with "…"; nothing is placed outside the margins. The bytes depend on the content
// alone: no date, no random identifier.
#pragma once

#include <string>

#include "platform/report.h"

std::string ReportPdf(const ReportContent &report);
