// HeadlessXmlRun: the files of the run, and the one run through a hidden XML interface window.
#include "app/HeadlessXmlRun.h"

#include <string>

#include "docwindows/xml/XmlInterfaceWindow.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"
#include "platform/events/CloseMode.h"

namespace vek {

namespace {

struct HeadlessXmlFiles {
    std::string request;
    std::string answer;
};

HeadlessXmlFiles& XmlRunFiles()
{
    static HeadlessXmlFiles files;
    return files;
}

// The result text keeps its lines apart with CR; a terminal wants LF.
void PrintResultLines(std::FILE* errors, const std::string& text)
{
    std::string lines = text;
    for (char& c : lines) {
        if (c == '\r')
            c = '\n';
    }
    std::fprintf(errors, "%s\n", lines.c_str());
}

}  // namespace

void SetHeadlessXmlRun(std::string_view request, std::string_view answer)
{
    XmlRunFiles().request = request;
    XmlRunFiles().answer = answer;
}

bool HasHeadlessXmlRun() { return !XmlRunFiles().request.empty(); }

bool RunHeadlessXmlRequest(std::FILE* errors)
{
    if (!HasHeadlessXmlRun())
        return true;
    Base* base = Base::FirstBase();
    if (base == nullptr)
        return false;
    // Hidden: nobody sees it, and it must not take the place of a window a user opened.
    auto* window = new XmlInterfaceWindow(*base, 0x01);
    window->SetFile(XmlInterfaceWindow::kInputPane, FilePath::FromCommandLine(XmlRunFiles().request));
    window->SetFile(XmlInterfaceWindow::kOutputPane, FilePath::FromCommandLine(XmlRunFiles().answer));
    XmlRunResult result = window->Execute();
    if (window->ResultColour() != XmlInterfaceWindow::kColourGreen)
        PrintResultLines(errors, window->ResultText());
    (void)CommandTarget::CloseIfAllowed(window, CloseMode::WindowsOnly);
    return result == XmlRunResult::answered;
}

}  // namespace vek
