// UnknownComponentDialog: the question, the lookup as the user types, and the answer.
#include "docwindows/dialogs/UnknownComponentDialog.h"

#include <algorithm>
#include <string>

#include "docwindows/controls/ComponentSelectorRow.h"
#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "gui/DrawingRoutines.h"
#include "gui/PushButton.h"
#include "gui/StaticText.h"
#include "model/base/Base.h"

namespace vek {

namespace {

constexpr int16_t kUnknownDialogWidth = 350;
constexpr int16_t kUnknownDialogHeight = 121;
constexpr OriginSize kQuestionFrame{13, 17, 32, 310};
constexpr OriginSize kRowFrame{56, 20, 12, 115};
constexpr OriginSize kMatchFrame{56, 155, 12, 177};

}  // namespace

UnknownComponentDialog::UnknownComponentDialog(Base& base, int32_t dimension, Window* parent)
    : Dialog(kUnknownDialogWidth, kUnknownDialogHeight, DialogOwner{&base, nullptr}, parent), base(base),
      dimension(dimension)
{
    question = new StaticText(*this, kQuestionFrame, true);
    row = new ComponentSelectorRow(*this, kRowFrame, 1, base, dimension);
    match = new StaticText(*this, kMatchFrame, true);
    okButton = AddDialogButtons(0);
    FinishConstruction();
}

UnknownComponentDialog::~UnknownComponentDialog()
{
    PrepareDestruction();
}

void UnknownComponentDialog::Prepare(const char* code, int32_t length)
{
    length = code == nullptr ? 0 : std::max(0, length);
    // A long code is shown cut, never inside a character.
    const int32_t shown = Utf8SafeCut(code, length, std::min(length, kShownCodeLimit));
    String typed;
    typed.AssignBytes(code, shown);
    String name;
    base.DimensionSingularName(dimension, name);
    // Formatted as a message is, so that a code holding "@1" is shown as it is.
    Message prompt;
    prompt.code = text::kUnknownComponentPrompt;
    prompt.AddTextBytes(typed.CStr(), typed.Length());
    prompt.AddText(name.CStr());
    String text;
    prompt.Format(text);
    question->SetTextString(text.CStr());
    const int32_t needed = MeasureTextHeightInStyle(question->GetTextStyle(), text.View(), kQuestionFrame.width);
    if (needed > kQuestionFrame.height) {
        const int32_t grow = needed - kQuestionFrame.height;
        const int32_t below = kQuestionFrame.top + kQuestionFrame.height;
        ResizeBy(0, grow);
        question->ResizeBy(0, grow);
        for (Pane* child = FirstChild(); child != nullptr; child = child->Next())
            if (child != question && child->Position().v >= below)
                child->MoveBy(0, grow);
    }
    row->SetTextBytes(typed.CStr(), typed.Length());
    row->SelectAll();
    Update();
}

void UnknownComponentDialog::Update()
{
    const std::string_view text = row->Text();
    found = base.LookupComponent(dimension, std::string(text).c_str(), int32_t(text.size()));
    const bool matched = found >= kDimensionCount;
    bool empty = true;
    for (char c : text)
        empty = empty && c == ' ';
    okButton->SetEnabled(matched || empty || !base.DimensionHasComponents(dimension));
    String shown;
    if (matched)
        base.FormatComponent(shown, base.ComponentAt(found), dimension);
    match->SetTextString(shown.CStr());
    InvalidateRect(Rect{ClampCoordinate(kMatchFrame.top - 3), ClampCoordinate(kMatchFrame.left - 3),
                        ClampCoordinate(match->Position().v + kMatchFrame.height + 3),
                        ClampCoordinate(kMatchFrame.left + kMatchFrame.width + 3)},
                   0);
}

CommandTarget* UnknownComponentDialog::TargetChanged(CommandTarget* target, int32_t code)
{
    CommandTarget* answer = Dialog::TargetChanged(target, code);
    if (target == row && (code == kTextChanged || code == kTextReformatted))
        Update();
    return answer;
}

void UnknownComponentDialog::Draw()
{
    Dialog::Draw();
    DrawingPort* port = CurrentPort();
    if (port == nullptr)
        return;
    Rect frame{match->Position().v, match->Position().h, ClampCoordinate(match->Position().v + match->Size().v),
               ClampCoordinate(match->Position().h + match->Size().h)};
    OutsetRect(frame, 2);
    const RgbColor fore = port->ForeColor();
    port->SetForeColor(TableColor(6));
    port->FrameRect(frame);
    port->SetForeColor(fore);
}

bool UnknownComponentDialog::Confirm()
{
    Update();
    if (!okButton->IsEnabled())
        return false;
    chosen = int32_t(found);
    return true;
}

void UnknownComponentDialog::Cancel()
{
    chosen = -1;
}

int32_t UnknownComponentDialog::Run(const char* code, int32_t length)
{
    Prepare(code, length);
    RunModal();
    if (chosen < 0)
        SetCancelledError();
    return chosen;
}

}  // namespace vek
