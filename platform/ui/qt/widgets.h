// Qt widgets of the back-end that the panel resource names as custom
// classes: the graph (painted from the shared plot model), the indicator
// lamp and the invisible timer control.
#pragma once

#include <QImage>
#include <QWidget>

#include "platform/ui/graph_file.h"
#include "platform/ui/plotmodel.h"

namespace ui {

class OrivanGraph : public QWidget {
    Q_OBJECT
public:
    explicit OrivanGraph(QWidget* parent = nullptr);
    // The model control this widget shows (panel handle, control id).
    void bind(int panel, int control) { panel_ = panel; control_ = control; }
    QImage render(QSize size) const;
    QSize sizeHint() const override { return QSize(320, 200); }

signals:
    void cursorMoved(int cursor);
    void rightClicked();
    // Ctrl+C on a graph whose control has a callback (the callback copies).
    void keyPressed(int key);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    Graph* model() const;
    GraphLook look() const;
    bool toData(QPointF pos, double* x, double* y) const;
    int panel_ = 0, control_ = 0;
    int dragging_ = 0;
};

class OrivanLed : public QWidget {
    Q_OBJECT
public:
    explicit OrivanLed(QWidget* parent = nullptr);
    void setState(bool on, int onColor, int offColor, const QString& text);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool on_ = false;
    int onColor_ = 0x00FF00, offColor_ = 0x404040;
    QString text_;
};

class OrivanTimer : public QWidget {
    Q_OBJECT
public:
    explicit OrivanTimer(QWidget* parent = nullptr) : QWidget(parent) { setFixedSize(0, 0); hide(); }
};

}  // namespace ui
