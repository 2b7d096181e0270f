// UserCode: setting, asking for and stamping with the user's code.
#include "app/UserCode.h"

#include <cstring>

#include "docwindows/DocumentWindow.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "model/base/ChangeRecord.h"
#include "model/base/ModelServices.h"

namespace vek {

namespace {

std::string userCode;
bool userCodeGiven = false;

// Change code of a new user code (to every base and window).
constexpr int32_t kChangeUserCode = 1;

}  // namespace

bool SetUserInitials(std::string_view text)
{
    size_t first = text.find_first_not_of(' ');
    size_t last = text.find_last_not_of(' ');
    std::string code = first == std::string_view::npos ? std::string() : std::string(text.substr(first, last - first + 1));
    if (!AskTruncateText(code, kUserCodeMaxLength, nullptr))
        return false;
    bool changed = code != userCode;
    userCode = code;
    userCodeGiven = true;
    if (changed)
        BroadcastChange(ChangeRecord(kChangeUserCode, nullptr));
    return true;
}

bool HasUserCode() { return userCodeGiven; }

const std::string& CurrentUserCode() { return userCode; }

void ClearUserCode()
{
    userCode.clear();
    userCodeGiven = false;
}

void AskUserInitials(Window*)
{
    // The dialog needs a text field, which the GUI library does not have yet; until then, and in every
    // run without a display, the code is given on the command line or by the command "signature".
}

bool GetUserStamp(StampedText& stamp, Window* parent)
{
    if (!userCodeGiven)
        AskUserInitials(parent);
    if (!userCodeGiven)
        return false;
    stamp.Clear();
    stamp.timestamp = PackedTimestampNow();
    std::memcpy(stamp.code, userCode.data(), std::min<size_t>(userCode.size(), sizeof stamp.code - 1));
    return true;
}

}  // namespace vek
