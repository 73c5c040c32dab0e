#pragma once

// The computation code has no user interface of its own. When it must tell the
// user something (a date text that does not parse, say) it reports the number of
// the string-table message and the text for its "%s"; the application installs a
// handler that shows the message box, the command-line tool one that prints it.

using ReportHandler = void (*)(int stringNumber, const char* argument);

// Installs `handler` (nullptr: reports are dropped) and returns the previous one.
ReportHandler SetReportHandler(ReportHandler handler);

// Passes a message to the installed handler, if any.
void ReportMessage(int stringNumber, const char* argument);
