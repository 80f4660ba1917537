// brenna-cli plot: a recording processed and drawn into a PNG file, the chart
// as the analysis window shows it after a pass.
#include "CliCommand.h"

#ifdef BRENNA_CLI_PLOT
#include "AnalysisPlot.h"
#include "CliDialogs.h"

#include <cstdlib>
#include <iostream>

namespace {

bool ReadNumber(const CliArgs& args, const char* name, double& value)
{
    const auto text = args.Option(name);
    if (!text)
        return true;
    char* end = nullptr;
    value = std::strtod(text->c_str(), &end);
    return end != text->c_str() && *end == '\0';
}

int RunPlot(const CliArgs& args)
{
    if (args.positional.size() != 2)
        return CliFail("usage: brenna-cli plot FILE OUT.png [--width W] [--height H] [--from SECONDS] "
                       "[--to SECONDS] [--series LIST]");
    AnalysisPlotRequest request;
    request.file = args.positional[0];
    request.out = args.positional[1];
    double width = request.width, height = request.height, from = 0, to = 0;
    if (!ReadNumber(args, "width", width) || !ReadNumber(args, "height", height) || width < 64 || height < 64 ||
        width > 20000 || height > 20000)
        return CliFail("plot: --width and --height take whole numbers from 64 to 20000");
    if (!ReadNumber(args, "from", from) || !ReadNumber(args, "to", to))
        return CliFail("plot: --from and --to take seconds from the start of the recording");
    request.width = static_cast<int>(width);
    request.height = static_cast<int>(height);
    if (args.Option("from"))
        request.from = from;
    if (args.Option("to"))
        request.to = to;
    if (const auto list = args.Option("series")) {
        std::string error;
        if (!ParseSeriesList(*list, request.series, error))
            return CliFail("plot: " + error);
    }

    CliDialogs dialogs(false);
    std::string error;
    if (!RenderAnalysisPlot(request, error))
        return CliFail("plot: " + error);
    std::cout << request.out << '\n';
    return 0;
}

CliRegistration plotCommand{
    "plot",
    {"plot FILE OUT.png [--width W] [--height H] [--from SECONDS] [--to SECONDS] [--series "
     "LIST]",
     "processes a recording and draws its chart, W x H pixels, into a PNG file; --from and --to limit "
     "the time shown; LIST names the series, separated by commas without blanks (e.g. "
     "pulse,temperature), from: ecg filtered threshold defect impulses pulse "
     "temperature-raw temperature ccp ccp-fine accelerations xyz-apart"},
    &RunPlot,
    {"width", "height", "from", "to", "series"}};

// Drawing needs a widgets application (offscreen), made for this command only.
const bool plotApplication = [] {
    CliCommands()["plot"].makeApplication = &MakeOffscreenApplication;
    return true;
}();

} // namespace
#endif
