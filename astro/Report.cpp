#include "astro/Report.h"

namespace {
ReportHandler gReportHandler = nullptr;
}

ReportHandler SetReportHandler(ReportHandler handler) {
    ReportHandler previous = gReportHandler;
    gReportHandler = handler;
    return previous;
}

void ReportMessage(int stringNumber, const char* argument) {
    if (gReportHandler != nullptr) gReportHandler(stringNumber, argument != nullptr ? argument : "");
}
