#pragma once
// Lays its items out left to right and wraps to a new row when the width
// runs out, so that the control bar keeps every caption readable on a narrow
// window instead of squeezing it.
#include <QLayout>

#include <vector>

class CFlowLayout : public QLayout {
public:
    explicit CFlowLayout(QWidget* parent, int spacing = 8);
    ~CFlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(m_Items.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return Arrange(QRect(0, 0, width, 0), false); }
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items (when place is set) and returns the height used.
    int Arrange(const QRect& rect, bool place) const;

    std::vector<QLayoutItem*> m_Items;
    int m_Spacing;
};
