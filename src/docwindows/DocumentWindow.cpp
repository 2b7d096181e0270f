// DocumentWindow: the list of open document windows, titles, the owner rule, log lines and changes.
#include "docwindows/DocumentWindow.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "model/templates/Template.h"

namespace vek {

namespace {

DocumentWindow* firstOpenWindow = nullptr;

// Verb codes of the operation log (Base::LogOperation).
constexpr int32_t kLogOpening = 1;
constexpr int32_t kLogCalculated = 9;
constexpr int32_t kLogClosed = 15;

constexpr int32_t kFirstAnalysisTitle = 2546;

bool TitleTaken(const std::string& title, const DocumentWindow* except)
{
    for (DocumentWindow* w = DocumentWindow::First(); w; w = w->NextOpenWindow()) {
        if (w != except && w->Title() == title)
            return true;
    }
    return false;
}

}  // namespace

const char* GetWindowKindName(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::CardsAnalysis: return "cards analysis";
    case DocumentKind::LinesAnalysis: return "lines analysis";
    case DocumentKind::ComponentsAnalysis: return "components analysis";
    case DocumentKind::TimeFunctions: return "time functions";
    case DocumentKind::ComponentFunctions: return "component functions";
    case DocumentKind::Subset: return "subset";
    case DocumentKind::BaseInfo: return "base info";
    case DocumentKind::Card: return "card";
    case DocumentKind::DimensionEditor: return "dimension editor";
    case DocumentKind::DimensionImportSetup: return "dimension import setup";
    case DocumentKind::WebUsers: return "web users";
    case DocumentKind::SaveSetup: return "save setup";
    case DocumentKind::ImportSetup: return "import setup";
    default: return nullptr;
    }
}

const char* GetAnalysisKindTitle(DocumentKind kind)
{
    int32_t number = static_cast<int32_t>(kind);
    if (number < 1 || number > 5)
        return nullptr;
    return LoadText(kFirstAnalysisTitle + number);
}

Window* GetOwnerForKind(Base* base, DocumentKind kind)
{
    if (base == nullptr || kind == DocumentKind::BaseStatus)
        return nullptr;
    if (Base::FirstBase() == base && base->NextBase() == nullptr)
        return nullptr;
    for (DocumentWindow* w = DocumentWindow::First(); w; w = w->NextOpenWindow()) {
        if (w->GetBase() == base && w->WindowKind() == DocumentKind::BaseStatus)
            return w;
    }
    return nullptr;
}

DocumentWindow::DocumentWindow(DocumentKind windowKind, const OriginSize& frame, Base* forBase, int32_t flags)
    : Window(1, frame, 0, GetOwnerForKind(forBase, windowKind), false), kind(windowKind), base(forBase)
{
    if (flags & (0x01 | 0x10))
        SetVisible(false);
    DocumentWindow** tail = &firstOpenWindow;
    while (*tail)
        tail = &(*tail)->nextOpen;
    *tail = this;
}

DocumentWindow::~DocumentWindow()
{
    PrepareDestruction();
    for (DocumentWindow** link = &firstOpenWindow; *link; link = &(*link)->nextOpen) {
        if (*link == this) {
            *link = nextOpen;
            break;
        }
    }
}

DocumentWindow* DocumentWindow::First() { return firstOpenWindow; }

int32_t DocumentWindow::OpenCount()
{
    int32_t count = 0;
    for (DocumentWindow* w = firstOpenWindow; w; w = w->nextOpen)
        ++count;
    return count;
}

void DocumentWindow::SetShownObject(void* object, Template* asTemplate)
{
    shownObject = object;
    shownTemplate = asTemplate;
}

void DocumentWindow::SetWindowTitle(const DocumentWindow* parent)
{
    const char* kindTitle = GetAnalysisKindTitle(kind);
    std::string title;
    if (parent) {
        title = parent->Title() + " >> " + (kindTitle ? kindTitle : "");
    } else if (shownTemplate && shownTemplate->NameCStr() && *shownTemplate->NameCStr()) {
        String path;
        shownTemplate->GetPathName(path);
        title = path.CStr();
    } else {
        std::string stem = std::string(kindTitle ? kindTitle : "") + " ";
        for (int32_t n = 1;; ++n) {
            title = stem + std::to_string(n);
            if (!TitleTaken(title, this))
                break;
        }
    }
    SetTitle(title.c_str());
    RebuildPlatformTitle();
}

void DocumentWindow::RebuildPlatformTitle()
{
    std::string prefix;
    for (Window* w = Owner(); w; w = w->Owner())
        prefix = w->Title() + ": " + prefix;
    platformTitle = prefix + Title();
}

void DocumentWindow::Log(int32_t verbCode)
{
    const char* name = GetWindowKindName(kind);
    if (base == nullptr || baseGone || name == nullptr || base->LogHandler() == nullptr)
        return;
    base->LogOperation(name, Title().c_str(), verbCode);
}

void DocumentWindow::LogCalculated() { Log(kLogCalculated); }

void DocumentWindow::PostChange(int32_t code)
{
    if (base && !baseGone)
        base->HandleChange(ChangeRecord(code, base));
}

CommandTarget* DocumentWindow::Notify(int32_t code)
{
    if (code == kNotifyOpened)
        Log(kLogOpening);
    else if (code == kNotifyClosing)
        Log(kLogClosed);
    // The front window's base is the one the menus show (the application rebuilds them for it).
    if ((code == kNotifyActivation || code == kNotifyTick) && base && IsActive() && Base::CurrentBase() != base)
        Base::SetCurrentBase(base);
    CommandTarget* answer = Window::Notify(code);
    if (code == kNotifyClosing)
        PostChange(kChangeWindowClosing);
    else if (code == kNotifyOpened)
        PostChange(kChangeWindowOpened);
    return answer;
}

CommandTarget* DocumentWindow::Query(void* request)
{
    CommandTarget* answer = Window::Query(request);
    const auto* notification = static_cast<const ChangeNotification*>(request);
    if (notification == nullptr)
        return answer;
    int32_t code = notification->record.code;
    if (code == kChangeWindowCalculated && notification->object == this)
        LogCalculated();
    if ((code == kChangeBaseOpened || code == kChangeBaseClosing) && kind != DocumentKind::BaseStatus) {
        SetOwner(GetOwnerForKind(base, kind));
        RebuildPlatformTitle();
    }
    if (code == kChangeBaseClosing && notification->record.base == base)
        baseGone = true;
    return answer;
}

bool DocumentWindow::ConfirmWithCount(int32_t textNumber, int64_t count)
{
    String text;
    text.AssignCStr(LoadText(textNumber));
    String number;
    number.AssignInt64(count);
    text.SubstituteArg(0, number);
    Message message;
    message.code = message::kConfirmDelete;
    message.AddText(text.CStr());
    message.AddNumber(text::kDelete);
    message.AddNumber(text::kCancel);
    message.owner = this;
    message.answer = 1;  // unattended: nothing is deleted
    return ReportMessage(message) == 0;
}

void NotifyWindowsOfBase(const ChangeNotification& notification, Base* base)
{
    void* request = const_cast<ChangeNotification*>(&notification);
    for (DocumentWindow* w = DocumentWindow::First(); w;) {
        DocumentWindow* next = w->NextOpenWindow();
        if (w->GetBase() == base)
            w->Query(request);
        w = next;
    }
    Application* application = Application::Get();
    if (!application)
        return;
    for (Pane* p = application->FirstChild(); p; p = p->Next()) {
        if (p->Kind() == kKindDialogWindow)
            p->Query(request);
    }
}

void NotifyAllDocumentWindows(const ChangeNotification& notification)
{
    void* request = const_cast<ChangeNotification*>(&notification);
    for (DocumentWindow* w = DocumentWindow::First(); w;) {
        DocumentWindow* next = w->NextOpenWindow();
        w->Query(request);
        w = next;
    }
}

void InvalidateAllWindows()
{
    for (DocumentWindow* w = DocumentWindow::First(); w; w = w->NextOpenWindow())
        w->Invalidate();
}

bool CloseWindowsOfBase(Base& base, CloseMode mode)
{
    for (;;) {
        DocumentWindow* found = nullptr;
        for (DocumentWindow* w = DocumentWindow::First(); w && !found; w = w->NextOpenWindow()) {
            if (w->GetBase() == &base && w->WindowKind() != DocumentKind::BaseStatus)
                found = w;
        }
        if (!found)
            return true;
        if (!CommandTarget::CloseIfAllowed(found, mode))
            return false;
        for (DocumentWindow* w = DocumentWindow::First(); w; w = w->NextOpenWindow()) {
            if (w == found)
                return false;  // it agreed but stayed open
        }
    }
}

DocumentWindow* FindWindowOfObject(const void* object)
{
    if (object == nullptr)
        return nullptr;
    for (DocumentWindow* w = DocumentWindow::First(); w; w = w->NextOpenWindow()) {
        if (w->ShownObject() == object)
            return w;
    }
    return nullptr;
}

void FormatByteSize(String& out, int64_t bytes)
{
    if (bytes < 0) {
        out.AppendCStr("-");
        return;
    }
    char number[48];
    int32_t unit = text::kUnitKilobytes;
    if (bytes == 0) {
        std::snprintf(number, sizeof number, "0");
    } else if (bytes < 1000) {
        std::snprintf(number, sizeof number, "%lld", static_cast<long long>(bytes));
        unit = text::kUnitBytes;
    } else if (bytes < 10240) {
        std::snprintf(number, sizeof number, "%.1f", static_cast<double>(bytes) / 1024.0);
    } else if (bytes < 1024000) {
        std::snprintf(number, sizeof number, "%.0f", static_cast<double>(bytes) / 1024.0);
    } else if (bytes < 104857600) {
        std::snprintf(number, sizeof number, "%.1f", static_cast<double>(bytes) / 1048576.0);
        unit = text::kUnitMegabytes;
    } else if (bytes < 1048576000) {
        std::snprintf(number, sizeof number, "%.0f", static_cast<double>(bytes) / 1048576.0);
        unit = text::kUnitMegabytes;
    } else {
        int decimals = bytes < 10737418240LL ? 2 : bytes < 107374182400LL ? 1 : 0;
        std::snprintf(number, sizeof number, "%.*f", decimals, static_cast<double>(bytes) / 1073741824.0);
        unit = text::kUnitGigabytes;
    }
    out.AppendCStr(number);
    out.AppendCStr(" ");
    out.AppendCStr(LoadText(unit));
}

const char* GetColourName(int32_t colourIndex)
{
    struct ColourName {
        int32_t index;
        int32_t text;
    };
    static constexpr ColourName kNames[] = {
        {0, 2400},  {4, 2401},  {6, 2402},  {8, 2403},  {10, 2404}, {11, 2405}, {12, 2406}, {13, 2412}, {14, 2407},
        {15, 2411}, {16, 2413}, {17, 2416}, {18, 2415}, {19, 2414}, {20, 2410}, {21, 2408}, {22, 2409},
    };
    for (const ColourName& name : kNames) {
        if (name.index == colourIndex)
            return LoadText(name.text);
    }
    return nullptr;
}

int32_t GetItemIdOfRequest(int32_t requestCode, int32_t dimension, int32_t row)
{
    switch (requestCode) {
    case 15:
    case 16: return dimension + 1;
    case 35: return 65;
    case 36: return 66;
    case 37: return row + 67;
    case 61:
    case 62: return 3133;
    default: return 0;
    }
}

bool AskTruncateText(std::string& text, int32_t maxLength, Window* object)
{
    if (static_cast<int64_t>(text.size()) <= maxLength)
        return true;
    Message message;
    message.code = message::kTextTooLong;
    size_t shown = static_cast<size_t>(std::min(maxLength, 32));
    while (shown > 0 && (static_cast<uint8_t>(text[shown]) & 0xC0) == 0x80)
        --shown;
    message.AddTextBytes(text.data(), static_cast<int32_t>(shown));
    message.AddText(std::to_string(maxLength).c_str());
    message.AddNumber(text::kOk);
    message.AddNumber(text::kCancel);
    message.owner = object;
    message.answer = 1;  // unattended: nothing is cut, and the caller stops
    int32_t answer = ReportMessage(message);
    if (answer == 1)
        return false;
    if (answer == 0) {
        size_t cut = static_cast<size_t>(maxLength);
        while (cut > 0 && (static_cast<uint8_t>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
    }
    return true;
}

}  // namespace vek
