// brenna --programmer, and the window after "Смена прошивки".
#include "AppWindows.h"
#include "CProgrammerDlg.h"

namespace {
const AppWindowRegistration g_Registration{
    {kProgrammerWindowOption, "", "the firmware programmer", [](const std::string&) -> std::unique_ptr<QWidget> {
         return std::make_unique<CProgrammerDlg>(ProgrammerDlgOptions{StartPort()});
     }}};
} // namespace
