#include "output/PictureExport.h"

#include "chart/Render.h"
#include "shell/Platform.h"

namespace {

constexpr int kCannotOpenString = 257;
constexpr int kTitleString = 268;
constexpr int kMetafileTitle = 742;
constexpr int kMetafileFilter = 743;
constexpr int kBitmapTitle = 744;
constexpr int kBitmapFilter = 745;
constexpr int kPictureTitle = 553;
constexpr int kPictureFilter = 554;

bool EndsWith(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char c = text[text.size() - tail.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

// The chart drawn afresh into a vector picture of the shown chart's size:
// the file's bytes, empty when there is no chart or no such format.
std::string VectorChart(const char* extension) {
    int width = 0, height = 0;
    PictureSize(ChartPicture(), &width, &height);
    SurfaceRef surface = CreateVectorPicture(extension, width, height, LoadString(kTitleString));
    if (surface == nullptr) return {};
    BeginDrawing(surface);
    DrawChart(Rect{0, 0, width, height});
    EndDrawing();
    std::string bytes;
    FinishVectorPicture(surface, bytes);
    return bytes;
}

void ExportCommand(int title, int filter, const char* extension) {
    std::string path;
    if (!SaveFileDialog(title, filter, path, extension)) return;
    SetWaitCursor();
    SaveChartPicture(path);
    SetArrowCursor();
}

} // namespace

bool SaveChartPicture(const std::string& path) {
    bool written = false;
    if (EndsWith(path, ".bmp") || EndsWith(path, ".png")) {
        written = SavePicture(ChartPicture(), path);
    } else {
        const std::string bytes = VectorChart(path.c_str());
        written = !bytes.empty() && WriteWholeFile(path, bytes);
    }
    // A picture that silently fails to appear would look like success.
    if (!written) ShowMessage(ButtonsOK, kCannotOpenString, FileTitle(path).c_str());
    return written;
}

void exportMetafileCommand() {
    ExportCommand(kMetafileTitle, kMetafileFilter, "wmf");
}

void exportBitmapCommand() {
    ExportCommand(kBitmapTitle, kBitmapFilter, "bmp");
}

void exportPictureCommand() {
    ExportCommand(kPictureTitle, kPictureFilter, "png");
}

bool copyChartCommand() {
    PictureRef picture = ChartPicture();
    if (picture == nullptr) return false;
    SetWaitCursor();
    const bool copied = SetClipboardPicture(picture, VectorChart(".svg"), VectorChart(".wmf"));
    SetArrowCursor();
    return copied;
}
