#pragma once
// What the axis arithmetic needs from a scroll bar: its orientation, the
// position and page it shows, and a way to show new ones or be disabled.
// The chart window's scroll bar widget implements it; tests use a fake.

class OGrScrollBar {
public:
    virtual ~OGrScrollBar() = default;
    virtual bool IsVertical() const = 0;
    virtual int Position() const = 0;
    virtual int Page() const = 0;
    // Range 0..kGrScrollMax with the given page and position, enabled.
    virtual void SetScroll(int page, int position) = 0;
    virtual void DisableScroll() = 0;
};
