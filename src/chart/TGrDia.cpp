#include "TGrDia.h"

#include "OGrScrollBar.h"

#include <algorithm>
#include <cmath>
#include <cstring>

TGrDia::TGrDia()
{
    std::memset(formatOn, 0xFF, sizeof(formatOn));
}

void TGrDia::IncludeInView(double lo, double hi)
{
    if (!GrValidRange(lo, hi))
        return;
    viewLo = std::min(viewLo, lo);
    viewHi = std::max(viewHi, hi);
}

void TGrDia::IncludeInData(double lo, double hi)
{
    if (!GrValidRange(lo, hi))
        return;
    dataLo = std::min(dataLo, lo);
    dataHi = std::max(dataHi, hi);
}

namespace {

// Widens [lo, hi] symmetrically to at least width.
void WidenTo(double& lo, double& hi, double width)
{
    const double shortfall = width - (hi - lo);
    if (shortfall > 0) {
        lo -= shortfall / 2;
        hi += shortfall / 2;
    }
}

} // namespace

void TGrDia::NormalizeView(bool renew)
{
    if (renew && isFull == 1 && isAuto == 0)
        EmptyView();
    NormalizeFromCheck();
}

void TGrDia::NormalizeFromCheck()
{
    if (!ViewValid()) {
        viewLo = dataLo;
        viewHi = dataHi;
        isFull = 1;
        return;
    }
    NormalizeFromNeed();
}

void TGrDia::NormalizeFromNeed()
{
    IncludeInView(needLo, needHi);
    if (minSpan >= 0)
        WidenTo(viewLo, viewHi, minSpan);
    const double eps = std::max({dataHi - dataLo, std::fabs(dataLo), std::fabs(dataHi)}) * 1e-10;
    WidenTo(viewLo, viewHi, eps);
    if (viewLo < dataLo) {
        const double shift = dataLo - viewLo;
        viewLo += shift;
        viewHi += shift;
    }
    if (viewHi > dataHi) {
        const double shift = viewHi - dataHi;
        viewLo -= shift;
        viewHi -= shift;
    }
    viewLo = std::max(viewLo, dataLo);
    viewHi = std::min(viewHi, dataHi);
    isFull = (viewLo == dataLo && viewHi == dataHi) ? 1 : 0;
}

void TGrDia::FinishDataRange()
{
    IncludeInData(needLo, needHi);
    if (minSpan >= 0)
        WidenTo(dataLo, dataHi, minSpan);
    if (dataLo <= dataHi) {
        double eps = std::max({dataHi - dataLo, std::fabs(dataLo), std::fabs(dataHi)}) * 1e-10;
        if (eps == 0)
            eps = 1.0;
        dataLo -= eps / 2;
        dataHi += eps / 2;
    }
}

void TGrDia::AdoptDataRange() { NormalizeFromCheck(); }

void TGrDia::UpdateScrollBar(OGrScrollBar* bar)
{
    if (bar == nullptr)
        return;
    const double span = dataHi - dataLo;
    if (!ViewValid() || !DataValid() || !(span > 0)) {
        bar->DisableScroll();
        return;
    }
    const double page = 1 + std::trunc((viewHi - viewLo) / span * 1e9);
    const double pos = bar->IsVertical() ? std::trunc((dataHi - viewHi) / span * 1e9)
                                         : std::trunc((viewLo - dataLo) / span * 1e9);
    auto clampInt = [](double v) { return static_cast<int>(std::clamp(v, 0.0, 1e9 + 1)); };
    bar->SetScroll(clampInt(page), clampInt(pos));
}

void TGrDia::ScrollTo(int pos, bool vertical)
{
    const double offset = pos * (dataHi - dataLo) * 1e-9;
    const double width = viewHi - viewLo;
    if (vertical) {
        viewHi = dataHi - offset;
        viewLo = viewHi - width;
    } else {
        viewLo = dataLo + offset;
        viewHi = viewLo + width;
    }
    NormalizeView(true);
}

void TGrDia::Scroll(int code, OGrScrollBar* bar, int trackPos)
{
    if (bar == nullptr)
        return;
    if (code == SB_GR_CENTER) {
        const double mid = (dataLo + dataHi) / 2;
        const double half = (viewHi - viewLo) / 2;
        viewLo = mid - half;
        viewHi = mid + half;
        NormalizeView(true);
        UpdateScrollBar(bar);
        return;
    }
    // 64-bit so that a position near the end plus a page cannot overflow.
    long long p = bar->Position();
    const long long page = bar->Page();
    switch (code) {
    case SB_GR_LINEUP: p -= page / 20; break;
    case SB_GR_LINEDOWN: p += page / 20; break;
    case SB_GR_PAGEUP: p -= page; break;
    case SB_GR_PAGEDOWN: p += page; break;
    case SB_GR_TOP: p = 0; break;
    case SB_GR_BOTTOM: p = kGrScrollMax; break;
    case SB_GR_THUMBPOSITION:
    case SB_GR_THUMBTRACK:
        isAuto = 0;
        p = trackPos;
        break;
    default: break;
    }
    p = std::clamp<long long>(p, -kGrScrollMax, 2LL * kGrScrollMax);
    ScrollTo(static_cast<int>(p), bar->IsVertical());
    UpdateScrollBar(bar);
}

void TGrDia::ZoomAbout(double steps, double anchor)
{
    const double f = std::pow(1.1, steps);
    viewLo = anchor + f * (viewLo - anchor);
    viewHi = anchor + f * (viewHi - anchor);
    isAuto = 0;
    NormalizeFromCheck();
}
