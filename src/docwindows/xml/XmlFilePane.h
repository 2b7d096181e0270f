// XmlFilePane: the pane of the XML interface window that shows one file's name and takes a dropped file.
#pragma once

#include <cstdint>

#include "gui/Control.h"

namespace vek {

class FilePath;

// Shows the name of its window's input or output file (the window's SetFile sets it) and passes a
// dropped file to the window for its id.
class XmlFilePane final : public Control {
public:
    XmlFilePane(Pane& enclosure, const OriginSize& frame, int32_t id);
    ~XmlFilePane() override;

    int32_t AcceptDrop(TransferData& package) override;
    void Draw() override;
};

// The file of a drop: the newest file item, or null.
const FilePath* DroppedFile(const TransferData& package);

}  // namespace vek
