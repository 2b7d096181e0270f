// EditHistory: recording, undo and redo over the snapshot list.
#include "gui/editing/EditHistory.h"

#include "gui/editing/SecretText.h"

namespace vek {

void EditHistory::Clear()
{
    snapshots.clear();
    position = 0;
}

void EditHistory::Wipe()
{
    for (std::string& snapshot : snapshots)
        WipeBytes(snapshot.data(), snapshot.capacity());
    Clear();
}

void EditHistory::Record(std::string_view text)
{
    if (!snapshots.empty() && snapshots[position] == text)
        return;
    if (!snapshots.empty())
        snapshots.resize(position + 1);
    snapshots.emplace_back(text);
    if (snapshots.size() > kMaxSnapshots)
        snapshots.erase(snapshots.begin());
    position = snapshots.size() - 1;
}

bool EditHistory::Undo(std::string_view current, std::string& out)
{
    Record(current);
    if (position == 0)
        return false;
    --position;
    out = snapshots[position];
    return true;
}

bool EditHistory::Redo(std::string& out)
{
    if (!CanRedo())
        return false;
    ++position;
    out = snapshots[position];
    return true;
}

bool EditHistory::CanUndo(std::string_view current) const
{
    if (snapshots.empty())
        return false;
    return position > 0 || snapshots[0] != current;
}

}  // namespace vek
