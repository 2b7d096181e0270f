// AboutBox: the program title and the platform name, shown from the About command.
#include "app/AboutBox.h"

#include <sys/utsname.h>

#include "files/ProgramVersion.h"
#include "foundation/messages/TextIds.h"
#include "gui/PushButton.h"
#include "gui/StaticText.h"

namespace vek {

namespace {

constexpr int16_t kAboutWidth = 360;
constexpr int16_t kAboutHeight = 200;

}  // namespace

const char* GetProgramTitle() { return kProgramVersionText; }

std::string GetPlatformName()
{
    struct utsname names {};
    if (uname(&names) != 0)
        return "Linux";
    return std::string(names.sysname) + " " + names.machine;
}

AboutBox::AboutBox()
    : Window(kKindDialogWindow, OriginSize{0, 0, kAboutHeight, kAboutWidth}, 0, nullptr, false),
      codeLine("Code: " + GetPlatformName())
{
    SetTitleById(text::kAboutTitle);
    auto* title = new StaticText(*this, OriginSize{24, 20, 18, kAboutWidth - 40}, true);
    title->SetTextString(GetProgramTitle());
    auto* code = new StaticText(*this, OriginSize{50, 20, 18, kAboutWidth - 40}, true);
    code->SetTextString(codeLine.c_str());
    auto* about = new StaticText(*this, OriginSize{80, 20, 40, kAboutWidth - 40}, true);
    about->SetTextById(text::kAboutText);
    // OK is both the default and the cancel button: Return and Escape end the box alike.
    auto* ok = new PushButton(*this, OriginSize{kAboutHeight - 42, kAboutWidth - 140, 20, 95}, 700);
    ok->SetLabel(text::kOk);
    ok->SetDefault(true);
    ok->SetCancel(true);
    FinishConstruction();
}

AboutBox::~AboutBox() { PrepareDestruction(); }

CommandTarget* AboutBox::ControlCommand(Control& control)
{
    if (control.ControlId() == 700) {
        EndModal();
        return nullptr;
    }
    return Window::ControlCommand(control);
}

void ShowAboutBox()
{
    AboutBox box;
    box.RunModal();
}

}  // namespace vek
