#include "ChartDemo.h"

#include "GrSynthetic.h"
#include "TGrWnd.h"

#include <QKeyEvent>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

namespace {

class ChartDemoWindow : public QWidget {
public:
    ChartDemoWindow()
    {
        setWindowTitle(QStringLiteral("Brenna - график"));
        setFocusPolicy(Qt::StrongFocus);
        GrSyntheticOptions options;
        options.sampleRate = 100; // a light signal: the demo starts at once
        m_List = std::make_unique<GrSyntheticList>(options);
        m_List->GetGrDia(2)->SetFormat(0);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        m_Chart = new TGrWnd(this);
        layout->addWidget(m_Chart);
        m_Chart->SetGrList(m_List.get());
        resize(1000, 700);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override { m_Chart->ForwardKey(event); }
    void keyReleaseEvent(QKeyEvent* event) override { m_Chart->ForwardKey(event); }
    bool focusNextPrevChild(bool) override { return false; } // Tab goes to the chart

private:
    std::unique_ptr<GrSyntheticList> m_List;
    TGrWnd* m_Chart;
};

} // namespace

QWidget* CreateChartDemoWindow() { return new ChartDemoWindow(); }
