// EditHistory: the undo snapshots of a text field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

// Up to 12 whole-text snapshots and the position of the current one. Recording a text that differs
// from the snapshot at the position drops the snapshots after it (they can no longer be redone),
// appends the text and makes it current; a thirteenth snapshot drops the oldest.
class EditHistory {
public:
    static constexpr size_t kMaxSnapshots = 12;

    void Clear();
    // Zeroes every snapshot's bytes, then clears (the field became a password field).
    void Wipe();
    void Record(std::string_view text);
    // Records the current text, then steps back; false (and the text unchanged) at the oldest snapshot.
    [[nodiscard]] bool Undo(std::string_view current, std::string& out);
    // Steps forward; false when no later snapshot exists.
    [[nodiscard]] bool Redo(std::string& out);
    // Undo is possible above the oldest snapshot, or at it when the text has changed since.
    bool CanUndo(std::string_view current) const;
    bool CanRedo() const { return position + 1 < snapshots.size(); }

    const std::vector<std::string>& Snapshots() const { return snapshots; }
    size_t Position() const { return position; }

private:
    std::vector<std::string> snapshots;
    size_t position = 0;
};

}  // namespace vek
