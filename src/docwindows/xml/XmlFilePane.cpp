// XmlFilePane: the file name of one of the XML interface window's files, and drops onto it.
#include "docwindows/xml/XmlFilePane.h"

#include "docwindows/xml/XmlInterfaceWindow.h"
#include "foundation/strings/String.h"
#include "gui/DrawingRoutines.h"
#include "gui/TransferData.h"
#include "platform/FilePath.h"

namespace vek {

XmlFilePane::XmlFilePane(Pane& enclosure, const OriginSize& frame, int32_t id)
    : Control(kKindCustomView, enclosure, frame, id)
{
    FinishConstruction();
}

XmlFilePane::~XmlFilePane() { PrepareDestruction(); }

const FilePath* DroppedFile(const TransferData& package)
{
    TransferItem* item = package.FindItem(kTransferFile);
    return item != nullptr ? item->file.get() : nullptr;
}

int32_t XmlFilePane::AcceptDrop(TransferData& package)
{
    const FilePath* file = DroppedFile(package);
    auto* window = static_cast<XmlInterfaceWindow*>(GetWindow());
    if (file == nullptr || window == nullptr)
        return 0;
    window->SetFile(ControlId(), *file);
    return 1;
}

void XmlFilePane::Draw()
{
    auto* window = static_cast<XmlInterfaceWindow*>(GetWindow());
    if (window == nullptr)
        return;
    const FilePath& file = ControlId() == XmlInterfaceWindow::kInputPane ? window->InputFile() : window->OutputFile();
    String name;
    file.GetDisplayFileName(name);
    Rect box = Bounds();
    box.top = static_cast<int16_t>(box.top + 4);
    box.left = static_cast<int16_t>(box.left + 6);
    DrawTextInBox(box, name.CStr());
}

}  // namespace vek
