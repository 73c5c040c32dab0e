// Printing: the one printer record of the run, the print and page setup
// dialogs, the page mapping and the "Now printing..." abort box.

#include "shell/platform/PlatformInternal.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>

#include <memory>

namespace {

constexpr int kAbortCancel = 2;

struct PrintJob {
    SurfaceRecord surface;
    QPainter painter;
    std::vector<QPointer<QWidget>> disabled;
    WindowRef box = nullptr;
    bool started = false; // a page is open
    int pages = 0;
};

std::unique_ptr<QPrinter> gPrinter;
std::unique_ptr<PrintJob> gJob;
bool gAbort = false;
PrintDialogResponder gPrintResponder;
int gAbortAfterPages = 0;

QPrinter& Printer() {
    if (!gPrinter) gPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *gPrinter;
}

QWidget* Parent() {
    WindowRef main = MainWindow();
    return main != nullptr ? main->widget.data() : nullptr;
}

// Cancel in the box: the document stops after the page being printed.
long PrintBoxHandler(int event, WindowRef, long control, long) {
    if ((event == ControlNotify && control == kAbortCancel) || event == CloseRequest) gAbort = true;
    return 1;
}

} // namespace

void SetPrintDialogResponder(PrintDialogResponder responder) {
    gPrintResponder = std::move(responder);
}

void SetPrintAbortForTest(int afterPages) {
    gAbortAfterPages = afterPages;
}

bool PrintSetupDialog() {
    IdleBlocker block;
    QPageSetupDialog dialog(&Printer(), Parent());
    return dialog.exec() == QDialog::Accepted;
}

SurfaceRef BeginPrintDocument(int* copies) {
    QPrinter& printer = Printer();
    if (gPrintResponder) {
        std::string pdf;
        int count = 1;
        if (!gPrintResponder(pdf, count)) return nullptr;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setCopyCount(count);
    } else {
        IdleBlocker block;
        QPrintDialog dialog(&printer, Parent());
        // The chart is one page: a range would change nothing.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        if (dialog.exec() != QDialog::Accepted) return nullptr;
    }
    // The copies are printed here, one page each.
    *copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    printer.setDocName(QString());
    gAbort = false;
    gJob = std::make_unique<PrintJob>();
    gJob->surface.kind = SurfaceRecord::VectorKind;
    gJob->surface.device = &printer;
    if (!gJob->painter.begin(&printer)) {
        gJob.reset();
        return nullptr;
    }
    gJob->surface.sharedPainter = &gJob->painter;
    gJob->box = CreateDialogWindow(kPrintBoxTemplate, 0, PrintBoxHandler);
    gJob->disabled = DisableOtherWindows(gJob->box != nullptr ? gJob->box->widget.data() : nullptr);
    if (gJob->box != nullptr) {
        SetWindowTitle(gJob->box, FromQString(MessageTitle()));
        CenterOnParent(gJob->box);
        ShowWindow(gJob->box);
    }
    return &gJob->surface;
}

bool StartPrintPage(SurfaceRef printer, Rect* page) {
    if (!gJob || printer != &gJob->surface) return false;
    QPrinter& device = Printer();
    if (gJob->pages > 0 && !device.newPage()) return false;
    gJob->started = true;
    // The page is W x H printer pixels; the window spans as many screen
    // pixels as cover it at the screen's physical size.
    const QRect pixels = device.pageLayout().paintRectPixels(device.resolution());
    const double screen = ScreenPixelsPerInch();
    const int width = qRound(pixels.width() * screen / device.logicalDpiX());
    const int height = qRound(pixels.height() * screen / device.logicalDpiY());
    QPainter& painter = gJob->painter;
    painter.resetTransform();
    painter.setViewport(0, 0, pixels.width(), pixels.height());
    painter.setWindow(0, 0, width, height);
    *page = Rect{0, 0, width, height};
    return true;
}

bool EndPrintPage(SurfaceRef printer) {
    if (!gJob || printer != &gJob->surface || !gJob->started) return false;
    gJob->started = false;
    ++gJob->pages;
    if (gAbortAfterPages > 0 && gJob->pages >= gAbortAfterPages) gAbort = true;
    return gJob->painter.isActive();
}

bool PrintAborted() {
    PumpMessages();
    return gAbort;
}

void EndPrintDocument(SurfaceRef printer, bool aborted) {
    if (!gJob || printer != &gJob->surface) return;
    std::unique_ptr<PrintJob> job = std::move(gJob);
    if (aborted || gAbort) Printer().abort();
    job->painter.end();
    ReenableWindows(job->disabled);
    if (job->box != nullptr) DestroyWindow(job->box);
}
