#pragma once
// The chart window: graphs stacked in panes over one shared time axis, each
// with its own Y axis, scroll bar and zoom arrows. It reads everything through
// the owner's OGrList at paint time and never copies data. The owner attaches
// the list with SetGrList (again after every change of its content) and
// forwards its key presses with ForwardKey; the chart never keeps the focus.
#include "GrDefs.h"
#include "GrRanges.h"
#include "GrShapes.h"
#include "GrSpans.h"
#include "TGrDia.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <vector>

class OGrList;
class QMenu;
class QKeyEvent;
class TGrScrollBar;
class TGrUpDown;

class TGrWnd : public QWidget {
    Q_OBJECT
public:
    explicit TGrWnd(QWidget* parent = nullptr);
    ~TGrWnd() override;

    // Attaches a list, or refreshes after its content changed.
    void SetGrList(OGrList* list);
    OGrList* GrList() const { return m_List; }

    // Key presses and releases the owner received (releases are ignored).
    void GrKey(int key, Qt::KeyboardModifiers modifiers, int repeat, bool release);
    void ForwardKey(const QKeyEvent* event);

    // Scales an axis by 1.1^steps about anchor (positive steps widen) and
    // repaints.
    void Zoom(double steps, TGrDia* axis, TGrScrollBar* bar, double anchor);

    TGrDia& XAxis() { return m_XAxis; }
    // Shows [lo, hi] of the X axis (kept inside the data) and repaints.
    void ShowXRange(double lo, double hi);
    TGrScrollBar* XScrollBar() const { return m_XBar; }
    int PaneCount() const { return static_cast<int>(m_Panes.size()); }
    int CurrentGraph() const { return m_CurrentGraph; }
    // Plot rectangle of pane g; right() and bottom() are its last column and row.
    QRect PlotRect(int g) const;
    int LeftPlotEdge() const { return m_LeftEdge; }
    int LabelHeight() const { return m_LabelHeight; }
    // The client area as the chart paints it (child controls not included).
    QImage RenderImage();
    void RenderInto(QImage& image);

    // The one popup menu shared by all chart windows (null before the first).
    static QMenu* PopupMenu();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    struct Pane {
        TGrScrollBar* bar = nullptr;
        TGrUpDown* upDown = nullptr;
        int top = 0, bottom = 0, right = 0;
    };

    // Layout and painting (TGrWndPaint.cpp).
    void Layout();
    void Paint(QImage& image);
    int GraphsToPaint() const;
    bool PanesTileTheClient() const;
    void PaintPane(QPainter& p, QImage& image, int g, int left);
    // The names of graph g's series in their colours, in the plot's top left corner.
    void PaintLegend(QPainter& p, int g, const QRect& plot);
    void PaintXLabels(QPainter& p, int rowLeft, int rowRight, int top);
    void PlaceXLabels(QPainter& p, int rank, int from, int to, int first, int end, int top);
    int XPixel(double v) const;
    int ScrollBarExtent() const;

    // Interaction (TGrWndInput.cpp).
    int ZoneAt(QPoint p) const;
    int PaneAt(int y) const;
    void OnWheel(const class TGrWheelEvent& e);
    void OnXScroll(int code, int trackPos);
    void OnPaneScroll(int g, int code, int trackPos);
    void OnXUpDown(int delta);
    void OnPaneUpDown(int g, int delta);
    void GraphKey(int key, bool shift, bool ctrl, bool keypad, int repeat);
    void ShowMenu(QPoint clientPos);
    void OnMenuCommand(int id);
    bool ValidGraph(int g) const;
    TGrDia* GraphAxis(int g) const;
    void Repaint() { update(); }

    OGrList* m_List = nullptr;
    TGrDia m_XAxis;
    TGrScrollBar* m_XBar;
    TGrUpDown* m_XUpDown;
    std::vector<Pane> m_Panes;
    int m_CurrentGraph = 0;
    int m_CapturePane = -1;
    int m_PressZone = 0;
    QPoint m_LastMouse;
    int m_LeftEdge = 0;
    int m_LabelHeight = 0;
    QImage m_Frame;
    // Shapes of the line being painted; kept so that their storage is reused
    // from paint to paint.
    GrLineShapes m_Shapes;
    std::vector<GrSpanRect> m_SpanRects;
    // How the point lines were ordered when the list was attached.
    GrPointOrders m_PointOrders;
};
