#pragma once
// A pair of arrow buttons that only reports presses: +1 for the up or right
// arrow, -1 for the down or left one, repeating while held.
#include <QTimer>
#include <QWidget>

class TGrUpDown : public QWidget {
    Q_OBJECT
public:
    TGrUpDown(Qt::Orientation orientation, int id, QWidget* parent);

signals:
    void deltaRequested(int delta);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // +1 or -1 for the half under point p.
    int DeltaAt(QPoint p) const;

    Qt::Orientation m_Orientation;
    int m_Pressed = 0;
    QTimer m_Repeat;
};
