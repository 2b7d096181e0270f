// AboutBox: the program's title, the platform it runs on, and its own picture.
#pragma once

#include <string>

#include "gui/Window.h"

namespace vek {

// The program title, "VEK" and the version ("VEK 5.6.7"): the one constant every place shows.
const char* GetProgramTitle();
// The platform as the about box names it: the system's name and the machine ("Linux x86_64").
std::string GetPlatformName();

// The about box: the program title, the line "Code: " and the platform name, a short text (2201)
// and OK, which ends it.
class AboutBox final : public Window {
public:
    AboutBox();
    ~AboutBox() override;

    CommandTarget* ControlCommand(Control& control) override;

    const std::string& CodeLine() const { return codeLine; }

private:
    std::string codeLine;
};

// Builds the about box, runs it modally (a run nobody attends ends at once) and destroys it.
void ShowAboutBox();

}  // namespace vek
