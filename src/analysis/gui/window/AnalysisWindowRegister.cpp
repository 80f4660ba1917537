// The analysis window under the brenna executable's --analyse option; the
// control window's "Обработка файлов ЭКГ ..." opens it through the same entry.
#include "AppWindows.h"
#include "CShowDataWindow.h"

namespace {

const AppWindowRegistration g_Registration{{kAnalysisWindowOption, "FILE",
                                            "open the analysis window on FILE and process it",
                                            [](const std::string& file) -> std::unique_ptr<QWidget> {
                                                if (file.empty())
                                                    return std::make_unique<CShowDataWindow>();
                                                return std::make_unique<CShowDataWindow>(file);
                                            }}};

} // namespace
