// TimeScaleWindow: the working copy of a time scale's periods, its editing, import, tidying and saving.
#include "editors/TimeScaleWindow.h"

#include <algorithm>

#include "drawing/ClipboardText.h"
#include "foundation/memory/MemoryHandle.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextStreams.h"
#include "foundation/strings/Identifiers.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "gui/Application.h"
#include "gui/DrawingRoutines.h"
#include "gui/MenuItem.h"
#include "gui/editing/TextField.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "model/dates/TimeScale.h"
#include "model/links/LinkRename.h"

namespace vek {

namespace {

constexpr int32_t kEditorMemoryTest = 16384;
constexpr int32_t kWindowHeight = 255;
constexpr int32_t kPanelHeight = 30;
constexpr int32_t kHeaderHeight = 16;
constexpr int32_t kMinimumTextColumn = 60;
// Bytes an imported period text keeps; the time scale itself keeps kMaxPeriodLabelBytes.
constexpr int32_t kImportedTextBytes = 64;
// Bytes a time scale's name keeps (it must fit its marker line and the menus).
constexpr int32_t kMaxTimeScaleNameBytes = 63;
constexpr int32_t kCommandAddRow = 20;
constexpr int32_t kChangeDateFormat = 29;
constexpr int32_t kChangeLinkName = 63;

// Blanks off both ends, then cut at a character boundary to at most `limit` bytes (a cut never
// leaves half a character behind).
std::string TrimAndCut(std::string_view text, int32_t limit)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::string kept(text.substr(0, static_cast<size_t>(Utf8SafeCut(text, limit))));
    while (!kept.empty() && kept.back() == ' ')
        kept.pop_back();
    return kept;
}

std::string FormatPeriodStart(const CardKey& key)
{
    if (key.date == 0)
        return {};
    String text;
    FormatCardKeyPlain(text, key);
    return std::string(text.View());
}

int32_t MeasureStartColumn()
{
    return MeasureTextWidthInStyle(TextStyle{}, "00000000-0000") + 12;
}

}  // namespace

TimeScaleWindow::TimeScaleWindow(Base& forBase, TimeScale* shown, int32_t flags)
    : TableWindow(DocumentKind::TimeScale, OriginSize{0, 0, kWindowHeight, int16_t(MeasureStartColumn() + 120)}, nullptr,
                  &forBase, flags),
      base(forBase), timeScale(shown)
{
    SetShownObject(shown, nullptr);
    startWidth = MeasureStartColumn();
    const int32_t width = bounds.Width();
    nameField = new TextField(*this, OriginSize{7, 50, 16, ClampCoordinate(width - 78)}, 0, true, true);
    if (timeScale != nullptr && timeScale->GetName() != nullptr)
        nameField->SetText(timeScale->GetName());
    SetTitle(timeScale != nullptr && timeScale->GetName() != nullptr ? timeScale->GetName() : LoadText(text::kTimeScaleName));
    startColumn = new ColumnHeader(*this, text::kPeriodStartColumn, startWidth);
    textColumn = new ColumnHeader(*this, text::kPeriodTextColumn, kMinimumTextColumn);
    textColumn->ownWidth = true;
    SetKeyMode(GridKeyMode::Rows);
    CreateGridViews(kPanelHeight, kHeaderHeight, 0);
    FitTextColumn();
    LoadRows();
    FinishConstruction();
    BeginCellEdit(0, 0);
}

TimeScaleWindow::~TimeScaleWindow()
{
    PrepareDestruction();
    delete textColumn;
    delete startColumn;
}

void TimeScaleWindow::LoadRows()
{
    rows.clear();
    if (timeScale != nullptr) {
        for (int32_t i = 0; i < timeScale->PeriodCount(); ++i) {
            ConstHeapText label = timeScale->PeriodLabel(i);
            rows.push_back(TimeScaleRow{timeScale->PeriodStart(i), label != nullptr ? label : ""});
        }
    }
    if (rows.empty())
        rows.push_back(TimeScaleRow{});
    SetRowCount(static_cast<int32_t>(rows.size()));
}

void TimeScaleWindow::FitTextColumn()
{
    // The text column fills what the start column leaves, at least 60 wide.
    const int32_t body = BodyView() != nullptr ? BodyView()->Bounds().Width() : bounds.Width();
    textColumn->SetWidth(std::max(body - startColumn->Width() - 1, kMinimumTextColumn));
}

void TimeScaleWindow::Resized(int32_t dw, int32_t dh)
{
    TableWindow::Resized(dw, dh);
    if (nameField != nullptr)
        nameField->ResizeBy(dw, 0);
    if (textColumn != nullptr)
        FitTextColumn();
}

void TimeScaleWindow::Draw()
{
    TableWindow::Draw();
    DrawTextById(Rect{7, 6, 23, 48}, text::kNameLabel);
}

void TimeScaleWindow::FormatRow(int32_t row, RowRecord&)
{
    if (row < 0 || row >= static_cast<int32_t>(rows.size()))
        return;
    startColumn->cell.text = FormatPeriodStart(rows[static_cast<size_t>(row)].start);
    textColumn->cell.text = rows[static_cast<size_t>(row)].text;
}

void TimeScaleWindow::CommitCellEdit(int32_t row, int32_t column, std::string_view text)
{
    if (row < 0 || row >= static_cast<int32_t>(rows.size()))
        return;
    TimeScaleRow& edited = rows[static_cast<size_t>(row)];
    if (column == 0) {
        // A shortened date means the earliest date it can: "2404" is 1 April 2024.
        const std::string entry = TrimAndCut(text, 64);
        CardKey key{};
        if (!entry.empty())
            ParseCardKey(key, entry.data(), static_cast<int32_t>(entry.size()), -1);
        edited.start = key;
    } else {
        edited.text = TrimAndCut(text, kMaxPeriodLabelBytes);
    }
    InvalidateRowRange(row, row);
}

int32_t TimeScaleWindow::GridKeyDown(InputEvent& event)
{
    if (event.key == 13 || event.key == 3) {
        AddRowAfterCurrent();
        return 1;
    }
    return TableWindow::GridKeyDown(event);
}

void TimeScaleWindow::AddRowAfterCurrent()
{
    const int32_t current = EditPosition().row;
    BeginCellEdit(-1, -1);
    const int32_t at = current >= 0 ? current + 1 : static_cast<int32_t>(rows.size());
    rows.insert(rows.begin() + at, TimeScaleRow{});
    SetRowCount(static_cast<int32_t>(rows.size()));
    BeginCellEdit(at, 0);
    ScrollCellIntoView(at, 0);
}

void TimeScaleWindow::DeleteCurrentRow()
{
    const int32_t current = EditPosition().row;
    if (current < 0)
        return;
    BeginCellEdit(-1, -1);
    if (rows.size() > 1)
        rows.erase(rows.begin() + current);
    else
        rows[0] = TimeScaleRow{};
    SetRowCount(static_cast<int32_t>(rows.size()));
    BeginCellEdit(std::min(current, static_cast<int32_t>(rows.size()) - 1), 0);
}

int32_t TimeScaleWindow::ImportPeriods(TextReader& reader)
{
    BeginCellEdit(-1, -1);
    int32_t taken = 0;
    String field;
    while (reader.ReadLine()) {
        if (!reader.NextFieldToString(field))
            continue;
        CardKey key{};
        ParseCardKey(key, field.CStr(), field.Length(), -1);
        reader.NextFieldToString(field);
        const std::string text = TrimAndCut(field.View(), kImportedTextBytes);
        if (key.date == 0 || text.empty())
            continue;
        if (rows.back().IsEmpty())
            rows.back() = TimeScaleRow{key, text};
        else
            rows.push_back(TimeScaleRow{key, text});
        ++taken;
    }
    if (taken > 0) {
        SetRowCount(static_cast<int32_t>(rows.size()));
        InvalidateGrid();
    }
    return taken;
}

int32_t TimeScaleWindow::ImportPeriodsFromClipboard()
{
    std::optional<std::string> text = GetClipboardText();
    if (!text)
        return 0;
    TextReader reader(text->data(), static_cast<int64_t>(text->size()));
    return ImportPeriods(reader);
}

int32_t TimeScaleWindow::ImportPeriodsFromFile(const char* path)
{
    FileTextReader reader;
    if (!reader.Open(path)) {
        SetErrorCode(message::kImportFileUnreadable);
        GetPendingError().message.AddFileName(path);
        return -1;
    }
    const int32_t taken = ImportPeriods(reader);
    reader.Close();
    return taken;
}

bool TimeScaleWindow::TidyRows()
{
    const size_t before = rows.size();
    rows.erase(std::remove_if(rows.begin(), rows.end(), [](const TimeScaleRow& row) { return row.IsEmpty(); }), rows.end());
    bool changed = rows.size() != before;
    if (rows.empty())
        rows.push_back(TimeScaleRow{});
    // Each out-of-order row moves backwards past the larger keys; equal keys keep their order.
    const bool sorted = std::is_sorted(rows.begin(), rows.end(),
                                       [](const TimeScaleRow& a, const TimeScaleRow& b) { return CardKeyLess(a.start, b.start); });
    if (!sorted) {
        std::stable_sort(rows.begin(), rows.end(),
                         [](const TimeScaleRow& a, const TimeScaleRow& b) { return CardKeyLess(a.start, b.start); });
        changed = true;
    }
    if (changed) {
        SetRowCount(static_cast<int32_t>(rows.size()));
        InvalidateGrid();
    }
    return changed;
}

std::string TimeScaleWindow::UniqueName(std::string name) const
{
    if (name.empty())
        name = LoadText(text::kTimeScaleName);
    const TimeScaleList& list = base.TimeScales();
    String candidate;
    candidate.AssignCStr(name.c_str());
    for (int32_t guard = 0; guard <= list.Count(); ++guard) {
        const TimeScale* same = list.Find(candidate.CStr(), candidate.Length());
        if (same == nullptr || same == timeScale)
            break;
        IncrementTrailingNumber(candidate);
    }
    return std::string(candidate.View());
}

std::string TimeScaleWindow::SaveName() const
{
    std::string name = TrimAndCut(nameField->Text(), kMaxTimeScaleNameBytes);
    if (name.empty() && timeScale == nullptr)
        name = TrimAndCut(Title(), kMaxTimeScaleNameBytes);
    return UniqueName(name);
}

bool TimeScaleWindow::PeriodsDiffer() const
{
    if (timeScale == nullptr)
        return rows.size() > 1 || !rows.front().IsEmpty();
    const int32_t kept = rows.size() == 1 && rows.front().IsEmpty() ? 0 : static_cast<int32_t>(rows.size());
    if (kept != timeScale->PeriodCount())
        return true;
    for (int32_t i = 0; i < kept; ++i) {
        const TimeScaleRow& row = rows[static_cast<size_t>(i)];
        ConstHeapText label = timeScale->PeriodLabel(i);
        if (CardKeyDiffers(row.start, timeScale->PeriodStart(i)) || row.text != (label != nullptr ? label : ""))
            return true;
    }
    return false;
}

bool TimeScaleWindow::HasChanges() const
{
    if (timeScale == nullptr || PeriodsDiffer())
        return PeriodsDiffer();
    const char* stored = timeScale->GetName() != nullptr ? timeScale->GetName() : "";
    return SaveName() != stored;
}

bool TimeScaleWindow::Save(const std::string& name)
{
    TimeScale* target = timeScale;
    const bool periodsChanged = PeriodsDiffer();
    if (target == nullptr) {
        target = base.TimeScales().Create(name.c_str());
        if (target == nullptr)
            return false;
        timeScale = target;
        SetShownObject(target, nullptr);
    } else {
        const char* stored = target->GetName() != nullptr ? target->GetName() : "";
        if (name != stored)
            target->Rename(name.c_str());
    }
    SetTitle(name.c_str());
    if (!periodsChanged)
        return true;
    target->ClearPeriods();
    bool complete = true;
    const CardKey* previous = nullptr;
    for (const TimeScaleRow& row : rows) {
        // A row without a start cannot be a period, and of rows with the same start (the rows are in
        // key order) the first one counts, as when periods are copied.
        if (row.start.date == 0 || (previous != nullptr && CardKeyEquals(*previous, row.start)))
            continue;
        previous = &row.start;
        if (!target->AddPeriod(row.start, row.text.c_str()))
            complete = false;
    }
    base.HandleChange(ChangeRecord(kChangeTimeScaleRead, &base, TimeScalePayload{target}));
    return complete;
}

int32_t TimeScaleWindow::CanClose(CloseMode mode)
{
    BeginCellEdit(-1, -1);
    if (mode == CloseMode::WindowsOnly)
        return TableWindow::CanClose(mode);
    TidyRows();
    if (!HasChanges())
        return TableWindow::CanClose(mode);
    std::string name = SaveName();
    if (mode != CloseMode::PressDefault) {
        Message message;
        message.code = timeScale != nullptr ? message::kSaveObjectChanges : message::kSaveNewObject;
        message.AddText(name.c_str());
        if (timeScale != nullptr) {
            message.AddNumber(text::kSaveObject);
            message.AddNumber(text::kCancel);
            message.AddNumber(text::kCloseWithoutSaving);
            message.AddNumber(text::kDuplicateButton);
        } else {
            message.AddNumber(text::kDuplicateButton);
            message.AddNumber(text::kCancel);
            message.AddNumber(text::kDiscardNewObject);
        }
        message.owner = this;
        // Unattended, the edit is kept: saving destroys nothing that was typed.
        message.answer = 0;
        const int32_t answer = ReportMessage(message);
        if (answer == 1) {
            BeginCellEdit(0, 0);
            return 0;
        }
        if (answer == 2)
            return TableWindow::CanClose(mode);
        if (answer == 3 && timeScale != nullptr) {
            // Save as new: the stored time scale stays as it was.
            timeScale = nullptr;
            name = SaveName();
        }
    }
    if (!Save(name))
        SetOutOfMemoryError();
    return TableWindow::CanClose(mode);
}

CommandTarget* TimeScaleWindow::Query(void* request)
{
    CommandTarget* answer = TableWindow::Query(request);
    const auto* notification = static_cast<const ChangeNotification*>(request);
    if (notification == nullptr)
        return answer;
    const LinkRenamePayload* payload = notification->record.Get<LinkRenamePayload>();
    if (notification->record.code == kChangeLinkName && payload != nullptr && payload->linkRename != nullptr) {
        bool changed = false;
        for (TimeScaleRow& row : rows) {
            if (payload->linkRename->RewriteText(row.text)) {
                row.text = TrimAndCut(row.text, kMaxPeriodLabelBytes);
                changed = true;
            }
        }
        if (changed)
            InvalidateGrid();
    } else if (notification->record.code == kChangeDateFormat) {
        const int32_t wanted = MeasureStartColumn();
        const int32_t delta = wanted - startColumn->Width();
        if (delta != 0) {
            SetColumnWidth(*startColumn, wanted);
            FitTextColumn();
        }
    }
    return answer;
}

int32_t TimeScaleWindow::DoCommand(MenuItem& item)
{
    switch (item.Command()) {
    case kCommandAddRow: AddRowAfterCurrent(); return 1;
    case kCommandClear: DeleteCurrentRow(); return 1;
    case kCommandPaste: return ImportPeriodsFromClipboard() > 0 ? 1 : 0;
    default: return TableWindow::DoCommand(item);
    }
}

TimeScaleWindow* OpenTimeScaleEditor(Base& base, TimeScale* timeScale, int32_t flags)
{
    if (timeScale != nullptr) {
        for (DocumentWindow* w = DocumentWindow::First(); w != nullptr; w = w->NextOpenWindow()) {
            if (w->WindowKind() == DocumentKind::TimeScale && w->ShownObject() == timeScale) {
                w->BringToFront();
                return static_cast<TimeScaleWindow*>(w);
            }
        }
    }
    if (!TestHandleAlloc(kEditorMemoryTest))
        return nullptr;
    return new TimeScaleWindow(base, timeScale, flags);
}

bool DeleteTimeScale(TimeScaleWindow& window)
{
    TimeScale* timeScale = window.ShownTimeScale();
    if (timeScale == nullptr)
        return false;
    Message message;
    message.code = message::kConfirmDelete;
    message.AddText(window.Title().c_str());
    message.AddNumber(text::kDelete);
    message.AddNumber(text::kCancel);
    message.owner = &window;
    message.answer = 1;  // unattended: nothing is deleted
    if (ReportMessage(message) == 1)
        return false;
    Base* base = window.GetBase();
    if (!CommandTarget::CloseIfAllowed(&window, CloseMode::WindowsOnly))
        return false;
    if (base != nullptr)
        base->TimeScales().Delete(timeScale);
    return true;
}

}  // namespace vek
