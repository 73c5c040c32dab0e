#include "chart/Labels.h"

#include "chart/Primitives.h"
#include "chart/Projection.h"
#include "data/SkyObject.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// The written boxes are looked up through a coarse grid of cells over the
// drawing area, each cell a chain of the boxes that reach into it: a claim
// looks at its few neighbours, not at every label of a crowded chart. Cells
// are about a short label wide and one line high; a very large surface (a
// printer page) gets larger cells rather than more of them.
constexpr int kCellWidth = 64;
constexpr int kCellHeight = 32;
constexpr int kMostCells = 1 << 16;

struct Link {
    int label; // index into written
    int next;  // the cell's previous link, -1 at the chain's end
};

struct Registry {
    bool active = false;
    Rect area;
    int columns = 0, rows = 0, cellWidth = kCellWidth, cellHeight = kCellHeight;
    std::vector<WrittenLabel> written;
    std::vector<int> heads;
    std::vector<Link> links;
};
Registry gLabels;

// Object labels waiting for the end of the object layers; the texts follow
// one another, each ended by a null, in one buffer that keeps its room from
// chart to chart.
struct QueuedLabel {
    std::int16_t magnitude;
    int order;
    int x, y, gap;
    RGBColor color;
    std::size_t text;
};
std::vector<QueuedLabel> gQueue;
std::string gQueueText;

bool SameBox(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The cells a box reaches into, as column and row ranges.
struct CellRange {
    int c0, c1, r0, r1;
};
CellRange CellsOf(const Rect& box) {
    const Registry& g = gLabels;
    auto column = [&](int x) {
        return std::clamp((x - g.area.left) / g.cellWidth, 0, g.columns - 1);
    };
    auto row = [&](int y) { return std::clamp((y - g.area.top) / g.cellHeight, 0, g.rows - 1); };
    return {column(box.left), column(box.right - 1), row(box.top), row(box.bottom - 1)};
}

} // namespace

void BeginChartLabels() {
    Registry& g = gLabels;
    g.active = true;
    // A pixel inside the frame all round: the chart's frame is drawn over
    // the outermost pixels.
    g.area = Rect{gFrame.left + 1, gFrame.top + 1, gFrame.right - 1, gFrame.bottom - 1};
    g.cellWidth = kCellWidth;
    g.cellHeight = kCellHeight;
    const int width = std::max(g.area.width(), 1), height = std::max(g.area.height(), 1);
    for (;;) {
        g.columns = (width + g.cellWidth - 1) / g.cellWidth;
        g.rows = (height + g.cellHeight - 1) / g.cellHeight;
        if (static_cast<long>(g.columns) * g.rows <= kMostCells) break;
        g.cellWidth *= 2;
        g.cellHeight *= 2;
    }
    g.heads.assign(static_cast<std::size_t>(g.columns) * g.rows, -1);
    g.written.clear();
    g.links.clear();
    gQueue.clear();
    gQueueText.clear();
}

void EndChartLabels() {
    gLabels.active = false;
}

bool ChartLabelsActive() {
    return gLabels.active;
}

std::uint32_t LabelTag(std::string_view text) {
    // FNV-1a: enough to tell one label's text from its neighbours'.
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

bool ClaimLabel(const Rect& box, std::string_view text) {
    Registry& g = gLabels;
    if (!g.active) return true;
    if (box.right <= box.left || box.bottom <= box.top || box.left < g.area.left ||
        box.top < g.area.top || box.right > g.area.right || box.bottom > g.area.bottom)
        return false;
    const std::uint32_t tag = LabelTag(text);
    // Labels keep a pixel apart, so that two texts never read as one.
    const Rect probe{box.left - 1, box.top - 1, box.right + 1, box.bottom + 1};
    const CellRange near = CellsOf(probe);
    for (int r = near.r0; r <= near.r1; ++r)
        for (int c = near.c0; c <= near.c1; ++c)
            for (int k = g.heads[r * g.columns + c]; k >= 0; k = g.links[k].next) {
                const WrittenLabel& other = g.written[g.links[k].label];
                if (other.tag == tag && SameBox(other.box, box)) return true;
                if (Overlap(probe, other.box)) return false;
            }
    const int label = static_cast<int>(g.written.size());
    g.written.push_back({box, tag});
    const CellRange cells = CellsOf(box);
    for (int r = cells.r0; r <= cells.r1; ++r)
        for (int c = cells.c0; c <= cells.c1; ++c) {
            int& head = g.heads[r * g.columns + c];
            g.links.push_back({label, head});
            head = static_cast<int>(g.links.size()) - 1;
        }
    return true;
}

bool PlaceLabelAround(const char* text, int x, int y, int gap, bool belowFirst) {
    int w = 0, h = 0;
    LabelExtent(text, 0, &w, &h);
    if (w <= 0) return false;
    // Top-left corners: the four corners diagonally off the point, then
    // beside it (a little further, clear of a star's disc), above and below.
    const Point places[8] = {{x + gap, y - gap - h},     {x + gap, y + gap},
                             {x - gap - w, y - gap - h}, {x - gap - w, y + gap},
                             {x + gap + 2, y - h / 2},   {x - gap - 2 - w, y - h / 2},
                             {x - w / 2, y - gap - h},   {x - w / 2, y + gap}};
    for (int i = 0; i < 8; ++i) {
        Point at = places[i < 2 && belowFirst ? 1 - i : i];
        if (!ClaimLabel(Rect{at.x, at.y, at.x + w, at.y + h}, text)) continue;
        // A text without a Greek letter is one piece, measured just now: it
        // is written as DrawLabel would, without measuring it again.
        if (text[0] == '$')
            DrawLabel(text, 0, at.x, at.y + h);
        else
            Text(at.x, at.y, std::string(text, std::strcspn(text, ";")));
        return true;
    }
    return false;
}

void QueueObjectLabel(const SkyObject* object, int x, int y, int radius, std::int16_t magnitude,
                      RGBColor color) {
    if (object == nullptr) return;
    if (!gLabels.active) {
        SetColor(color, 1, false);
        DrawObjectLabel(object, x, y, radius);
        return;
    }
    const std::string text = ObjectLabelText(object);
    if (text.empty()) return;
    gQueue.push_back({magnitude, static_cast<int>(gQueue.size()), x, y,
                      ObjectLabelGap(object, radius), color, gQueueText.size()});
    gQueueText.append(text);
    gQueueText.push_back('\0');
}

void DrawQueuedLabels() {
    std::sort(gQueue.begin(), gQueue.end(), [](const QueuedLabel& a, const QueuedLabel& b) {
        return a.magnitude != b.magnitude ? a.magnitude < b.magnitude : a.order < b.order;
    });
    SelectChartFont();
    bool colorSet = false;
    RGBColor color{};
    for (const QueuedLabel& label : gQueue) {
        if (!colorSet || !(label.color == color)) {
            SetColor(label.color, 1, false);
            color = label.color;
            colorSet = true;
        }
        PlaceLabelAround(gQueueText.c_str() + label.text, label.x, label.y, label.gap);
    }
    gQueue.clear();
    gQueueText.clear();
}

const std::vector<WrittenLabel>& WrittenLabels() {
    return gLabels.written;
}
