// The metafile recorder: a paint device whose engine turns what a QPainter
// draws into Windows metafile records (pens, brushes, fonts, lines,
// polylines, polygons, ellipses, rectangles, pixels, text and bitmaps), and
// the placeable header that lets other programs size the picture.

#include "shell/platform/Metafile.h"

#include "shell/platform/PlatformInternal.h"

#include <QPaintEngine>
#include <QPainterPath>
#include <QTextItem>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Record functions.
constexpr std::uint16_t kMetaEof = 0x0000;
constexpr std::uint16_t kMetaSaveDC = 0x001E;
constexpr std::uint16_t kMetaSetBkMode = 0x0102;
constexpr std::uint16_t kMetaSetRop2 = 0x0104;
constexpr std::uint16_t kMetaSetPolyFillMode = 0x0106;
constexpr std::uint16_t kMetaRestoreDC = 0x0127;
constexpr std::uint16_t kMetaSelectObject = 0x012D;
constexpr std::uint16_t kMetaSetTextAlign = 0x012E;
constexpr std::uint16_t kMetaDeleteObject = 0x01F0;
constexpr std::uint16_t kMetaSetTextColor = 0x0209;
constexpr std::uint16_t kMetaSetWindowOrg = 0x020B;
constexpr std::uint16_t kMetaSetWindowExt = 0x020C;
constexpr std::uint16_t kMetaLineTo = 0x0213;
constexpr std::uint16_t kMetaMoveTo = 0x0214;
constexpr std::uint16_t kMetaCreatePenIndirect = 0x02FA;
constexpr std::uint16_t kMetaCreateFontIndirect = 0x02FB;
constexpr std::uint16_t kMetaCreateBrushIndirect = 0x02FC;
constexpr std::uint16_t kMetaPolygon = 0x0324;
constexpr std::uint16_t kMetaPolyline = 0x0325;
constexpr std::uint16_t kMetaIntersectClipRect = 0x0416;
constexpr std::uint16_t kMetaEllipse = 0x0418;
constexpr std::uint16_t kMetaRectangle = 0x041B;
constexpr std::uint16_t kMetaSetPixel = 0x041F;
constexpr std::uint16_t kMetaExtTextOut = 0x0A32;
constexpr std::uint16_t kMetaStretchDIB = 0x0F43;

constexpr std::uint16_t kTransparent = 1;
constexpr std::uint16_t kCopyPen = 13;
constexpr std::uint16_t kXorPen = 7;
constexpr std::uint16_t kAlternate = 1;
constexpr std::uint16_t kWinding = 2;
constexpr std::uint16_t kBaseline = 24; // TA_BASELINE | TA_LEFT | TA_NOUPDATECP
constexpr std::uint16_t kPenNull = 5;
constexpr std::uint16_t kBrushSolid = 0;
constexpr std::uint16_t kBrushNull = 1;
constexpr std::uint32_t kSourceCopy = 0x00CC0020;
constexpr std::uint16_t kBoldWeight = 700;
constexpr std::uint16_t kNormalWeight = 400;
constexpr std::uint8_t kAnsiCharset = 0;
constexpr std::uint8_t kSymbolCharset = 2;
constexpr std::uint8_t kAntialiasedQuality = 4;
constexpr int kFaceSize = 32;
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr int kHeaderWords = 9;

void Put16(QByteArray& out, int value) {
    const auto v = static_cast<std::uint16_t>(value);
    out.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
}
void Put32(QByteArray& out, std::uint32_t v) {
    Put16(out, static_cast<int>(v & 0xFFFF));
    Put16(out, static_cast<int>(v >> 16));
}
std::uint32_t ColorRef(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
           static_cast<std::uint32_t>(c.blue()) << 16;
}
// Coordinates are signed 16-bit.
int Clamp16(double v) {
    return static_cast<int>(std::clamp(std::round(v), -32768.0, 32767.0));
}

// Greek letters go back to the Latin keys of the Symbol font.
bool SymbolText(const QString& text, QByteArray& bytes) {
    static const char16_t kGreek[] = u"\u03B1\u03B2\u03C7\u03B4\u03B5\u03C6\u03B3\u03B7\u03B9"
                                     u"\u03D5\u03BA\u03BB\u03BC\u03BD\u03BF\u03C0\u03B8\u03C1"
                                     u"\u03C3\u03C4\u03C5\u03D6\u03C9\u03BE\u03C8\u03B6";
    bool greek = false;
    for (QChar c : text) {
        const char16_t* found =
            std::find(std::begin(kGreek), std::end(kGreek) - 1, c.toLower().unicode());
        if (found == std::end(kGreek) - 1) {
            bytes.append(FromQString(QString(c)).c_str());
            continue;
        }
        greek = true;
        char latin = static_cast<char>('a' + (found - kGreek));
        bytes.append(c.isUpper() ? static_cast<char>(latin - 'a' + 'A') : latin);
    }
    return greek;
}

class MetafileEngine : public QPaintEngine {
public:
    MetafileEngine() : QPaintEngine(AllFeatures) {}

    bool begin(QPaintDevice* device) override {
        records_.clear();
        used_.clear();
        maxRecord_ = 0;
        pen_ = brush_ = font_ = -1;
        // The player of a placeable metafile maps the window onto the
        // picture's box itself.
        Record(kMetaSetWindowOrg, {0, 0});
        Record(kMetaSetWindowExt, {device->height(), device->width()});
        DrawingModes();
        return true;
    }
    // Text without a background box, on its baseline; restoring a saved
    // state is not trusted by every player to bring these back.
    void DrawingModes() {
        Record(kMetaSetBkMode, {kTransparent});
        Record(kMetaSetTextAlign, {kBaseline});
        Record(kMetaSetPolyFillMode, {kAlternate});
    }
    bool end() override {
        if (saved_) Record(kMetaRestoreDC, {-1});
        saved_ = false;
        Record(kMetaEof, {});
        return true;
    }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override {
        const DirtyFlags flags = state.state();
        if (flags & DirtyPen) penColor_ = state.pen(), penDirty_ = true;
        if (flags & DirtyBrush) brushColor_ = state.brush(), brushDirty_ = true;
        if (flags & DirtyFont) fontValue_ = state.font(), fontDirty_ = true;
        if (flags & DirtyTransform) transform_ = state.transform();
        if (flags & DirtyCompositionMode) {
            const bool xorMode = state.compositionMode() == QPainter::RasterOp_SourceXorDestination;
            Record(kMetaSetRop2, {xorMode ? kXorPen : kCopyPen});
        }
        if (flags & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled)) {
            // A clip is intersected into a saved state, so that the next one
            // starts from the whole picture again; the objects go with it.
            if (saved_) Record(kMetaRestoreDC, {-1});
            Record(kMetaSaveDC, {});
            saved_ = true;
            DrawingModes();
            penDirty_ = brushDirty_ = fontDirty_ = true;
            pen_ = brush_ = font_ = -1;
            if (state.isClipEnabled() && state.clipOperation() != Qt::NoClip) {
                const QRect r = (flags & DirtyClipPath ? state.clipPath().boundingRect().toRect()
                                                       : state.clipRegion().boundingRect());
                Record(kMetaIntersectClipRect, {r.bottom() + 1, r.right() + 1, r.top(), r.left()});
            }
        }
    }

    void drawLines(const QLine* lines, int count) override {
        SelectPen();
        for (int i = 0; i < count; ++i) {
            const QPoint a = Map(lines[i].p1()), b = Map(lines[i].p2());
            Record(kMetaMoveTo, {a.y(), a.x()});
            Record(kMetaLineTo, {b.y(), b.x()});
        }
    }
    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i) {
            const QLine line = lines[i].toLine();
            drawLines(&line, 1);
        }
    }
    void drawPoints(const QPointF* points, int count) override {
        for (int i = 0; i < count; ++i) {
            const QPoint p = Map(points[i].toPoint());
            const std::uint32_t c = ColorRef(penColor_.color());
            Record(kMetaSetPixel,
                   {static_cast<int>(c & 0xFFFF), static_cast<int>(c >> 16), p.y(), p.x()});
        }
    }
    void drawRects(const QRect* rects, int count) override {
        SelectPen();
        SelectBrush();
        for (int i = 0; i < count; ++i) {
            // The outline runs on the last row and column, as on the screen.
            const QRect r = transform_.mapRect(rects[i]);
            Record(kMetaRectangle, {r.bottom() + 2, r.right() + 2, r.top(), r.left()});
        }
    }
    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QRect r = rects[i].toRect();
            drawRects(&r, 1);
        }
    }
    void drawEllipse(const QRect& rect) override {
        SelectPen();
        SelectBrush();
        const QRect r = transform_.mapRect(rect);
        Record(kMetaEllipse, {r.bottom() + 2, r.right() + 2, r.top(), r.left()});
    }
    void drawEllipse(const QRectF& rect) override { drawEllipse(rect.toRect()); }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override {
        if (count < 1) return;
        SelectPen();
        if (mode != PolylineMode) SelectBrush();
        Record(kMetaSetPolyFillMode, {mode == WindingMode ? kWinding : kAlternate});
        std::vector<int> params{std::min(count, 8000)};
        for (int i = 0; i < params[0]; ++i) {
            const QPoint p = Map(points[i]);
            params.push_back(p.x());
            params.push_back(p.y());
        }
        Record(mode == PolylineMode ? kMetaPolyline : kMetaPolygon, params);
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        QPolygon polygon;
        for (int i = 0; i < count; ++i)
            polygon << points[i].toPoint();
        drawPolygon(polygon.constData(), static_cast<int>(polygon.size()), mode);
    }
    void drawPath(const QPainterPath& path) override {
        const bool filled = brushColor_.style() != Qt::NoBrush;
        for (const QPolygonF& polygon : path.toSubpathPolygons())
            drawPolygon(polygon.constData(), static_cast<int>(polygon.size()),
                        filled ? OddEvenMode : PolylineMode);
    }
    void drawTextItem(const QPointF& at, const QTextItem& item) override {
        QByteArray bytes;
        const bool symbol = SymbolText(item.text(), bytes);
        if (bytes.isEmpty()) return;
        SelectFont(item.font(), symbol);
        Record(kMetaSetTextColor, {static_cast<int>(ColorRef(penColor_.color()) & 0xFFFF),
                                   static_cast<int>(ColorRef(penColor_.color()) >> 16)});
        const QPoint p = Map(at.toPoint());
        std::vector<int> params{p.y(), p.x(), static_cast<int>(bytes.size()), 0};
        if (bytes.size() % 2 != 0) bytes.append('\0');
        for (qsizetype i = 0; i < bytes.size(); i += 2)
            params.push_back(static_cast<std::uint8_t>(bytes[i]) |
                             static_cast<std::uint8_t>(bytes[i + 1]) << 8);
        Record(kMetaExtTextOut, params);
    }
    void drawImage(const QRectF& target, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags) override {
        // A 24-bit bottom-up bitmap, stretched into place.
        const QImage rgb = image.copy(source.toRect()).convertToFormat(QImage::Format_RGB888);
        const int rowBytes = (rgb.width() * 3 + 3) & ~3;
        QByteArray dib;
        Put32(dib, 40);
        Put32(dib, static_cast<std::uint32_t>(rgb.width()));
        Put32(dib, static_cast<std::uint32_t>(rgb.height()));
        Put16(dib, 1);
        Put16(dib, 24);
        for (int i = 0; i < 6; ++i)
            Put32(dib, 0);
        for (int y = rgb.height() - 1; y >= 0; --y) {
            const uchar* line = rgb.constScanLine(y);
            for (int x = 0; x < rgb.width(); ++x)
                dib.append(static_cast<char>(line[3 * x + 2]))
                    .append(static_cast<char>(line[3 * x + 1]))
                    .append(static_cast<char>(line[3 * x]));
            dib.append(QByteArray(rowBytes - rgb.width() * 3, '\0'));
        }
        const QRect to = transform_.mapRect(target).toRect();
        std::vector<int> params{static_cast<int>(kSourceCopy & 0xFFFF),
                                static_cast<int>(kSourceCopy >> 16),
                                0,
                                rgb.height(),
                                rgb.width(),
                                0,
                                0,
                                to.height(),
                                to.width(),
                                to.top(),
                                to.left()};
        for (qsizetype i = 0; i + 1 < dib.size(); i += 2)
            params.push_back(static_cast<std::uint8_t>(dib[i]) |
                             static_cast<std::uint8_t>(dib[i + 1]) << 8);
        Record(kMetaStretchDIB, params);
    }
    void drawPixmap(const QRectF& target, const QPixmap& pixmap, const QRectF& source) override {
        drawImage(target, pixmap.toImage(), source, Qt::AutoColor);
    }

    // The metafile's bytes: the header, then the records.
    QByteArray Bytes() const {
        QByteArray out;
        const auto words = static_cast<std::uint32_t>(kHeaderWords + records_.size() / 2);
        Put16(out, 1); // in memory
        Put16(out, kHeaderWords);
        Put16(out, 0x0300);
        Put32(out, words);
        Put16(out, static_cast<int>(used_.size()));
        Put32(out, maxRecord_);
        Put16(out, 0);
        return out + records_;
    }

private:
    QPoint Map(QPoint p) const {
        const QPointF q = transform_.map(QPointF(p));
        return {Clamp16(q.x()), Clamp16(q.y())};
    }

    void Record(std::uint16_t function, const std::vector<int>& params) {
        const auto words = static_cast<std::uint32_t>(3 + params.size());
        Put32(records_, words);
        Put16(records_, function);
        for (int p : params)
            Put16(records_, p);
        maxRecord_ = std::max(maxRecord_, words);
    }
    // The lowest free slot of the object table, as the player assigns them.
    int NewObject() {
        auto free = std::find(used_.begin(), used_.end(), false);
        if (free != used_.end()) {
            *free = true;
            return static_cast<int>(free - used_.begin());
        }
        used_.push_back(true);
        return static_cast<int>(used_.size()) - 1;
    }
    void Replace(int& slot, int created) {
        Record(kMetaSelectObject, {created});
        if (slot >= 0) {
            Record(kMetaDeleteObject, {slot});
            used_[static_cast<std::size_t>(slot)] = false;
        }
        slot = created;
    }
    void SelectPen() {
        if (!penDirty_ && pen_ >= 0) return;
        penDirty_ = false;
        const bool none = penColor_.style() == Qt::NoPen;
        const int width = penColor_.isCosmetic() ? 0 : std::max(1, penColor_.width());
        const std::uint32_t c = ColorRef(penColor_.color());
        const int created = NewObject();
        Record(kMetaCreatePenIndirect, {none ? kPenNull : 0, width, 0, static_cast<int>(c & 0xFFFF),
                                        static_cast<int>(c >> 16)});
        Replace(pen_, created);
    }
    void SelectBrush() {
        if (!brushDirty_ && brush_ >= 0) return;
        brushDirty_ = false;
        const bool none = brushColor_.style() == Qt::NoBrush;
        const std::uint32_t c = ColorRef(brushColor_.color());
        const int created = NewObject();
        Record(kMetaCreateBrushIndirect,
               {none ? kBrushNull : kBrushSolid, static_cast<int>(c & 0xFFFF),
                static_cast<int>(c >> 16), 0});
        Replace(brush_, created);
    }
    void SelectFont(const QFont& font, bool symbol) {
        if (!fontDirty_ && font_ >= 0 && font == fontValue_ && symbol == symbolFont_) return;
        fontDirty_ = false;
        fontValue_ = font;
        symbolFont_ = symbol;
        // A negative height is the character height in pixels.
        const int pixels =
            font.pixelSize() > 0 ? font.pixelSize() : (font.pointSize() * 96 + 36) / 72;
        QByteArray face =
            symbol ? QByteArray("Symbol") : QByteArray(FromQString(font.family()).c_str());
        face = face.left(kFaceSize - 1);
        face.append(QByteArray(kFaceSize - face.size(), '\0'));
        const int charset = symbol ? kSymbolCharset : kAnsiCharset;
        std::vector<int> params{-pixels,
                                0,
                                0,
                                0,
                                font.bold() ? kBoldWeight : kNormalWeight,
                                (font.italic() ? 1 : 0) | (font.underline() ? 1 << 8 : 0),
                                (font.strikeOut() ? 1 : 0) | charset << 8,
                                0,
                                kAntialiasedQuality};
        for (int i = 0; i < kFaceSize; i += 2)
            params.push_back(static_cast<std::uint8_t>(face[i]) |
                             static_cast<std::uint8_t>(face[i + 1]) << 8);
        const int created = NewObject();
        Record(kMetaCreateFontIndirect, params);
        Replace(font_, created);
    }

    QByteArray records_;
    std::vector<bool> used_;
    std::uint32_t maxRecord_ = 0;
    int pen_ = -1, brush_ = -1, font_ = -1;
    bool penDirty_ = true, brushDirty_ = true, fontDirty_ = true, saved_ = false;
    bool symbolFont_ = false;
    QPen penColor_;
    QBrush brushColor_;
    QFont fontValue_;
    QTransform transform_;
};

} // namespace

struct MetafileDevice::Engine : MetafileEngine {};

MetafileDevice::MetafileDevice(int width, int height, int unitsPerInch)
    : engine_(std::make_unique<Engine>()), width_(width), height_(height),
      unitsPerInch_(unitsPerInch) {}

MetafileDevice::~MetafileDevice() = default;

QPaintEngine* MetafileDevice::paintEngine() const {
    return engine_.get();
}

int MetafileDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth:
        return width_;
    case PdmHeight:
        return height_;
    case PdmWidthMM:
        return width_ * 254 / (unitsPerInch_ * 10);
    case PdmHeightMM:
        return height_ * 254 / (unitsPerInch_ * 10);
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return unitsPerInch_;
    case PdmNumColors:
        return 0xFFFFFF;
    case PdmDepth:
        return 24;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    default:
        return 0;
    }
}

QByteArray MetafileDevice::placeableBytes() const {
    QByteArray out;
    Put32(out, kPlaceableKey);
    for (int v : {0, 0, 0, width_, height_, unitsPerInch_})
        Put16(out, v);
    Put32(out, 0);
    // The checksum: the exclusive-or of the ten words before it.
    std::uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(out[i]) |
                                          static_cast<std::uint8_t>(out[i + 1]) << 8);
    Put16(out, sum);
    return out + engine_->Bytes();
}
