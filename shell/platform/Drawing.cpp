// Drawing surfaces: the window's own, off-screen pictures and picture
// controls, with one current pen, brush, text colour and font at a time.

#include "shell/platform/Metafile.h"
#include "shell/platform/PlatformInternal.h"
#include "shell/platform/Widgets.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QScreen>
#include <QSvgGenerator>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>
#include <vector>

namespace {

struct DrawingState {
    SurfaceRecord* surface = nullptr;
    // A surface made current again while an outer state draws on the same
    // image borrows that state's painter (Qt allows one painter per image)
    // and puts the painter's settings back when it ends.
    std::unique_ptr<QPainter> ownPainter;
    QPainter* painter = nullptr;
    bool borrowed = false;
    QColor color = Qt::black;
    QColor textColor = Qt::black;
    int penWidth = 1;
    bool filled = false;
    bool xorMode = false;
    bool antialias = false;
    QFont font;
    bool symbolFont = false;
    QPoint position;
};

std::vector<std::unique_ptr<DrawingState>> gStack;
int gFakeDepth = 0;

DrawingState* Current() { return gStack.empty() ? nullptr : gStack.back().get(); }

QColor ToQColor(RGBColor c) { return QColor(c.red, c.green, c.blue); }

void ApplyPenBrush(DrawingState* s) {
    QPainter* p = s->painter;
    if (s->penWidth <= 0) {
        p->setPen(Qt::NoPen);
    } else {
        QPen pen(s->color);
        // Width 1 is a cosmetic one-pixel line, as on the screen. Its square
        // cap makes a line cover both end points whichever way it runs (a
        // flat cap leaves out whichever end Qt happens to rasterise last).
        pen.setWidth(s->penWidth == 1 ? 0 : s->penWidth);
        pen.setCapStyle(s->penWidth == 1 ? Qt::SquareCap : Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        p->setPen(pen);
    }
    p->setBrush(s->filled ? QBrush(s->color) : QBrush(Qt::NoBrush));
    // Inverting drawing must hit exactly the pixels it hits again to erase.
    p->setRenderHint(QPainter::Antialiasing, s->antialias && !s->xorMode);
    p->setCompositionMode(s->xorMode ? QPainter::RasterOp_SourceXorDestination
                                     : QPainter::CompositionMode_SourceOver);
}

// Greek letters by the Latin keys of the classic Symbol font.
QString MapSymbolText(const QString& text) {
    static const char16_t kLower[26] = {
        u'\u03B1', u'\u03B2', u'\u03C7', u'\u03B4', u'\u03B5', u'\u03C6', u'\u03B3',
        u'\u03B7', u'\u03B9', u'\u03D5', u'\u03BA', u'\u03BB', u'\u03BC', u'\u03BD',
        u'\u03BF', u'\u03C0', u'\u03B8', u'\u03C1', u'\u03C3', u'\u03C4', u'\u03C5',
        u'\u03D6', u'\u03C9', u'\u03BE', u'\u03C8', u'\u03B6'};
    QString out;
    for (QChar c : text) {
        char16_t u = c.unicode();
        if (u >= 'a' && u <= 'z')
            out.append(QChar(kLower[u - 'a']));
        else if (u >= 'A' && u <= 'Z')
            out.append(QChar(kLower[u - 'A']).toUpper());
        else
            out.append(c);
    }
    return out;
}

QPainter* Painter() {
    DrawingState* s = Current();
    return s != nullptr ? s->painter : nullptr;
}

// Files and printers take shapes as shapes: none of the pixel shortcuts.
bool OnVector(const DrawingState* s) {
    return s->surface != nullptr && s->surface->kind == SurfaceRecord::VectorKind;
}

// Pictures and window surfaces are drawn at one pixel per unit, whatever the
// screen's scaling.
QPaintDevice* TargetOf(const SurfaceRecord* surface) {
    if (surface == nullptr) return nullptr;
    if (surface->image != nullptr) return surface->image->isNull() ? nullptr : surface->image;
    return surface->device;
}

void OpenPainter(DrawingState* s) {
    // A printer's painter lasts the whole document: every page borrows it.
    QPainter* shared = s->surface->sharedPainter;
    for (auto& outer : gStack)
        if (shared == nullptr && outer->painter != nullptr &&
            TargetOf(outer->surface) == TargetOf(s->surface))
            shared = outer->painter;
    if (shared != nullptr) {
        s->painter = shared;
        s->borrowed = true;
        s->painter->save();
        s->painter->setClipping(false);
        s->painter->setFont(s->font);
        ApplyPenBrush(s);
        return;
    }
    s->ownPainter = std::make_unique<QPainter>(TargetOf(s->surface));
    s->painter = s->ownPainter.get();
    s->painter->setRenderHint(QPainter::Antialiasing, false);
    s->painter->setRenderHint(QPainter::TextAntialiasing, true);
    s->painter->setFont(s->font);
    ApplyPenBrush(s);
}

} // namespace

// ---------------------------------------------------------------------------
// Surfaces

SurfaceRef GetWindowSurface(WindowRef window) {
    if (window == nullptr || window->canvas == nullptr) return nullptr;
    window->canvas->ensureBacking();
    return &window->surface;
}

void ReleaseWindowSurface(SurfaceRef) {}

SurfaceRef GetItemSurface(WindowRef dialog, int control) {
    auto* label = qobject_cast<QLabel*>(ControlOf(dialog, control));
    if (label == nullptr) return nullptr;
    auto* surface = new SurfaceRecord;
    surface->kind = SurfaceRecord::ItemKind;
    surface->item = label;
    QSize size = label->size().expandedTo(QSize(1, 1));
    if (!label->pixmap().isNull() && label->pixmap().size() == size)
        surface->ownedImage = std::make_unique<QImage>(label->pixmap().toImage());
    else {
        surface->ownedImage = std::make_unique<QImage>(size, QImage::Format_RGB32);
        surface->ownedImage->fill(label->palette().color(QPalette::Window));
    }
    surface->image = surface->ownedImage.get();
    return surface;
}

void ReleaseItemSurface(SurfaceRef surface) {
    if (surface == nullptr) return;
    if (surface->item != nullptr && surface->image != nullptr)
        surface->item->setPixmap(QPixmap::fromImage(*surface->image));
    delete surface;
}

PictureRef CreatePicture(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    auto* picture = new (std::nothrow) PictureRecord;
    if (picture == nullptr) return nullptr;
    picture->image = QImage(width, height, QImage::Format_RGB32);
    if (picture->image.isNull()) {
        delete picture;
        return nullptr;
    }
    picture->image.fill(Qt::black);
    picture->surface.kind = SurfaceRecord::PictureKind;
    picture->surface.image = &picture->image;
    return picture;
}

PictureRef CreateScreenPicture(int width, int height) {
    qreal ratio = 1.0;
    if (WindowRef main = MainWindow(); main != nullptr && main->widget != nullptr)
        ratio = main->widget->devicePixelRatioF();
    else if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        ratio = app->devicePixelRatio();
    if (ratio <= 1.0) return CreatePicture(width, height);
    if (width <= 0 || height <= 0) return nullptr;
    auto* picture = new (std::nothrow) PictureRecord;
    if (picture == nullptr) return nullptr;
    picture->image = QImage((QSizeF(width, height) * ratio).toSize(), QImage::Format_RGB32);
    if (picture->image.isNull()) {
        delete picture;
        return nullptr;
    }
    picture->image.setDevicePixelRatio(ratio);
    picture->image.fill(Qt::black);
    picture->surface.kind = SurfaceRecord::PictureKind;
    picture->surface.image = &picture->image;
    return picture;
}

void DeletePicture(PictureRef picture) {
    if (picture == nullptr) return;
    for (auto& state : gStack)
        if (state->surface == &picture->surface) {
            state->painter = nullptr;
            state->ownPainter.reset();
        }
    delete picture;
}

SurfaceRef SelectPicture(PictureRef picture) { return picture ? &picture->surface : nullptr; }

void PictureSize(PictureRef picture, int* width, int* height) {
    QSizeF size = picture ? picture->image.deviceIndependentSize() : QSizeF(0.0, 0.0);
    if (width) *width = qRound(size.width());
    if (height) *height = qRound(size.height());
}

RGBColor PicturePixel(PictureRef picture, int x, int y) {
    if (picture == nullptr) return {};
    // A high-resolution picture is read at the screen pixel where the
    // point's own pixel starts.
    qreal ratio = picture->image.devicePixelRatio();
    int px = ratio == 1.0 ? x : static_cast<int>(std::floor(x * ratio));
    int py = ratio == 1.0 ? y : static_cast<int>(std::floor(y * ratio));
    if (!picture->image.valid(px, py)) return {};
    QRgb p = picture->image.pixel(px, py);
    return {static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
            static_cast<std::uint8_t>(qBlue(p))};
}

QImage RenderSvgResource(const QString& path, QSize size) {
    if (!QFile::exists(path)) return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) return {};
    if (!size.isValid()) size = renderer.defaultSize();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    return image;
}

PictureRef LoadPictureResource(int number) {
    QImage image = RenderSvgResource(QStringLiteral(":/pictures/%1.svg").arg(number));
    if (image.isNull()) return nullptr;
    PictureRef picture = CreatePicture(image.width(), image.height());
    if (picture == nullptr) return nullptr;
    QPainter painter(&picture->image);
    painter.drawImage(0, 0, image);
    return picture;
}

void BeginDrawing(SurfaceRef surface) {
    auto state = std::make_unique<DrawingState>();
    state->surface = surface;
    state->font = QApplication::font();
    if (TargetOf(surface) != nullptr) OpenPainter(state.get());
    gStack.push_back(std::move(state));
}

void EndDrawing() {
    if (gStack.empty()) return;
    std::unique_ptr<DrawingState> state = std::move(gStack.back());
    gStack.pop_back();
    if (state->borrowed && state->painter != nullptr) state->painter->restore();
    state->painter = nullptr;
    state->ownPainter.reset();
    SurfaceRecord* surface = state->surface;
    if (surface != nullptr && surface->kind == SurfaceRecord::WindowKind && surface->window &&
        surface->window->canvas && !surface->window->canvas->painting())
        surface->window->canvas->update();
}

void PaintWindowSurface(WindowRecord* record) {
    if (record->canvas == nullptr) return;
    record->canvas->setPainting(true);
    BeginDrawing(&record->surface);
    DeliverWindowEvent(record, Paint, 0, 0);
    EndDrawing();
    record->canvas->setPainting(false);
}

void ResetDrawing() {
    while (!gStack.empty()) EndDrawing();
}

// ---------------------------------------------------------------------------
// Pen, brush and font

void SetPenBrush(RGBColor color, int penWidth, bool filled) {
    DrawingState* s = Current();
    if (s == nullptr) return;
    QColor qcolor = ToQColor(color);
    // The chart sets the same pen for thousands of stars in a row.
    if (s->painter && s->color == qcolor && s->textColor == qcolor && s->penWidth == penWidth &&
        s->filled == filled)
        return;
    s->color = qcolor;
    s->textColor = s->color;
    s->penWidth = penWidth;
    s->filled = filled;
    if (s->painter) ApplyPenBrush(s);
}

void SetFilled(bool on) {
    DrawingState* s = Current();
    if (s == nullptr) return;
    s->filled = on;
    if (s->painter) ApplyPenBrush(s);
}

void SetTextColor(RGBColor color) {
    if (DrawingState* s = Current()) s->textColor = ToQColor(color);
}

void SetAntialiasing(bool on) {
    DrawingState* s = Current();
    if (s == nullptr) return;
    s->antialias = on;
    if (s->painter != nullptr) ApplyPenBrush(s);
}

void SetXorMode(bool on) {
    DrawingState* s = Current();
    if (s == nullptr) return;
    s->xorMode = on;
    if (s->painter) ApplyPenBrush(s);
}

void SelectFont(const std::string& face, int size, int style) {
    DrawingState* s = Current();
    if (s == nullptr) return;
    QString family = ToQString(face);
    s->symbolFont = family.compare("Symbol", Qt::CaseInsensitive) == 0;
    QFont font = s->symbolFont ? QApplication::font() : QFont(family);
    // A negative size is a character height in pixels; a positive one is in
    // points at the screen's 96 dots per inch.
    int pixels = size < 0 ? -size : (size * 96 + 36) / 72;
    font.setPixelSize(std::max(1, pixels));
    font.setBold(style & FontBold);
    font.setItalic(style & FontItalic);
    font.setUnderline(style & FontUnderline);
    font.setStrikeOut(style & FontStrikeout);
    s->font = font;
    if (s->painter) s->painter->setFont(font);
}

void TextExtent(const std::string& text, int* width, int* height) {
    DrawingState* s = Current();
    QFont font = s != nullptr ? s->font : QApplication::font();
    QString q = ToQString(text);
    if (s != nullptr && s->symbolFont) q = MapSymbolText(q);
    QFontMetrics metrics(font);
    if (width) *width = metrics.horizontalAdvance(q);
    if (height) *height = metrics.height();
}

// ---------------------------------------------------------------------------
// Shapes. Coordinates follow the screen's pixel grid: rectangles and ellipses
// cover left..right-1 and top..bottom-1.

void MoveTo(int x, int y) {
    if (DrawingState* s = Current()) s->position = QPoint(x, y);
}

namespace {
// Aliased, Qt puts a one-pixel line through the pixels whose corners are its
// integer coordinates; antialiased, the same coordinates fall on pixel
// corners and smear a line over two rows. Strokes are moved to the pixel
// centres then, so that smooth lines stay as sharp as the aliased ones.
void StrokeLine(DrawingState* s, QPoint from, QPoint to) {
    QPainter* p = s->painter;
    bool smooth = s->antialias && !s->xorMode;
    if (from == to) {
        if (smooth)
            p->drawPoint(QPointF(from) + QPointF(0.5, 0.5));
        else
            p->drawPoint(from);
        return;
    }
    if (smooth)
        p->drawLine(QPointF(from) + QPointF(0.5, 0.5), QPointF(to) + QPointF(0.5, 0.5));
    else
        p->drawLine(from, to);
}
} // namespace

void LineTo(int x, int y) {
    DrawingState* s = Current();
    if (s == nullptr) return;
    if (s->painter) StrokeLine(s, s->position, QPoint(x, y));
    s->position = QPoint(x, y);
}

void Line(int x1, int y1, int x2, int y2) {
    DrawingState* s = Current();
    if (s == nullptr) return;
    if (s->painter) StrokeLine(s, QPoint(x1, y1), QPoint(x2, y2));
    s->position = QPoint(x2, y2);
}

void Pixel(int x, int y) {
    DrawingState* s = Current();
    if (s == nullptr || !s->painter) return;
    if (s->antialias && !s->xorMode) {
        s->painter->fillRect(x, y, 1, 1, s->color);
        return;
    }
    QPen saved = s->painter->pen();
    s->painter->setPen(QPen(s->color, 0));
    s->painter->drawPoint(x, y);
    s->painter->setPen(saved);
}

namespace {
// In the inverting mode a pixel that two edges of an outline share (Qt draws
// some polygon corners twice), or that both the fill and the outline cover,
// would be inverted twice and so not at all. Such shapes are drawn into a
// layer first and the layer is inverted onto the surface once.
template <typename Draw>
void DrawInvertedOnce(QPainter* p, QRect bounds, Draw draw) {
    int margin = std::max(1, p->pen().width()) + 1;
    bounds = bounds.adjusted(-margin, -margin, margin, margin) &
             QRect(0, 0, p->device()->width(), p->device()->height());
    if (bounds.isEmpty()) return;
    QImage layer(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter layerPainter(&layer);
    layerPainter.setRenderHint(QPainter::Antialiasing, false);
    layerPainter.translate(-bounds.topLeft());
    layerPainter.setPen(p->pen());
    layerPainter.setBrush(p->brush());
    draw(&layerPainter);
    layerPainter.end();
    p->drawImage(bounds.topLeft(), layer);
}

// Smoothing a shape only a few pixels across changes nothing the eye can
// see but costs a curve flattening each time (thousands of stars a drawing):
// such shapes are drawn exact.
constexpr int kLargestExactShape = 8;

bool SmallShape(int left, int top, int right, int bottom) {
    return right - left <= kLargestExactShape && bottom - top <= kLargestExactShape;
}

template <typename Shape>
void DrawBoxShape(int left, int top, int right, int bottom, Shape shape) {
    QPainter* p = Painter();
    if (p == nullptr || right <= left || bottom <= top) return;
    DrawingState* s = Current();
    if (s->penWidth <= 0) {
        // No outline: the fill covers the whole box.
        shape(p, QRectF(left, top, right - left, bottom - top));
    } else if (s->xorMode && s->filled) {
        QRect box(left, top, right - left - 1, bottom - top - 1);
        DrawInvertedOnce(p, box, [&](QPainter* layer) { shape(layer, box); });
    } else if (s->antialias && !s->xorMode) {
        // The outline through the centres of the box's outer pixels.
        shape(p, QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1));
    } else {
        // A one-pixel outline is drawn on the box's last row and column.
        shape(p, QRect(left, top, right - left - 1, bottom - top - 1));
    }
}
} // namespace

void Rectangle(int left, int top, int right, int bottom) {
    DrawBoxShape(left, top, right, bottom, [](QPainter* p, auto r) { p->drawRect(r); });
}

namespace {
// An ellipse without outline, filled row by row: a pixel belongs to it when
// its centre lies inside the ellipse inscribed in the box. Qt's aliased fill
// samples rows off-centre and loses the top row of small discs.
void FillEllipseRows(QPainter* p, const QColor& color, int left, int top, int right, int bottom) {
    double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    double cx = left + rx, cy = top + ry;
    // Rows outside the picture are skipped (a huge disc at high magnification).
    QRect device(0, 0, p->device()->width(), p->device()->height());
    int firstRow = std::max(top, device.top()), lastRow = std::min(bottom - 1, device.bottom());
    for (int y = firstRow; y <= lastRow; ++y) {
        double dy = (y + 0.5 - cy) / ry;
        double room = 1.0 - dy * dy;
        if (room <= 0.0) continue;
        double half = rx * std::sqrt(room);
        double x0 = std::max({std::ceil(cx - half - 0.5), static_cast<double>(left),
                              static_cast<double>(device.left())});
        double x1 = std::min({std::floor(cx + half - 0.5), static_cast<double>(right - 1),
                              static_cast<double>(device.right())});
        if (x1 >= x0)
            p->fillRect(static_cast<int>(x0), y, static_cast<int>(x1 - x0) + 1, 1, color);
    }
}
} // namespace

namespace {
// Small outlined ellipses (star symbols and their rings) drawn once into a
// transparent tile per size, colour and pen, then copied: the same pixels as
// drawing each, at a fraction of the cost.
struct TileKey {
    int width, height;
    QRgb color;
    bool filled;
    bool operator<(const TileKey& o) const {
        return std::tie(width, height, color, filled) <
               std::tie(o.width, o.height, o.color, o.filled);
    }
};

const QImage& EllipseTile(const TileKey& key) {
    static std::map<TileKey, QImage> tiles;
    auto found = tiles.find(key);
    if (found != tiles.end()) return found->second;
    if (tiles.size() > 4096) tiles.clear();
    QImage tile(key.width, key.height, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    QPainter q(&tile);
    q.setRenderHint(QPainter::Antialiasing, false);
    QColor color = QColor::fromRgb(key.color);
    QPen pen(color);
    pen.setWidth(0);
    pen.setCapStyle(Qt::SquareCap);
    q.setPen(pen);
    q.setBrush(key.filled ? QBrush(color) : QBrush(Qt::NoBrush));
    q.drawEllipse(QRect(0, 0, key.width - 1, key.height - 1));
    q.end();
    return tiles.emplace(key, std::move(tile)).first->second;
}
} // namespace

void Ellipse(int left, int top, int right, int bottom) {
    DrawingState* s = Current();
    if (s != nullptr && s->painter != nullptr && s->penWidth == 1 && !s->xorMode && right > left &&
        bottom > top && SmallShape(left, top, right, bottom) && !OnVector(s)) {
        TileKey key{right - left, bottom - top, s->color.rgb(), s->filled};
        s->painter->drawImage(left, top, EllipseTile(key));
        return;
    }
    if (s != nullptr && s->painter != nullptr && s->penWidth <= 0) {
        if (!s->filled || right <= left || bottom <= top) return;
        if ((s->antialias && !s->xorMode && !SmallShape(left, top, right, bottom)) || OnVector(s))
            s->painter->drawEllipse(QRectF(left, top, right - left, bottom - top));
        else
            FillEllipseRows(s->painter, s->color, left, top, right, bottom);
        return;
    }
    DrawBoxShape(left, top, right, bottom, [](QPainter* p, auto r) { p->drawEllipse(r); });
}

void Polygon(const Point* points, int count) {
    QPainter* p = Painter();
    if (p == nullptr || points == nullptr || count < 2) return;
    QPolygon polygon;
    polygon.reserve(count);
    for (int i = 0; i < count; ++i) polygon.append(QPoint(points[i].x, points[i].y));
    DrawingState* s = Current();
    if (s->antialias && !s->xorMode) {
        // Smooth: outline through the pixel centres, as for lines.
        QPolygonF smooth;
        smooth.reserve(count);
        for (const QPoint& point : polygon) smooth.append(QPointF(point) + QPointF(0.5, 0.5));
        p->drawPolygon(smooth);
        return;
    }
    auto draw = [&](QPainter* q) {
        if (s->penWidth != 1) {
            q->drawPolygon(polygon);
            return;
        }
        // Qt's one-pixel stroker leaves out a corner of some closed outlines;
        // edges drawn one by one cover every corner.
        if (s->filled) {
            QPen pen = q->pen();
            q->setPen(Qt::NoPen);
            q->drawPolygon(polygon);
            q->setPen(pen);
        }
        for (int i = 0; i < count; ++i) q->drawLine(polygon[i], polygon[(i + 1) % count]);
    };
    if (s->xorMode && s->penWidth > 0)
        DrawInvertedOnce(p, polygon.boundingRect(), draw);
    else
        draw(p);
}

void Text(int x, int y, const std::string& text) {
    DrawingState* s = Current();
    if (s == nullptr || !s->painter) return;
    QString q = ToQString(text);
    if (s->symbolFont) q = MapSymbolText(q);
    QPen saved = s->painter->pen();
    s->painter->setPen(QPen(s->textColor));
    QFontMetrics metrics(s->font);
    s->painter->drawText(QPoint(x, y + metrics.ascent()), q);
    s->painter->setPen(saved);
}

void DrawIcon(int number, int x, int y) {
    QPainter* p = Painter();
    if (p == nullptr) return;
    // Icons are drawn many times a second while the chart moves: each is
    // rendered from its SVG once (a missing one is remembered as null).
    static std::map<int, QImage> cache;
    auto found = cache.find(number);
    if (found == cache.end())
        found = cache
                    .emplace(number, RenderSvgResource(
                                         QStringLiteral(":/icons/%1.svg").arg(number), QSize(32, 32)))
                    .first;
    if (!found->second.isNull()) p->drawImage(x, y, found->second);
}

void DrawPicture(PictureRef picture, const Rect* destination) {
    QPainter* p = Painter();
    if (p == nullptr || picture == nullptr) return;
    if (destination == nullptr)
        p->drawImage(0, 0, picture->image);
    else
        p->drawImage(QRect(destination->left, destination->top, destination->width(),
                           destination->height()),
                     picture->image);
}

void ClipTo(const Rect& rect) {
    if (QPainter* p = Painter()) p->setClipRect(rect.left, rect.top, rect.width(), rect.height());
}

void RemoveClip() {
    if (QPainter* p = Painter()) p->setClipping(false);
}

// ---------------------------------------------------------------------------
// Picture files

namespace {

// Bytes written through the program's file writer, so that a picture file is
// replaced only once it is complete.
bool WriteWhole(const std::string& path, const QByteArray& bytes) {
    std::FILE* file = OpenFile(path, "wb");
    if (file == nullptr) return false;
    if (!bytes.isEmpty() &&
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), file) !=
            static_cast<std::size_t>(bytes.size())) {
        AbandonFile(file);
        return false;
    }
    return CloseFile(file);
}

struct VectorFile {
    SurfaceRecord surface;
    QBuffer buffer;
    std::unique_ptr<QSvgGenerator> svg;
    std::unique_ptr<QPdfWriter> pdf;
    std::unique_ptr<MetafileDevice> metafile;
    std::string path; // where FinishSvgSurface writes it
};
std::vector<std::unique_ptr<VectorFile>> gVectorFiles;

bool EndsWith(const std::string& name, const char* extension) {
    return ToQString(name).endsWith(QLatin1String(extension), Qt::CaseInsensitive);
}

// Little-endian, `bytes` long; bytes past the value's four are zero.
void PutLE(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>(i < 4 ? value >> (8 * i) & 0xFF : 0));
}

} // namespace

std::string BitmapFileBytes(PictureRef picture, int bitsPerPixel) {
    if (picture == nullptr) return {};
    const bool indexed = bitsPerPixel <= 8;
    const int bits = indexed ? 8 : 24;
    // A screen of 256 colours holds the colours of its palette: the picture is
    // reduced to at most 256 of them, the table filled out to its full size.
    QImage image = indexed ? picture->image.convertToFormat(QImage::Format_Indexed8,
                                                            Qt::ThresholdDither | Qt::AvoidDither)
                           : picture->image.convertToFormat(QImage::Format_RGB888);
    if (image.isNull()) return {};
    const int width = image.width(), height = image.height();
    const std::uint32_t rowBytes = ((static_cast<std::uint32_t>(width) * bits + 31) / 32) * 4;
    const std::uint32_t imageSize = rowBytes * static_cast<std::uint32_t>(height);
    const std::uint32_t paletteEntries = indexed ? 256 : 0;
    const std::uint32_t pixelsAt = 14 + 40 + 4 * paletteEntries;
    QByteArray out;
    out.append("BM");
    PutLE(out, pixelsAt + imageSize, 4);
    PutLE(out, 0, 4);
    PutLE(out, pixelsAt, 4);
    PutLE(out, 40, 4);
    PutLE(out, static_cast<std::uint32_t>(width), 4);
    PutLE(out, static_cast<std::uint32_t>(height), 4);
    PutLE(out, 1, 2);
    PutLE(out, static_cast<std::uint32_t>(bits), 2);
    PutLE(out, 0, 4);
    PutLE(out, imageSize, 4);
    PutLE(out, 0, 16);
    const QList<QRgb> table = image.colorTable();
    for (std::uint32_t i = 0; i < paletteEntries; ++i) {
        const QRgb c =
            i < static_cast<std::uint32_t>(table.size()) ? table[static_cast<int>(i)] : 0;
        out.append(static_cast<char>(qBlue(c))).append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qRed(c))).append('\0');
    }
    // Rows bottom up, blue green red, each padded to a multiple of 4 bytes.
    for (int y = height - 1; y >= 0; --y) {
        const uchar* line = image.constScanLine(y);
        QByteArray row;
        if (indexed) {
            row = QByteArray(reinterpret_cast<const char*>(line), width);
        } else {
            for (int x = 0; x < width; ++x)
                row.append(static_cast<char>(line[3 * x + 2]))
                    .append(static_cast<char>(line[3 * x + 1]))
                    .append(static_cast<char>(line[3 * x]));
        }
        row.append(QByteArray(static_cast<qsizetype>(rowBytes) - row.size(), '\0'));
        out.append(row);
    }
    return out.toStdString();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    return WriteWhole(path, QByteArray::fromStdString(bytes));
}

bool SavePicture(PictureRef picture, const std::string& path) {
    if (picture == nullptr) return false;
    if (EndsWith(path, ".bmp"))
        return WriteWholeFile(path, BitmapFileBytes(picture, ScreenBitsPerPixel()));
    if (!EndsWith(path, ".png")) return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture->image.save(&buffer, "PNG")) return false;
    return WriteWhole(path, bytes);
}

int ScreenPixelsPerInch() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInchX()) : 96;
}

SurfaceRef CreateVectorPicture(const std::string& fileName, int width, int height,
                               const std::string& title) {
    if (width <= 0 || height <= 0) return nullptr;
    auto file = std::make_unique<VectorFile>();
    file->buffer.open(QIODevice::WriteOnly);
    file->surface.kind = SurfaceRecord::VectorKind;
    if (EndsWith(fileName, ".svg")) {
        file->svg = std::make_unique<QSvgGenerator>();
        file->svg->setOutputDevice(&file->buffer);
        file->svg->setSize(QSize(width, height));
        // At the screen's customary 96 dots per inch, viewers show it pixel for pixel.
        file->svg->setResolution(96);
        file->svg->setViewBox(QRect(0, 0, width, height));
        file->svg->setTitle(ToQString(title));
        file->surface.device = file->svg.get();
    } else if (EndsWith(fileName, ".pdf")) {
        // One page the size of the picture at 96 dots per inch, a unit a dot.
        file->pdf = std::make_unique<QPdfWriter>(&file->buffer);
        file->pdf->setResolution(96);
        file->pdf->setPageSize(QPageSize(QSizeF(width, height) * 72.0 / 96.0, QPageSize::Point));
        file->pdf->setPageMargins(QMarginsF(0, 0, 0, 0));
        file->pdf->setTitle(ToQString(title));
        file->pdf->setCreator(ToQString(title));
        file->surface.device = file->pdf.get();
    } else if (EndsWith(fileName, ".wmf")) {
        file->metafile = std::make_unique<MetafileDevice>(width, height, ScreenPixelsPerInch());
        file->surface.device = file->metafile.get();
    } else {
        return nullptr;
    }
    SurfaceRef surface = &file->surface;
    gVectorFiles.push_back(std::move(file));
    return surface;
}

bool FinishVectorPicture(SurfaceRef surface, std::string& bytes) {
    auto it =
        std::find_if(gVectorFiles.begin(), gVectorFiles.end(),
                     [&](const std::unique_ptr<VectorFile>& f) { return &f->surface == surface; });
    if (it == gVectorFiles.end()) return false;
    // Nothing may still be drawing on it.
    for (auto& state : gStack)
        if (state->surface == surface) return false;
    std::unique_ptr<VectorFile> file = std::move(*it);
    gVectorFiles.erase(it);
    file->buffer.close();
    bytes = file->metafile ? file->metafile->placeableBytes().toStdString()
                           : file->buffer.data().toStdString();
    return !bytes.empty();
}

SurfaceRef CreateSvgSurface(const std::string& path, int width, int height,
                            const std::string& title) {
    SurfaceRef surface = CreateVectorPicture(path, width, height, title);
    for (auto& file : gVectorFiles)
        if (&file->surface == surface) file->path = path;
    return surface;
}

bool FinishSvgSurface(SurfaceRef surface) {
    std::string path;
    for (auto& file : gVectorFiles)
        if (&file->surface == surface) path = file->path;
    std::string bytes;
    return FinishVectorPicture(surface, bytes) && WriteWholeFile(path, bytes);
}

bool SetClipboardPicture(PictureRef picture, const std::string& svg, const std::string& metafile) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr || picture == nullptr) return false;
    auto* data = new QMimeData;
    data->setImageData(picture->image);
    if (!svg.empty())
        data->setData(QStringLiteral("image/svg+xml"), QByteArray::fromStdString(svg));
    if (!metafile.empty())
        data->setData(QStringLiteral("image/x-wmf"), QByteArray::fromStdString(metafile));
    clipboard->setMimeData(data);
    return true;
}

std::string ClipboardData(const std::string& mimeType) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    if (data == nullptr) return {};
    if (mimeType == "image/png" && data->hasImage()) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        qvariant_cast<QImage>(data->imageData()).save(&buffer, "PNG");
        return bytes.toStdString();
    }
    return data->data(ToQString(mimeType)).toStdString();
}

// ---------------------------------------------------------------------------
// Screen

int ScreenBitsPerPixel() {
    if (gFakeDepth > 0) return gFakeDepth;
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->depth() : 24;
}

void SetFakeScreenDepth(int bitsPerPixel) { gFakeDepth = bitsPerPixel; }

void ScreenSize(int* width, int* height) {
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect geometry = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    if (width) *width = geometry.width();
    if (height) *height = geometry.height();
}

// The 21 desktop colour elements, as roles of the program's own palette.
namespace {
const QPalette::ColorRole kSystemColorRoles[kSystemColorCount] = {
    QPalette::Mid,             // scroll bar
    QPalette::Window,          // desktop
    QPalette::Highlight,       // active caption
    QPalette::Dark,            // inactive caption
    QPalette::Button,          // menu
    QPalette::Base,            // window
    QPalette::Shadow,          // window frame
    QPalette::ButtonText,      // menu text
    QPalette::Text,            // window text
    QPalette::HighlightedText, // caption text
    QPalette::Light,           // active border
    QPalette::Midlight,        // inactive border
    QPalette::AlternateBase,   // application workspace
    QPalette::Highlight,       // highlight
    QPalette::HighlightedText, // highlighted text
    QPalette::Window,          // button face
    QPalette::Dark,            // button shadow
    QPalette::PlaceholderText, // grey text
    QPalette::WindowText,      // button text
    QPalette::ToolTipText,     // inactive caption text
    QPalette::Light,           // button highlight
};
} // namespace

void GetSystemColors(int first, int count, RGBColor* out) {
    QPalette palette = QApplication::palette();
    for (int i = 0; i < count; ++i) {
        int element = first + i;
        if (element < 0 || element >= kSystemColorCount) {
            out[i] = {};
            continue;
        }
        QColor c = palette.color(kSystemColorRoles[element]);
        out[i] = {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                  static_cast<std::uint8_t>(c.blue())};
    }
}

void SetSystemColors(int first, int count, const RGBColor* colors) {
    // The palette the program started with: its disabled colours are the
    // desktop's own, and a colour given back is given back with them.
    static const QPalette original = QApplication::palette();
    QPalette palette = QApplication::palette();
    for (int i = 0; i < count; ++i) {
        int element = first + i;
        if (element < 0 || element >= kSystemColorCount) continue;
        const QPalette::ColorRole role = kSystemColorRoles[element];
        const QColor color = ToQColor(colors[i]);
        if (color == original.color(QPalette::Active, role)) {
            for (QPalette::ColorGroup group :
                 {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                palette.setColor(group, role, original.color(group, role));
            continue;
        }
        // Greyed items must still look greyed: the disabled colour lies half
        // way to the window's, as the desktop's own palettes have it.
        palette.setColor(QPalette::Active, role, color);
        palette.setColor(QPalette::Inactive, role, color);
        const QColor window = palette.color(QPalette::Active, QPalette::Window);
        palette.setColor(QPalette::Disabled, role,
                         QColor((color.red() + window.red()) / 2,
                                (color.green() + window.green()) / 2,
                                (color.blue() + window.blue()) / 2));
    }
    QApplication::setPalette(palette);
}
