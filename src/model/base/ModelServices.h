// ModelServices: what the model needs of windows, dialogs and the application, with headless defaults.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/services/Service.h"

namespace vek {

class Base;
class DimensionImportSetupBase;
class String;
class Template;
struct ChangeRecord;
struct StampedText;
enum class CloseMode : int32_t;

// A window of a base as the model sees it (the status window, the info window). The window layer
// derives from it; destroying the link closes the window.
class BaseWindowLink {
public:
    virtual ~BaseWindowLink();
    // Brings the window to the front.
    virtual void Activate(int32_t flags);
};

// The progress display of long base operations (releasing card texts, reading and writing files).
class ProgressDisplay {
public:
    virtual ~ProgressDisplay();
    // A step caption by text number.
    virtual void SetStep(int32_t textNumber);
    virtual void SetTotal(int64_t total);
    virtual void SetCount(int64_t count);
};

// The windows of a base that ModelServices::OpenBaseWindow opens (the info window, kind 9, has its
// own call).
enum class BaseWindowKind : int32_t {
    Card = 10,             // the card window, for a new card
    DimensionEditor = 11,  // the dimension editor of the dimension the argument names
    WebUsers = 13,
    TimeScale = 15,        // a new time scale
    Macro = 16,            // a new macro
    SaveSetup = 17,        // a new save setup
    ImportSetup = 18,      // a new import setup
    XmlInterface = 19,
};

// Kinds of PostDeferredTask.
constexpr int32_t kTaskCloseDocument = 1;  // argument: the Base to close
constexpr int32_t kTaskQuit = 2;

// What the model needs of the layers above it (windows, dialogs, menus, the application, the file
// layer). The application registers its implementation at start-up (Service<ModelServices>); until
// then, and in every run without a display, the headless services answer: no windows, questions take the answer that
// destroys nothing, and deferred tasks wait in a queue until RunDeferredTasks.
class ModelServices {
public:
    virtual ~ModelServices();

    // --- Document windows --------------------------------------------------------------------------
    // The base's status window, made by the base's constructor (may be null).
    virtual std::unique_ptr<BaseWindowLink> CreateStatusWindow(Base& base) = 0;
    // Opens a new info window of the base (kind 9); null when none can be shown. The window layer
    // owns it and calls Base::ForgetInfoWindow when it closes.
    virtual BaseWindowLink* OpenBaseInfoWindow(Base& base, int32_t flags) = 0;
    // Asks the base's document windows (except its status window) whether they may close.
    virtual bool CanCloseBaseWindows(Base& base, CloseMode mode) = 0;
    // Passes a change to every open document window of the base (the last receiver step).
    virtual void NotifyBaseWindows(const ChangeRecord& record, Base& base) = 0;
    // Passes a broadcast change to all document windows.
    virtual void NotifyAllWindows(const ChangeRecord& record) = 0;
    // Opens a window of a kind for the base, new where the kind edits a new object; false when none
    // can be shown.
    virtual bool OpenBaseWindow(Base& base, BaseWindowKind windowKind, int32_t argument) = 0;
    // Deletes the object of the front window after the user confirms, when the front window shows
    // an object of the base of the kind the command deletes; false when it does not.
    virtual bool DeleteFrontWindowObject(Base& base, int32_t command) = 0;
    // A progress display of a kind (5: releasing card texts) for the base; never null.
    virtual std::unique_ptr<ProgressDisplay> OpenProgress(int32_t kind, Base* base) = 0;
    // The window factory: the analysis window of a template of kinds 1-5 (TemplateTree::Open gives
    // its origin and flags: 2 bring an open window forward, 4 reopen, 8 skip the search for an open
    // window, 16 drop a window whose result is empty); null when none is made.
    virtual BaseWindowLink* OpenTemplateWindow(Template& node, Template* origin, int32_t flags) = 0;

    // --- Dialogs and menus -------------------------------------------------------------------------
    // Asks the user which component of d a typed text means; the root d when none is given.
    virtual uint32_t RunUnknownComponentDialog(Base& base, int32_t d, const char* text, int32_t length) = 0;
    // The password dialog: asks for the password of the base (null for none) with the prompt text's
    // number. 0 when cancelled; otherwise the answer bits (bit value 2: remember the password in the
    // keychain) with the entered text in `out`.
    virtual int32_t AskPassword(Base* base, String& out, int32_t promptText) = 0;
    // Sets the base-level menu items for the current base (the save item enabled when modified).
    virtual void EnableBaseMenus(Base& base, bool saveEnabled) = 0;
    // The current base changed (null: none); menus built from its named objects are rebuilt.
    virtual void CurrentBaseChanged(Base* base) = 0;

    // --- Application -------------------------------------------------------------------------------
    // Today's date and the user's 3-character code; false when no code is known.
    virtual bool GetUserStamp(StampedText& stamp) = 0;
    // Sets the user code of the run (the command "signature"); false when it was not taken, or no
    // application keeps one.
    virtual bool SetUserCode(std::string_view code) = 0;
    // Queues work for the main loop (kTaskCloseDocument, kTaskQuit).
    virtual void PostDeferredTask(int32_t kind, void* argument) = 0;
    // True while a web request is being answered.
    virtual bool IsWebRequestActive() = 0;
    // The command "webvekserver": mode 1 switches the web service on, 2 off, 0 leaves it; a port
    // other than 0 becomes its port; then the service is restarted. False when no web service
    // exists to control.
    virtual bool ControlWebService(int32_t mode, int32_t port) = 0;

    // --- File layer --------------------------------------------------------------------------------
    // Saves the base to its file; false when saving failed or was cancelled.
    virtual bool SaveBase(Base& base) = 0;
    // A new import setup with the defaults for dimension d of the base; null when none can be made.
    virtual std::unique_ptr<DimensionImportSetupBase> NewDimensionImportSetup(Base& base, int32_t d) = 0;
};

// The services without a display.
class HeadlessModelServices : public ModelServices {
public:
    HeadlessModelServices() = default;
    ~HeadlessModelServices() override;

    std::unique_ptr<BaseWindowLink> CreateStatusWindow(Base& base) override;
    BaseWindowLink* OpenBaseInfoWindow(Base& base, int32_t flags) override;
    bool CanCloseBaseWindows(Base& base, CloseMode mode) override;
    void NotifyBaseWindows(const ChangeRecord& record, Base& base) override;
    void NotifyAllWindows(const ChangeRecord& record) override;
    // No windows: nothing is opened or deleted.
    bool OpenBaseWindow(Base& base, BaseWindowKind windowKind, int32_t argument) override;
    bool DeleteFrontWindowObject(Base& base, int32_t command) override;
    std::unique_ptr<ProgressDisplay> OpenProgress(int32_t kind, Base* base) override;
    // Null: no window without a display.
    BaseWindowLink* OpenTemplateWindow(Template& node, Template* origin, int32_t flags) override;
    // The root: nobody can be asked.
    uint32_t RunUnknownComponentDialog(Base& base, int32_t d, const char* text, int32_t length) override;
    // 0: nobody can be asked, as if the dialog was cancelled.
    int32_t AskPassword(Base* base, String& out, int32_t promptText) override;
    void EnableBaseMenus(Base& base, bool saveEnabled) override;
    void CurrentBaseChanged(Base* base) override;
    bool GetUserStamp(StampedText& stamp) override;
    // False: without the application there is no user code.
    bool SetUserCode(std::string_view code) override;
    void PostDeferredTask(int32_t kind, void* argument) override;
    bool IsWebRequestActive() override;
    // False: only the program has a web service.
    bool ControlWebService(int32_t mode, int32_t port) override;
    // Without a file layer nothing can be saved.
    bool SaveBase(Base& base) override;
    // Without a file layer there are no import setups.
    std::unique_ptr<DimensionImportSetupBase> NewDimensionImportSetup(Base& base, int32_t d) override;

    // Runs the queued tasks in order: kTaskCloseDocument deletes the base when it is still open,
    // kTaskQuit sets QuitRequested.
    void RunDeferredTasks();
    bool QuitRequested() const { return quitRequested; }
    int32_t QueuedTasks() const { return static_cast<int32_t>(tasks.size()); }

private:
    struct Task {
        int32_t kind;
        void* argument;
    };
    std::vector<Task> tasks;
    bool quitRequested = false;
};

// The services without a display (HeadlessModelServices).
template <>
ModelServices& Service<ModelServices>::Headless();

// The model layer's start-up step: registers its implementations of lower layers' hooks (the lookup
// through which date expressions find the periods of a base's own time scales).
void RegisterModelLayerServices();

// Passes a change to every open base (Base::HandleChange) and then to all document windows.
void BroadcastChange(const ChangeRecord& record);
// The task kTaskCloseDocument: deletes the base when it is still open (a base closed meanwhile is
// not touched); answers whether it was.
bool DeleteBaseIfOpen(void* base);
// GetUserStamp of the current services.
bool GetUserStamp(StampedText& stamp);
// PostDeferredTask of the current services.
void PostDeferredTask(int32_t kind, void* argument);

}  // namespace vek
