#pragma once
#include "OGrScrollBar.h"

struct FakeScrollBar : OGrScrollBar {
    explicit FakeScrollBar(bool vertical) : vertical(vertical) {}
    bool IsVertical() const override { return vertical; }
    int Position() const override { return position; }
    int Page() const override { return page; }
    void SetScroll(int p, int pos) override
    {
        enabled = true;
        page = p;
        position = pos;
    }
    void DisableScroll() override { enabled = false; }

    bool vertical;
    bool enabled = true;
    int page = 0;
    int position = 0;
};
