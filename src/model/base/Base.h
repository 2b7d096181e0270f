// Base: one open document and the chain of open bases.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/strings/HeapText.h"
#include "model/Forward.h"
#include "model/base/BaseOptions.h"
#include "model/base/ChangeRecord.h"
#include "model/cards/Card.h"
#include "model/dimensions/Component.h"
#include "model/cards/RecordPool.h"
#include "model/templates/Template.h"
#include "platform/FilePath.h"
#include "platform/events/CloseMode.h"
#include "text/SortDirection.h"

namespace vek {

class BitSet;
class LogFileHandler;
class MessageHandler;
class String;
class TextReader;
class TextWriter;
struct Message;
struct StampedText;

// The record size that memory reports count for the base itself.
constexpr int32_t kBaseRecordSize = 1700;
// Documented record sizes of the card model (memory reports) are in model/Card.h.
// Component numbers at which the lines' component numbers widen to 3 and to 4 bytes.
constexpr uint32_t kWidenTo3Bytes = 65530;
constexpr uint32_t kWidenTo4Bytes = 0xFFFFFA;

// Whether Base::ChangeCardKey renames the links to the card in the texts of the open bases. A batch
// that knows no text holds a card link skips the walk over every text that each rename takes.
enum class CardLinkRenaming : int32_t { Rename, Skip };

// Which end of the cards Base::GetBoundaryCardKey gives.
enum class CardEdge : int32_t { First, Last };
// Settings of Base::OpenErrorFile.
struct ErrorFileOptions {
    bool append = false;
    bool verbose = false;
    bool persistent = false;
    int32_t language = 0;
};
enum class ErrorFileClose : int32_t { Hard, Soft };

// How Base::SetLogFile opens the operation log.
enum class LogFileOpen : int32_t { Replace, Append };

// The menus built from a base's named objects; the program keeps, for each, the base it was last
// built for, and a change of that base's objects resets the marker so that the menu is rebuilt.
enum class BaseMenu : int32_t { Dimensions, SaveSetups, ImportSetups, TimeScales, Macros, Subsets, NamedObjects };
constexpr int32_t kBaseMenuCount = 7;

// Answers of Base::GetMemoryUse, each rounded up to a multiple of 1024.
struct BaseMemoryUse {
    int64_t used = 0;
    int64_t free = 0;
};

// One open document: 32 dimensions with their components, the cards, groups and lines, the base's
// settings and its named objects. All open bases form one chain in the order they were opened (see
// FirstBase). Every change to a base is announced as a ChangeRecord through HandleChange, which
// applies it to the base and passes it on to everything that depends on the base.
class Base {
public:
    // Builds an empty base with its 32 roots and dimensions, appends it to the chain of open bases
    // and broadcasts change 4. A nonzero untitledNumber names the base "Untitled <n>.vek".
    Base(const FilePath& path, int32_t untitledNumber);
    // Logs the closing, flushes the alerts, leaves the chain, broadcasts change 5 and frees all.
    ~Base();
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;

    // --- Chain of open bases ----------------------------------------------------------------------
    static Base* FirstBase();
    Base* NextBase() const { return nextBase; }
    static int32_t OpenBaseCount();
    // The base whose window is in front, or null.
    static Base* CurrentBase();
    // Makes a base (or none) current; the registered services rebuild the menus built from it.
    static void SetCurrentBase(Base* base);
    static Base* MenuBuiltFor(BaseMenu menu);
    static void SetMenuBuiltFor(BaseMenu menu, Base* base);

    // --- Change notifications ---------------------------------------------------------------------
    // Applies a change to this base and passes it to its receivers (steps in the documented order).
    // A change posted while another change is being handled anywhere is queued and handled after it,
    // in posting order.
    void HandleChange(const ChangeRecord& record);
    // Posts a change with only its code and this base.
    void Notify(int32_t code);
    void NotifyDimension(int32_t code, int32_t dimension);
    // Registers a receiver at a stage (not owned; it must be removed before it dies).
    void AddReceiver(ChangeStage stage, ChangeReceiver* receiver);
    void RemoveReceiver(ChangeStage stage, ChangeReceiver* receiver);

    void SetModified(bool flag);
    bool IsModified() const { return modified; }
    void NotifyChangedDimensions();
    void FlushCardChanges();
    void FinishLoad();
    // False when the user keeps the base open or saving failed. CloseMode::Normal asks about a
    // modified base; ConfirmContents also about an unmodified one with cards or components (message
    // 3202); WindowsOnly asks only the base's windows.
    [[nodiscard]] bool CanClose(CloseMode mode);

    void BeginBusy() { ++busyCount; }
    void EndBusy() { --busyCount; }
    bool IsBusy() const { return busyCount > 0; }

    // --- Names, captions and settings -------------------------------------------------------------
    int32_t UntitledNumber() const { return untitledNumber; }
    const FilePath& Path() const { return path; }
    // A base given a path is named by it from then on: it is no longer untitled.
    void SetPath(const FilePath& newPath) { path.Assign(newPath); untitledNumber = 0; }
    // The base's file name ("Untitled 3.vek" for an untitled base).
    void GetFileName(String& out) const;

    void DimensionSingularName(int32_t d, String& out) const;
    void DimensionPluralName(int32_t d, String& out) const;
    void CardTextCaption(String& out) const;
    void LineTextCaption(String& out) const;
    void GetValueFieldName(int32_t i, String& out) const;
    // 1-32 singular names, 33-64 plural names, 65 card text caption, 66 line text caption, 67-90
    // value field names, above 99 the localized text of that number, else empty.
    void GetFieldCaption(int32_t code, String& out) const;
    int32_t GetFieldCaptionWidth(int32_t code, int32_t minimum) const;
    // The caption of a field code into a buffer of `capacity` bytes, cut at a character boundary and
    // always NUL-terminated.
    void FillFieldCaption(int32_t code, char* buffer, int32_t capacity) const;

    void SetCardTextCaption(const char* text);
    void SetLineTextCaption(const char* text);
    void SetValueFieldName(int32_t i, const char* text);
    void SetDimensionCaptionWidth(int32_t width);
    void SetFieldCaptionWidth(int32_t width);
    void SetCardNumberDigits(int32_t digits);
    void SetValueFormat(int32_t i, int32_t format);
    void SetReferenceDate(const DateExpression& expression);
    void SetLineIndexMap(bool on);
    int32_t CardNumberDigitsNeeded() const;

    int32_t CardNumberDigits() const { return options.cardNumberDigits; }
    int32_t DimensionCaptionWidth() const { return options.dimensionCaptionWidth; }
    int32_t FieldCaptionWidth() const { return options.fieldCaptionWidth; }
    int32_t ValueFormat(int32_t i) const;
    ConstHeapText CardTextCaptionField() const { return options.cardTextCaption.Get(); }
    ConstHeapText LineTextCaptionField() const { return options.lineTextCaption.Get(); }
    ConstHeapText ValueFieldNameField(int32_t i) const;
    const DateExpression& ReferenceDate() const { return *options.referenceDate; }
    const BaseOptions& Options() const { return options; }
    // The line-index map: while switched on, the set of line pool indices freed since then (the card
    // model's FreeLine marks them); null when off.
    BitSet* LineIndexMap() const { return lineIndexMap.get(); }

    void OpenInfoWindow(int32_t flags);
    void ForgetInfoWindow(BaseWindowLink* window);
    BaseWindowLink* StatusWindow() const { return statusWindow.get(); }
    BaseWindowLink* InfoWindow() const { return infoWindow; }

    [[nodiscard]] BaseMemoryUse GetMemoryUse();

    // The base's current save settings (null when none).
    BaseSaveSettings* SaveSettings() const { return saveSettings.get(); }
    void SetSaveSettings(std::unique_ptr<BaseSaveSettings> settings);
    // The import setup of dimension d, made on first use; null when none can be made.
    DimensionImportSetupBase* GetDimensionImportSetup(int32_t d);
    // The import setup of dimension d when it has one (none is made); null otherwise.
    DimensionImportSetupBase* FindDimensionImportSetup(int32_t d) const;
    // Gives dimension d the setup (null drops its setup); a d outside 0-31 does nothing.
    void SetDimensionImportSetup(int32_t d, std::unique_ptr<DimensionImportSetupBase> setup);
    void DropDimensionImportSetup(int32_t d);
    int32_t DimensionOrderIndex(int32_t d) const;
    void SetupDimensionOrder();
    int32_t DimensionOrderCount() const { return dimensionOrderCount; }
    int32_t DimensionOrderAt(int32_t i) const { return dimensionOrder[i]; }
    void EnableBaseMenus();

    // --- Dimensions -------------------------------------------------------------------------------
    Dimension& GetDimension(int32_t d) { return *dimensions[d]; }
    const Dimension& GetDimension(int32_t d) const { return *dimensions[d]; }
    bool DimensionHasComponents(int32_t d) const;
    bool IsDimensionInUse(int32_t d) const;
    // The dimension named by a text (its names, else a number 1..32), or -1.
    int32_t FindDimensionByName(const char* text) const;
    bool IsDimensionChanged(int32_t d) const { return dimensionChanged[d]; }

    // --- Component pool ---------------------------------------------------------------------------
    RecordPool& ComponentPool() { return componentPool; }
    const RecordPool& ComponentPool() const { return componentPool; }
    Component* ComponentAt(uint32_t number) const { return componentPool.Get<Component>(number); }
    Component* Root(int32_t d) const { return ComponentAt(uint32_t(d)); }
    [[nodiscard]] Component* AllocComponent();
    void FreeComponent(Component* component);
    int32_t CountComponentsInUse() const;
    void MarkLiveComponents(BitSet& set) const;

    // --- Creating and deleting components ---------------------------------------------------------
    Component* AddComponent(int32_t d, const char* code, const char* text, const char* host);
    Component* AddComponentAfter(int32_t d, const char* code, const char* text, const char* host,
                                 Component* sibling);
    void DeleteComponent(Component* component);
    void DeleteMarkedComponents(const BitSet& set, int32_t d);
    void RebuildComponentIndexes(int32_t d);
    void SetDimensionChanged(int32_t d) { dimensionChanged[d] = true; }

    // --- Lookups and formatting -------------------------------------------------------------------
    Component* FindByTextPrefix(int32_t d, const char* text) const;
    Component* FindByHostPrefix(int32_t d, const char* text) const;
    Component* FindHostAtOrBelow(int32_t d, const char* text) const;
    uint32_t LookupComponent(int32_t d, const char* text, int32_t length) const;
    uint32_t ResolveComponent(int32_t d, const char* text, int32_t length);
    void FormatComponent(String& out, const Component* component, int32_t d) const;
    void FormatComponentPlain(String& out, const Component* component, int32_t d) const;
    // Writes at the cursor (at most FormatComponentExactBound bytes); a negative combination takes
    // the dimension's.
    void FormatComponentExact(char*& cursor, const Component* component, int32_t d,
                              int32_t combination) const;
    static int32_t FormatComponentExactBound(const Component* component);

    // --- Trees ------------------------------------------------------------------------------------
    int32_t CountComponents(int32_t d) const;
    int32_t MaxComponentLevel(int32_t d) const;
    // The components of d that the cards use (group keys for d = 0); while a card filter is installed
    // only the cards, groups and lines that pass it count. The root's own bit is clear.
    void MarkUsedComponents(BitSet& set, int32_t d);
    void MarkAncestors(BitSet& set, int32_t d) const;
    Component* CommonAncestorOfMarked(const BitSet& set, int32_t d) const;
    Component* NearestUnmarkedAncestor(const Component* component, const BitSet& set) const;

    // --- Generated codes and imported names -------------------------------------------------------
    void NewGeneratedCode(int32_t d, String& out);
    Component* CreateGeneratedCodeParent(int32_t d);
    int32_t GeneratedCodeCounter(int32_t d) const { return generatedCodeCounters[d]; }
    // The component a reference of an imported text names, read by the dimension's "##Cards" mode
    // (code, host code or text); one that is not found is reported (3310, 3312, 3311) unless `report`
    // says quiet, and added. `added` (when given) tells whether one was added.
    enum class UnknownReferenceReport { show, quiet };
    uint32_t ResolveImportComponent(int32_t d, const char* text, int32_t length,
                                    UnknownReferenceReport report = UnknownReferenceReport::show,
                                    bool* added = nullptr);
    // A component of d for a value that the text import's lookup did not find: reports 3310, 3311
    // or 3312 (lookup 0 code, 1 text, 2 host code) with the value and the dimension's name, then
    // makes one by the not-found action (0 "-" a generated code; 1 "C" "#" and the value under the
    // "#" component; 2 "H" the value as its code; 3 "N" its parent's code and the value, after the
    // component with the greatest host code at or below the value); a code that is taken gives a
    // generated code. Lookup by code always acts as "H". The new component has the value as its
    // host code, and as its text too when looked up by text, so that the next line finds it. Its
    // number, or the root of d when none can be made.
    uint32_t CreateImportedComponent(int32_t d, const char* value, int32_t lookup, int32_t action);

    // --- Writing lists ----------------------------------------------------------------------------
    void WriteComponents(TextWriter& writer, int32_t d) const;
    // The subtree of the component with the top code (the whole dimension when none is given;
    // nothing when the code is unknown), without components deeper than maxDepth (when 0 or more).
    void WriteComponentsFiltered(TextWriter& writer, int32_t d, const char* topCode, int32_t maxDepth) const;
    // The same, leaving out the components none of whose code, text and host code matches the name
    // pattern (when one is given and compiles).
    void WriteComponentsFiltered(TextWriter& writer, int32_t d, const char* topCode, const char* pattern,
                                 int32_t maxDepth) const;

    // --- Operation log and alerts -----------------------------------------------------------------
    LogFileHandler* LogHandler() const { return logHandler.get(); }
    // Starts (a non-empty path) or stops (empty) the operation log.
    void SetLogFile(const char* path, LogFileOpen how);
    void LogOperation(const char* what, const char* name, int32_t code);
    void LogFileOperation(const FilePath* file, int32_t code);
    void LogLoadTime(const char* what, int64_t count, int64_t startTimeMs);
    void SetSaveKind(int32_t fileKind);
    int32_t SaveKind() const { return saveKind; }
    // The answer's index among 705, 701, 704, 3121 (see the operation log's source).
    int32_t ShowErrorAlert(Message& message);
    int32_t ReportError(int32_t number, const char* text);
    void StopOperation();
    void AskErrorFile();
    void FlushAlerts(bool final);
    bool StopRequested() const { return stopRequested; }
    void ClearStopRequested() { stopRequested = false; }
    bool HasErrorFile() const { return errorHandler != nullptr || errorFileIsLog; }
    // The error file of the command language (errorFile): closes the current one (hard), remembers
    // the path, and makes a log of that file the base's error handler, writing in `language`. A
    // verbose error file labels its errors "Error: ", is the base's log as well (command lines and
    // other entries go into the same file) and writes in the first language; `persistent` keeps it
    // through soft closes.
    void OpenErrorFile(const FilePath& file, const ErrorFileOptions& options);
    // Closes the current error file (hard), then records later errors without showing them.
    void CatchErrors();
    // A hard close ends any error file; a soft close (the end of a run) keeps a persistent verbose
    // one, whose label becomes "Alert: ".
    void CloseErrorFile(ErrorFileClose how);
    const FilePath* ErrorFilePath() const { return errorFilePath.get(); }
    // True when neither the base nor the program is unattended (a user can be asked).
    bool IsInteractive() const;
    void SetUnattended(bool value) { unattended = value; }

    // --- XML input -----------------------------------------------------------------------------------
    // While the XML-error flag is on (off for a new base), what an XML reader of the base does not
    // know is reported (files/xmlinterface/XmlErrorReports.h); while it is off it is passed over
    // silently. Readers switch it on for the time of one file and put the old state back.
    bool ReportsXmlErrors() const { return reportsXmlErrors; }
    void SetReportsXmlErrors(bool on) { reportsXmlErrors = on; }

    // --- Cards, groups and lines (the card model's code: BaseCards.cpp, BaseLines.cpp) -------------
    // Records are named by 32-bit pool indices; these resolve them (null for kNoRecord). Card and
    // group records never move; line records move only when the line layout changes.
    Card* CardAt(uint32_t index) const { return cards.cardPool.Get<Card>(index); }
    CardGroup* GroupAt(uint32_t index) const { return cards.groupPool.Get<CardGroup>(index); }
    CardLine* LineAt(uint32_t index) const { return cards.linePool.Get<CardLine>(index); }
    DateBucket* BucketAt(uint32_t index) const { return cards.bucketPool.Get<DateBucket>(index); }
    // The chain end closes the card chain into a ring; walks stop when they reach it.
    Card* ChainEnd() const { return CardAt(cards.chainEnd); }
    Card* FirstCard() const { return CardAt(ChainEnd()->next); }
    Card* LastCard() const { return CardAt(ChainEnd()->prev); }
    Card* NextCard(const Card* card) const { return CardAt(card->next); }
    Card* PreviousCard(const Card* card) const { return CardAt(card->prev); }
    CardGroup* FirstGroup(const Card* card) const { return GroupAt(card->firstGroup); }
    CardGroup* NextGroup(const CardGroup* group) const { return GroupAt(group->next); }
    CardLine* FirstLine(const CardGroup* group) const { return LineAt(group->firstLine); }
    CardLine* NextLine(const CardLine* line) const { return LineAt(line->next); }
    int32_t CardCount() const { return cards.CardCount(); }
    int32_t GroupCount() const { return cards.GroupCount(); }
    int32_t LineCount() const { return cards.LineCount(); }
    int32_t BucketCount() const { return cards.bucketCount; }
    const CardModel& CardRecords() const { return cards; }
    CardSourceTable& CardSources() { return cards.sources; }
    bool CardsChanged() const { return cards.cardsChanged; }

    // Pools: each allocation gives null when its pool cannot grow.
    [[nodiscard]] Card* AllocCard();
    void FreeCard(Card* card);
    [[nodiscard]] CardGroup* AllocGroup();
    void FreeGroup(CardGroup* group);
    [[nodiscard]] CardLine* AllocLine();
    void FreeLine(CardLine* line);

    // Cards. CreateCard and ChangeCardKey write the key the card really got back into `key` (its
    // number is the lowest free one at or above the wanted number); null and nothing changed when
    // memory runs short or the date has no free number left.
    [[nodiscard]] Card* CreateCard(CardKey& key);
    void DeleteCard(Card* card);
    [[nodiscard]] bool ChangeCardKey(Card* card, CardKey& key,
                                     CardLinkRenaming links = CardLinkRenaming::Rename);
    void GetCardKey(const Card* card, CardKey& key) const;
    PackedDate CardDate(const Card* card) const { return BucketAt(card->bucket)->date; }
    Card* FindCardAtOrAfter(const CardKey& key) const;
    Card* FindCardAtOrBefore(const CardKey& key) const;
    // Cards from `from` to `to` (both included; a `to` dated 0x7fffffff is open): `first` is the first
    // card at or after `from`, `end` the card after the last one counted; returns their number.
    int32_t FindCardsInDateRange(const CardKey& from, const CardKey& to, Card*& first, Card*& end) const;
    DateBucket* FindBucketAtOrBefore(PackedDate date) const;
    void DeleteAllCards();
    void DeleteMarkedCards(const BitSet& set);
    void MarkLiveCards(BitSet& set) const;
    int32_t CountCardsWithMarkedLines(const BitSet& set) const;
    // The card filter of the save in progress (not owned; null: none). Whoever installs one removes it
    // before it dies.
    void SetCardFilter(const CardFilter* filter) { cardFilter = filter; }
    const CardFilter* GetCardFilter() const { return cardFilter; }

    // Groups.
    [[nodiscard]] CardGroup* FindOrAddGroup(Card* card, int32_t key);
    void DeleteGroup(Card* card, CardGroup* group);
    void MergeFollowingGroups(CardGroup* group);
    Card* DropEmptyGroups(Card* card);

    // Lines.
    [[nodiscard]] CardLine* CreateLine(CardGroup* group);
    void DeleteLine(Card* card, CardGroup* group, CardLine* line);
    int32_t DeleteMarkedLines(Card* card, const BitSet& set);
    void BeginLineDeletion(const StampedText& stamp);
    void DeleteLineInBatch(Card* card, CardGroup* group, CardLine* line);
    void EndLineDeletion();

    // Line accessors. Slots are dimensions minus 1 (0..DimsInUse()-1); out-of-range slots and value
    // fields read as the root of the slot's dimension and 0.0 and are never written.
    uint32_t GetLineComponent(const CardLine* line, int32_t slot) const;
    void SetLineComponent(CardLine* line, int32_t slot, uint32_t number);
    void GetLineComponents(const CardLine* line, uint32_t* out) const;  // DimsInUse() numbers
    void SetLineComponents(CardLine* line, const uint32_t* numbers);
    void CopyLineComponents(CardLine* target, const CardLine* source);
    bool LineComponentsAllIn(const CardLine* line, const BitSet& set) const;
    double GetLineValue(const CardLine* line, int32_t i) const;
    void SetLineValue(CardLine* line, int32_t i, double value);
    void GetLineValues(const CardLine* line, double* out) const;  // ValueCount() values
    void SetLineValues(CardLine* line, const double* values);

    // Shapes of the line records. Grows the component numbers of every line to `width` bytes (3 or
    // 4); smaller does nothing. Each shape change leaves the layout as it was when the cancel flag is
    // raised (a failed resize raises error 600).
    void WidenComponentWidth(int32_t width);
    // Recomputes `dimsInUse` from the dimensions that have components (change 31 when it changes).
    void UpdateDimensionsInUse();
    // 1..24 value fields (change 32 with the difference); other counts do nothing.
    void SetValueCount(int32_t n);
    // The value field a text names (its name, else a number 1..24), or -1.
    int32_t FindValueFieldByName(const char* text) const;
    int32_t ComponentWidth() const { return cards.componentWidth; }
    int32_t DimsInUse() const { return cards.dimsInUse; }
    int32_t ValueCount() const { return cards.valueCount; }

    // After components of dimension d were deleted: d = 0 resets group keys marked in `deleted` to
    // 0; other d reset the line components of dimension d marked in it to the root d.
    void ClearDeletedReferences(int32_t d, const BitSet& deleted);
    int64_t ComponentTextMemory();
    int64_t CardTextMemory();
    // Releases the titles, notes and line texts of every card (before the base goes).
    void ReleaseCardTexts();

    // Card keys: the next and previous key within the card-number digits of the base; the key of the
    // first (which < 1) or last card, or of the current year's first or last day without cards.
    void NextCardKey(CardKey& out, const CardKey& key) const;
    void PreviousCardKey(CardKey& out, const CardKey& key) const;
    void GetBoundaryCardKey(CardKey& out, CardEdge edge) const;
    // -1, 0 or 1 by key; a null card after every card in either order.
    int32_t CompareCardsByKey(const Card* a, const Card* b, SortDirection order) const;

    // Checkpoints (BaseCheckpoint.h): RollBack removes exactly what was added since TakeCheckpoint,
    // puts back everything that was changed, and posts the changes of both. A checkpoint taken while
    // memory runs short is not valid (error 600 pending).
    void TakeCheckpoint(BaseCheckpoint& checkpoint);
    void RollBack(BaseCheckpoint& checkpoint);
    // The "##Subset" sections of a list, as a checkpoint keeps them.
    static std::string SubsetSectionsText(const SubsetList& list);
    // Called before the case conversion of a text field of dimension d's components: every
    // checkpoint taken keeps the texts once, to put them back (error 600 when memory runs short).
    void KeepComponentTexts(int32_t d, ComponentTextField field);

    // --- Named objects: time scales, macros, web users, password ----------------------------------
    // The lists own their objects and make and destroy them (Create, Delete); names are looked up
    // trimmed of blanks and without regard to case, and an empty name finds nothing.
    TimeScaleList& TimeScales() { return *timeScales; }
    const TimeScaleList& TimeScales() const { return *timeScales; }
    MacroList& Macros() { return *macros; }
    const MacroList& Macros() const { return *macros; }
    WebUserList& WebUsers() { return *webUsers; }
    const WebUserList& WebUsers() const { return *webUsers; }
    // Deletes every macro whose name matches the pattern (an empty or refused one deletes none).
    int32_t DeleteMacrosMatching(const char* pattern);
    BaseProtection& Protection() { return *protection; }
    const BaseProtection& Protection() const { return *protection; }
    // The base's global subsets (named from "G1"), which every formula of the base may name.
    SubsetList& Subsets() { return *subsets; }
    const SubsetList& Subsets() const { return *subsets; }

    // --- Templates (TemplateTree.h) -------------------------------------------------------------------
    // The base's template tree and its defaults templates.
    TemplateTree& Templates() { return *templates; }
    const TemplateTree& Templates() const { return *templates; }
    // The tree's template factory and lookup by path (TemplateTree::NewTemplate, TemplateTree::Find),
    // which most callers want.
    [[nodiscard]] std::unique_ptr<Template> NewTemplate(TemplateKind kind);
    Template* FindTemplate(const char* path) const;

    // The base's global subset list as subset formulas name it: Subsets() from the base's making to
    // its end, unless a test sets another.
    SubsetOperandList* GlobalSubsetOperands() const { return globalSubsetOperands; }
    void SetGlobalSubsetOperands(SubsetOperandList* list) { globalSubsetOperands = list; }

    // --- Links in notes texts (BaseLinkRegistry.h, LinkRename.h) ---------------------------------
    // The registry "data" with the base's card, macro and template link kinds.
    BaseLinkRegistry& GetLinkRegistry() { return *linkRegistry; }
    const BaseLinkRegistry& GetLinkRegistry() const { return *linkRegistry; }
    // The link code (4 symbols) of the base's file name, by which web links name the base.
    void GetLinkCode(String& out) const;
    // Each starts a LinkRename of the base's links to the object (change 63 to every open base) when
    // the names differ: template paths and macro names without regard to case, card keys by their
    // text forms (YYMMDD-number), byte-wise.
    void RenameTemplateLinks(const char* oldPath, const char* newPath);
    void RenameMacroLinks(const char* oldName, const char* newName);
    void RenameCardLinks(const CardKey& oldKey, const CardKey& newKey);

    // --- Running command texts (CommandSource.cpp) ---------------------------------------------------
    // Runs a command text for this base with the registered interpreter (CommandTextRunner); while it
    // runs, `name` is the program-wide RunningCommandSource. A text nested deeper than
    // kMaxCommandNesting is refused with message 3883.
    void RunCommandSource(std::string_view text, const char* name);
    // Runs, in name order, every macro flagged "S"; stops when an error is pending.
    void RunStartupMacros();

    // --- Base-file layer (kept for the files library) ---------------------------------------------
    BaseFileData* FileData() const { return fileData.get(); }
    void SetFileData(std::unique_ptr<BaseFileData> data);

private:
    friend class BaseTestAccess;

    friend class BaseChangeAccess;
    friend class BaseCheckpoint;

    void ApplyChange(const ChangeRecord& record);
    // Reads the subsets back from a checkpoint's text when they changed since (RollBack).
    void RestoreSubsets(const std::string& text);
    void PassToReceivers(ChangeStage stage, const ChangeRecord& record);
    void DoOwnWork(const ChangeRecord& record);
    void NameUntitled();
    Component* AddComponentLinked(int32_t d, const char* code, const char* text, const char* host,
                                  Component* sibling);
    uint32_t FindParentByCodePrefix(int32_t d, const char* code) const;
    // Deletes a component with its subtree; sets indexStale when an index could not drop one of them.
    void DeleteSubtree(Component* top, bool& indexStale);
    // Change 63: the titles, notes and line texts of every card; changed cards get the user's stamp,
    // and change 28 follows when any changed.
    void RewriteCardLinks(const LinkRename& rename);

    // --- Base record ------------------------------------------------------------------------------
    Base* nextBase = nullptr;
    std::unique_ptr<BaseWindowLink> statusWindow;
    BaseWindowLink* infoWindow = nullptr;
    bool modified = false;
    int32_t busyCount = 0;
    int32_t untitledNumber = 0;
    FilePath path;
    int32_t saveKind = 1;
    std::unique_ptr<WebUserList> webUsers;
    std::unique_ptr<BaseProtection> protection;
    BaseOptions options{this};

    // --- Components and dimensions ----------------------------------------------------------------
    RecordPool componentPool;
    int64_t componentTextMemory = 0;  // 0 when not computed
    std::array<std::unique_ptr<Dimension>, kDimensionCount> dimensions;
    std::array<std::unique_ptr<DimensionImportSetupBase>, kDimensionCount> dimensionImportSetups;
    std::array<bool, kDimensionCount> dimensionChanged{};
    std::array<int32_t, kDimensionCount> generatedCodeCounters{};

    // --- Card model (the cards' code owns this block; model/Card.h) ------------------------------
    CardModel cards;

    // --- Receivers of changes ---------------------------------------------------------------------
    std::array<std::vector<ChangeReceiver*>, kChangeStageCount> receivers;
    int32_t receiversWalking = 0;

    // --- Operation log and alerts -----------------------------------------------------------------
    std::unique_ptr<LogFileHandler> logHandler;
    std::unique_ptr<MessageHandler> errorHandler;
    // A verbose error file is the base's log (logHandler) and its error file at once.
    bool errorFileIsLog = false;
    bool errorFilePersistent = false;
    std::unique_ptr<FilePath> errorFilePath;
    bool alertsPending = false;
    bool stopRequested = false;
    bool unattended = false;
    bool reportsXmlErrors = false;

    std::unique_ptr<BaseSaveSettings> saveSettings;

    // --- Line-index map and dimension order -------------------------------------------------------
    std::unique_ptr<BitSet> lineIndexMap;
    std::array<int32_t, kDimensionCount> dimensionOrder{};
    int32_t dimensionOrderCount = 0;

    // --- Named objects (the lists delete their objects without posting changes) -------------------
    std::unique_ptr<TimeScaleList> timeScales;
    std::unique_ptr<MacroList> macros;
    // The global subsets; the formulas of the base reach them as `globalSubsetOperands` (tests may
    // give the formulas another list).
    std::unique_ptr<SubsetList> subsets;
    SubsetOperandList* globalSubsetOperands = nullptr;  // not owned
    std::unique_ptr<TemplateTree> templates;
    std::unique_ptr<BaseLinkRegistry> linkRegistry;
    const CardFilter* cardFilter = nullptr;

    // --- Base-file layer and checkpoints -----------------------------------------------------------
    std::unique_ptr<BaseFileData> fileData;
    BaseCheckpoint* checkpoint = nullptr;  // the latest checkpoint taken and not used up (not owned)
};

}  // namespace vek
