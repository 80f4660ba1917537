#include "AnalysisPlot.h"

#include "EcgFileName.h"
#include "EcgTime.h"
#include "OEKGFilter.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "TGrWnd.h"

#include <QApplication>
#include <QPixmap>

#include <cstdlib>
#include <memory>
#include <sstream>

namespace {

struct SeriesName {
    const char* name;
    bool OSeriesChoice::*box;
};
const SeriesName kSeriesNames[] = {
    {"ecg", &OSeriesChoice::rawEcg},
    {"filtered", &OSeriesChoice::filteredEcg},
    {"threshold", &OSeriesChoice::threshold},
    {"defect", &OSeriesChoice::defect},
    {"impulses", &OSeriesChoice::impulses},
    {"pulse", &OSeriesChoice::pulse},
    {"temperature-raw", &OSeriesChoice::rawTemperature},
    {"temperature", &OSeriesChoice::temperature},
    {"ccp", &OSeriesChoice::ccp},
    {"ccp-fine", &OSeriesChoice::ccpFine},
    {"accelerations", &OSeriesChoice::rawAccelerations},
    {"xyz-apart", &OSeriesChoice::separateXyz},
};

} // namespace

OSeriesChoice AnalysisPlotRequest::DefaultSeries()
{
    OSeriesChoice choice;
    choice.rawAccelerations = true;
    choice.pulse = true;
    choice.temperature = true;
    return choice;
}

std::string SeriesNames()
{
    std::string names;
    for (const SeriesName& s : kSeriesNames)
        names += (names.empty() ? "" : ",") + std::string(s.name);
    return names;
}

bool ParseSeriesList(const std::string& list, OSeriesChoice& choice, std::string& error)
{
    choice = OSeriesChoice{};
    std::stringstream words(list);
    std::string word;
    while (std::getline(words, word, ',')) {
        if (word.empty())
            continue;
        bool known = false;
        for (const SeriesName& s : kSeriesNames)
            if (word == s.name) {
                choice.*s.box = true;
                known = true;
            }
        if (!known) {
            error = "unknown series '" + word + "' (known: " + SeriesNames() + ")";
            return false;
        }
    }
    return true;
}

bool RenderAnalysisPlot(const AnalysisPlotRequest& request, std::string& error)
{
    auto file = std::make_unique<OEcgFile>();
    if (!file->OpenEcgFile(request.file, IsEcgExtension(request.file))) {
        error = "cannot use " + request.file;
        return false;
    }
    auto filter = std::make_unique<OEKGFilter>();
    OProcessControl control;
    ProcessFile(*file, *filter, control, {.display = true});

    // The series a box offers exist only where the window would enable it.
    OSeriesChoice choice = request.series;
    if (!file->IsMapped())
        choice.rawEcg = choice.rawTemperature = choice.rawAccelerations = choice.separateXyz = false;
    choice.filteredEcg &= file->Display() != nullptr;
    choice.threshold &= file->Display() != nullptr;
    choice.defect &= file->ImpulseInfo().Present();
    choice.impulses &= file->ImpulseInfo().Present();
    choice.pulse &= file->Puls().Present();
    choice.temperature &= file->Thermo().Present();
    choice.ccp &= file->FMs().Present();
    choice.ccpFine &= file->FMs().Present();

    OGrList_Uevo list(file.get());
    std::string startTime = file->StartOfDay().Text();
    list.Rebuild(choice, startTime, filter->GetNI());

    TGrWnd chart;
    chart.resize(std::max(request.width, 64), std::max(request.height, 64));
    chart.SetGrList(&list);
    if (request.from || request.to) {
        TGrDia& x = chart.XAxis();
        const double offset = list.StartTime();
        const double lo = request.from ? offset + *request.from : x.dataLo;
        const double hi = request.to ? offset + *request.to : x.dataHi;
        if (!(lo < hi)) {
            error = "--from must lie before --to";
            return false;
        }
        x.viewLo = lo;
        x.viewHi = hi;
        x.NormalizeView(false);
        chart.SetGrList(&list); // lays out again around the new window
    }
    chart.show();
    QApplication::processEvents();
    const QPixmap image = chart.grab();
    if (image.isNull() || !image.save(QString::fromStdString(request.out), "PNG")) {
        error = "cannot write " + request.out;
        return false;
    }
    return true;
}

QCoreApplication* MakeOffscreenApplication(int& argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QApplication(argc, argv);
}
