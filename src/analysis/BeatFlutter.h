#pragma once
// Ventricular flutter and fibrillation: detections there are waves of an
// oscillation, not beats that have a class, so they are Q (the field's EC57
// comparison leaves such stretches out as well). Two signs, each sustained:
//  - a run of at least kBriefRun intervals shorter than kBriefMs (faster than
//    240 bpm): no ventricle conducts that fast; a couplet or a short salvo
//    of early beats is not such a run;
//  - over kSpan detections either side, a median interval shorter than
//    kFastMs (faster than 160 bpm) and a median baseline share (BaselineShare)
//    under kLevelShare: a sine-like oscillation without a baseline between
//    its waves; from there the stretch reaches on, wave by wave, while
//    the intervals stay shorter than kFastMs and each wave's own baseline
//    share under kLevelShareNear. Ventricular tachycardia keeps a level stretch between its
//    QRS complexes (its beats read 0.26 to 0.73 in the MIT-BIH records,
//    those of flutter 0.14 to 0.35).
#include "OImpulse.h"

#include <cstdint>
#include <vector>

namespace beat {

inline constexpr double kBriefMs = 250;
inline constexpr int64_t kBriefRun = 6; // intervals
inline constexpr double kFastMs = 375;
inline constexpr double kLevelShare = 0.28;
inline constexpr double kLevelShareNear = 0.35;
inline constexpr int64_t kSpan = 5; // detections either side

// level[i]: the baseline share of beat i's window. 1 marks the
// detections inside flutter.
std::vector<uint8_t> FlutterWaves(const OImpulse* b, int64_t count, const std::vector<float>& level);

} // namespace beat
