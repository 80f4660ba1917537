#pragma once
// A chart scroll bar over 0..1,000,000,000. It reports each user action as a
// scroll request code instead of moving on its own (the axis decides where it
// goes), passes a right button press on to the chart for its popup menu, and
// leaves the wheel to the chart's wheel zoom.
#include "OGrScrollBar.h"

#include <QScrollBar>

class TGrScrollBar : public QScrollBar, public OGrScrollBar {
    Q_OBJECT
public:
    TGrScrollBar(Qt::Orientation orientation, int id, QWidget* parent);

    bool IsVertical() const override { return orientation() == Qt::Vertical; }
    int Position() const override { return value(); }
    int Page() const override { return pageStep(); }
    void SetScroll(int page, int position) override;
    void DisableScroll() override { setEnabled(false); }

signals:
    // code: SB_GR_*; trackPos: the thumb position for thumb requests.
    void scrollRequest(int code, int trackPos);
    // A right press, at a point in the parent's coordinates.
    void rightPressed(QPoint parentPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void OnAction(int action);
};
