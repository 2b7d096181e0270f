// GuiForward: forward declarations of the GUI library's classes and of the records its views pass.
#pragma once

namespace vek {

class Application;
class CommandTarget;
class Control;
class FilePath;
class LinkRegistry;
class MenuItem;
class Pane;
class String;
class TransferData;
class Window;
struct DragReference;
struct InputEvent;
struct MenuRequest;
struct OutlineRequest;
struct PopupItemRecord;
struct RowRequest;
struct ScrollNotice;
struct TabNotice;
struct TargetThread;

}  // namespace vek
