#pragma once
// Type codes of the analysis window's chart series: below 100 straight from
// the file's sectors, 1xx the filtered signal, 2xx the impulses, 3xx the
// derived curves.
enum SeriesType : int {
    kSeriesRawEcg = 0,
    kSeriesRawTemperature = 1,
    kSeriesAccelX = 4,
    kSeriesAccelY = 5,
    kSeriesAccelZ = 6,
    kSeriesFilteredEcg = 100,
    kSeriesThreshold = 101,
    kSeriesDefect = 200,
    kSeriesImpulses = 201,
    kSeriesSupraBeats = 202,       // the S beats among the impulses
    kSeriesVentricularBeats = 203, // the V beats
    kSeriesPulse = 300,
    kSeriesTemperature = 301,
    kSeriesCcpRough = 302,
    kSeriesCcpFine = 303,
};
