#pragma once
// A recording processed and drawn into a PNG file without a screen, the way
// the analysis window's chart shows it after a pass (brenna-cli plot).
#include "OGrList_Uevo.h"

#include <optional>
#include <string>

class QCoreApplication;

struct AnalysisPlotRequest {
    std::string file;
    std::string out; // PNG
    int width = 1600;
    int height = 900;
    std::optional<double> from, to; // seconds from the recording's start
    OSeriesChoice series = DefaultSeries();

    // The boxes ticked when the window opens.
    static OSeriesChoice DefaultSeries();
};

// Reads a comma-separated list of series names (SeriesNames()) into choice;
// false with the unknown name in error.
bool ParseSeriesList(const std::string& list, OSeriesChoice& choice, std::string& error);
std::string SeriesNames();

// Opens, processes and draws. Messages go through Dialogs(). False with a
// reason in error when the file cannot be used or the image not written.
bool RenderAnalysisPlot(const AnalysisPlotRequest& request, std::string& error);

// A widgets application on the offscreen platform (unless another platform
// was asked for), for a command line program that draws.
QCoreApplication* MakeOffscreenApplication(int& argc, char** argv);
