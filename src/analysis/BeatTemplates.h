#pragma once
// The QRS shapes of one recording, clustered as its beats come: each beat
// joins the template it correlates best with (Pearson over the QRS, 98 ms
// before to 123 ms after the R-peak, the beat shifted up to 8 ms either way
// to align it) when the correlation reaches kMatch and the amplitudes differ
// by less than a factor 1.6; otherwise it starts a template of its own. A
// template is the running mean of its beats (weight 1/8 once it has eight),
// so it follows the slow changes of a day's recording.
//
// At most kActive templates are compared at once (the one unused longest
// retires); at most kMaxClusters are kept in all, and beats beyond that stay
// without a cluster (-1): a recording that makes thousands of shapes is noise.
#include "BeatFeatures.h"

#include <cstdint>
#include <vector>

namespace beat {

struct OCluster {
    OWave mean{};
    int64_t count = 0;
    int64_t lastBeat = 0; // index of the last beat that joined
    int64_t premature = 0; // of its beats, how many came early (set by the classifier)
};

// Pearson correlation of two QRS shapes, the best over shifts of up to
// `shift` quarter-rate samples.
double ShapeCorrelation(const OWave& a, const OWave& b, int shift = 2);

class OBeatTemplates {
public:
    static constexpr int kActive = 24;
    static constexpr int kMaxClusters = 4096;
    static constexpr double kMatch = 0.92;

    // The cluster the beat joins (-1: none), and its correlation with it.
    int Add(const OBeatFeatures& beat, int64_t beatIndex, float& correlation);

    const std::vector<OCluster>& Clusters() const { return m_Clusters; }
    std::vector<OCluster>& Clusters() { return m_Clusters; }

private:
    struct ONormalised {
        float x[kQrsLength];
        float amplitude; // of the template's QRS
    };
    void Normalise(int cluster);

    std::vector<OCluster> m_Clusters;
    std::vector<ONormalised> m_Shapes; // per cluster: the template's QRS, zero mean, unit norm
    std::vector<int> m_Active;
    int m_LastMatched = -1;
};

} // namespace beat
