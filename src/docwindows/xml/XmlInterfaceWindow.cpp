// XmlInterfaceWindow: the panes, the poll of the two files, the run of the requests and the scan of the answer.
#include "docwindows/xml/XmlInterfaceWindow.h"

#include <utility>

#include "docwindows/xml/XmlFilePane.h"
#include "files/xmlinterface/XmlInterface.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/services/Clock.h"
#include "foundation/streams/TextStreams.h"
#include "foundation/strings/String.h"
#include "drawing/DrawingState.h"
#include "gui/DrawingRoutines.h"
#include "gui/PushButton.h"
#include "gui/TransferData.h"
#include "gui/controls/CheckBox.h"
#include "model/base/Base.h"
#include "platform/PreferenceStore.h"
#include "platform/Sockets.h"

namespace vek {

namespace {

// The user's preferences, as every part of the program opens them.
constexpr char kXmlWindowPreferenceDomain[] = "VEK/ZO";
// Where the documentation button leads.
constexpr char kXmlDocumentationAddress[] = "https://vek.example.org/xml-interface.html";

constexpr OriginSize kXmlWindowFrame{0, 0, 240, 310};

Rect XmlWindowRect(int32_t left, int32_t top, int32_t width, int32_t height)
{
    return Rect{static_cast<int16_t>(top), static_cast<int16_t>(left), static_cast<int16_t>(top + height),
                static_cast<int16_t>(left + width)};
}

void SetPathFromPreference(const PreferenceStore& store, const char* key, FilePath& path)
{
    String value;
    store.GetString(key, value);
    if (value.Length() > 0)
        path.SetFromSystemPath(value.CStr());
}

}  // namespace

XmlInterfaceWindow::XmlInterfaceWindow(Base& base, int32_t flags)
    : DocumentWindow(DocumentKind::XmlInterface, kXmlWindowFrame, &base, flags)
{
    SetTitle(LoadText(text::kXmlInterfaceTitle));
    {
        // Reading the preferences must not disturb what the caller has pending.
        PreservedErrorState preserved;
        PreferenceStore store;
        store.Open(kXmlWindowPreferenceDomain, 0);
        SetPathFromPreference(store, kXmlInputPreference, inputFile);
        SetPathFromPreference(store, kXmlOutputPreference, outputFile);
    }
    auto* documentation = new PushButton(*this, OriginSize{14, 142, 20, 140}, kDocumentationButton);
    documentation->SetLabel(text::kXmlDocumentationButton);
    inputPane = new XmlFilePane(*this, OriginSize{60, 142, 22, 140}, kInputPane);
    outputPane = new XmlFilePane(*this, OriginSize{110, 142, 22, 140}, kOutputPane);
    executeBox = new CheckBox(*this, OriginSize{150, 15, 14, 270}, kExecuteCheckBox, true);
    executeBox->SetLabel(text::kXmlExecuteWhenModified);
    FinishConstruction();
}

XmlInterfaceWindow::~XmlInterfaceWindow()
{
    PrepareDestruction();
    PreservedErrorState preserved;
    PreferenceStore store;
    store.Open(kXmlWindowPreferenceDomain, 0);
    if (!inputFile.IsEmpty())
        store.SetString(kXmlInputPreference, inputFile.CStr());
    if (!outputFile.IsEmpty())
        store.SetString(kXmlOutputPreference, outputFile.CStr());
    store.Close();
}

XmlInterfaceWindow* XmlInterfaceWindow::Find(const Base& base)
{
    for (DocumentWindow* window = DocumentWindow::First(); window; window = window->NextOpenWindow()) {
        if (window->WindowKind() == DocumentKind::XmlInterface && window->GetBase() == &base)
            return static_cast<XmlInterfaceWindow*>(window);
    }
    return nullptr;
}

XmlInterfaceWindow* XmlInterfaceWindow::Open(Base& base, int32_t flags)
{
    if (XmlInterfaceWindow* open = Find(base)) {
        if (open->IsVisible())
            open->Activate();
        return open;
    }
    auto* window = new XmlInterfaceWindow(base, flags);
    if (window->IsVisible())
        window->Activate();
    return window;
}

CommandTarget* XmlInterfaceWindow::Notify(int32_t code)
{
    CommandTarget* answer = DocumentWindow::Notify(code);
    if (code == kNotifyTick)
        (void)Poll(CurrentTimeMs());
    return answer;
}

CommandTarget* XmlInterfaceWindow::Query(void* request)
{
    CommandTarget* answer = DocumentWindow::Query(request);
    const auto* notification = static_cast<const ChangeNotification*>(request);
    // The base is going: the window goes with it, without questions.
    if (notification != nullptr && notification->record.code == kChangeBaseClosing)
        (void)DeferClose(*this, CloseMode::WindowsOnly);
    return answer;
}

CommandTarget* XmlInterfaceWindow::ControlCommand(Control& control)
{
    if (control.ControlId() == kDocumentationButton) {
        (void)OpenUrlInBrowser(kXmlDocumentationAddress);
        return nullptr;
    }
    return DocumentWindow::ControlCommand(control);
}

CommandTarget* XmlInterfaceWindow::ControlChanged(Control& control)
{
    if (&control != executeBox)
        return DocumentWindow::ControlChanged(control);
    // Turning the box either way answers the requests once more at the next poll.
    executeWhenModified = executeBox->Value();
    force = executeWhenModified;
    SetResult(std::string(), kColourBlack);
    return nullptr;
}

int32_t XmlInterfaceWindow::AcceptDrop(TransferData& package)
{
    const FilePath* file = DroppedFile(package);
    if (file == nullptr)
        return 0;
    SetFile(kInputPane, *file);
    return 1;
}

void XmlInterfaceWindow::SetFile(int32_t paneId, const FilePath& file)
{
    if (paneId == kInputPane) {
        inputFile = file;
        if (inputPane)
            inputPane->Invalidate();
    } else if (paneId == kOutputPane) {
        outputFile = file;
        if (outputPane)
            outputPane->Invalidate();
    } else {
        return;
    }
    force = true;
}

bool XmlInterfaceWindow::Poll(int64_t nowMs)
{
    if (!force && nowMs - lastPollMs < kPollIntervalMs)
        return false;
    lastPollMs = nowMs;
    double newInputDate = inputFile.GetModificationTime();
    double newOutputDate = outputFile.GetModificationTime();
    if (!force && !retry && newInputDate == inputDate && newOutputDate == outputDate)
        return false;
    // Without both files there is nothing to answer yet; a file dropped later forces the run.
    if (inputFile.IsEmpty() || outputFile.IsEmpty()) {
        force = false;
        return false;
    }
    (void)Execute();
    return true;
}

XmlRunResult XmlInterfaceWindow::Execute()
{
    force = false;
    retry = false;
    inputDate = inputFile.GetModificationTime();
    FileTextReader reader;
    if (inputFile.IsEmpty() || !reader.Open(inputFile.CStr())) {
        ShowFailure(message::kXmlRequestUnreadable, inputFile);
        return XmlRunResult::requestUnreadable;
    }
    String requestName;
    inputFile.GetFileName(requestName);
    bool written = !outputFile.IsEmpty() &&
                   WriteXmlInterfaceOutputFile(GetBase(), reader, requestName.CStr(), outputFile);
    reader.Close();
    if (!written) {
        // The old answer file is as it was: scanning it would report its errors, or none, as if
        // they were this run's.
        ShowFailure(message::kXmlAnswerNotWritten, outputFile);
        return XmlRunResult::answerNotWritten;
    }
    outputDate = outputFile.GetModificationTime();
    ScanOutput();
    return retry ? XmlRunResult::answerNotWritten : XmlRunResult::answered;
}

void XmlInterfaceWindow::ScanOutput()
{
    std::string errors;
    FileTextReader reader;
    if (!reader.Open(outputFile.CStr())) {
        ShowFailure(message::kXmlAnswerNotWritten, outputFile);
        return;
    }
    String text;
    while (!IsErrorPending() && reader.NextMarkupToken()) {
        if (!reader.IsTag("error") || reader.IsEmptyOrEndTag())
            continue;
        if (!reader.ReadElementContent(text))
            continue;
        if (!errors.empty())
            errors += '\r';
        errors += text.CStr();
    }
    reader.Close();
    if (!errors.empty()) {
        SetResult(std::move(errors), kColourRed);
        if (IsVisible())
            Activate();
    } else if (IsErrorPending() && GetPendingError().message.code > 0) {
        String pending;
        GetPendingError().message.Format(pending);
        SetResult(pending.CStr(), kColourRed);
    } else {
        SetResult(LoadText(text::kXmlNoErrors), kColourGreen);
    }
    ClearError();
}

void XmlInterfaceWindow::ShowFailure(int32_t fallback, const FilePath& file)
{
    Message message;
    message.code = fallback;
    String name;
    file.GetDisplayFileName(name);
    message.AddText(name.CStr());
    String text;
    message.Format(text);
    std::string result = text.CStr();
    // The reason the file system gave, when it gave one.
    if (IsErrorPending() && GetPendingError().message.code > 0) {
        String reason;
        GetPendingError().message.Format(reason);
        result += '\r';
        result += reason.CStr();
    }
    ClearError();
    retry = true;
    SetResult(std::move(result), kColourRed);
}

void XmlInterfaceWindow::SetResult(std::string text, int32_t colour)
{
    resultText = std::move(text);
    resultColour = colour;
    Invalidate();
}

void XmlInterfaceWindow::Draw()
{
    DocumentWindow::Draw();
    DrawTextById(XmlWindowRect(6, 18, 134, 16), text::kXmlReadDocumentation);
    DrawTextById(XmlWindowRect(6, 82, 134, 16), text::kXmlDropInputFile);
    DrawTextById(XmlWindowRect(6, 132, 134, 16), text::kXmlDropOutputFile);
    if (resultText.empty())
        return;
    SetForeColorMix(resultColour, kColourBlack);
    // One line per error: the result keeps them apart with CR.
    int32_t top = 170;
    size_t start = 0;
    while (start <= resultText.size()) {
        size_t end = resultText.find('\r', start);
        if (end == std::string::npos)
            end = resultText.size();
        DrawTextInBox(XmlWindowRect(26, top, 270, 16), resultText.substr(start, end - start).c_str());
        top += 16;
        start = end + 1;
    }
    ApplyViewColors();
}

}  // namespace vek
