#include "EcgBeatShapes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.28318530717958647692;

void Add(OEcgBeatShape& shape, double offset, double width, double height)
{
    shape.waves[shape.count++] = {offset, width, height};
}

} // namespace

OEcgBeatShape MakeEcgBeatShape(char form, double sinusRr, double rrBefore)
{
    // The sinus model's angles and widths at cycle rr, in seconds: an angle
    // a of a cycle of rr seconds is a * rr / 2 pi; the angles of P and T
    // scale with rr^-1/4, those of Q and S and all widths with rr^-1/2.
    const double rr = std::clamp(sinusRr, 0.3, 2.0);
    // Repolarisation adapts to the rate over many beats: the T-wave follows
    // the sinus cycle more than the interval just before.
    const double before = std::clamp(0.75 * rr + 0.25 * rrBefore, 0.3, 2.0);
    const double root = std::sqrt(rr);
    const double pOffset = -std::pow(rr, 0.75) / 6;
    const double pWidth = 0.25 * root / kTwoPi;
    const double qrsOffset = root / 24;
    const double qrsWidth = 0.1 * root / kTwoPi;
    const double tOffset = std::pow(before, 0.75) / 4;
    const double tWidth = 0.4 * std::sqrt(before) / kTwoPi;

    OEcgBeatShape shape;
    switch (form) {
    case 'V':
        Add(shape, -0.012, 0.03, 1.05);
        Add(shape, 0.052, 0.024, -0.42);
        Add(shape, 0.12 + tOffset, 1.3 * tWidth, -0.34);
        return shape;
    case 'S':
        Add(shape, 0.75 * pOffset, 0.7 * pWidth, -0.12);
        break;
    case 'A':
        break;
    default:
        Add(shape, pOffset, pWidth, 0.1);
        break;
    }
    Add(shape, -qrsOffset, qrsWidth, -0.12);
    Add(shape, 0, qrsWidth, 1);
    Add(shape, qrsOffset, qrsWidth, -0.2);
    Add(shape, tOffset, tWidth, 0.22);
    return shape;
}
