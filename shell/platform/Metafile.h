#pragma once

// A paint device that records what is drawn on it as a Windows metafile.

#include <QByteArray>
#include <QPaintDevice>

#include <memory>

class MetafileDevice : public QPaintDevice {
public:
    // A picture of width x height units, `unitsPerInch` of them to the inch.
    MetafileDevice(int width, int height, int unitsPerInch);
    ~MetafileDevice() override;
    QPaintEngine* paintEngine() const override;
    // The placeable metafile file: the 22-byte header with its checksum,
    // then the metafile (complete once the painter has ended).
    QByteArray placeableBytes() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    struct Engine;
    std::unique_ptr<Engine> engine_;
    int width_, height_, unitsPerInch_;
};
