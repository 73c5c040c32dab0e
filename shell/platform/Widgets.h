#pragma once

// Qt widgets of the platform layer.

#include "shell/platform/PlatformInternal.h"

#include <QDialog>
#include <QImage>
#include <QWidget>

// The client area of a main window. It keeps a backing image that is the
// window's drawing surface: handlers draw on it (during Paint or at any other
// time, rubber bands included) and the widget shows it.
class CanvasWidget : public QWidget {
public:
    CanvasWidget(WindowRecord* record, QWidget* parent);
    // Asks for a Paint event at the next repaint.
    void invalidate();
    // Sends a pending Paint now.
    void paintNow();
    void ensureBacking();
    bool painting() const { return painting_; }
    void setPainting(bool on) { painting_ = on; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void keyReleaseEvent(QKeyEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dropEvent(QDropEvent*) override;

private:
    WindowRecord* record_;
    QImage backing_;
    bool needsPaint_ = true;
    bool painting_ = false;
};

// Activation, window-state and close events of every top-level window.
class TopLevelFilter : public QObject {
public:
    static TopLevelFilter* instance();
    bool eventFilter(QObject* object, QEvent* event) override;
};

// A dialog made from a template. Escape and the close box act as the Cancel
// button (control 2), as dialog handlers expect.
class DialogFrame : public QDialog {
public:
    explicit DialogFrame(QWidget* parent) : QDialog(parent) {}
    WindowRecord* record = nullptr;

protected:
    void reject() override;
    void paintEvent(QPaintEvent*) override;
};
