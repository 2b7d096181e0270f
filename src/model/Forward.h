// Forward declarations of the model's classes, for headers that only name them.
#pragma once

#include <cstdint>

namespace vek {

// base/
class Base;
class BaseCheckpoint;
class BaseFileData;
class BaseProtection;
class BaseSaveSettings;
class BaseWindowLink;
class ChangeReceiver;
class DimensionImportSetupBase;
class ModelServices;
struct BaseOptions;
struct ChangeRecord;
enum class ChangeStage : int32_t;

// cards/
struct Card;
struct CardGroup;
struct CardLine;
class CardFilter;
class CardSourceTable;
struct DateBucket;

// dimensions/
struct Component;
class Dimension;

// selections/
class Selection;
class Subset;
class SubsetList;
class SubsetOperandList;

// dates/
class DateExpression;
class TimeScale;
class TimeScaleList;

// named/
class Macro;
class MacroList;
class ObjectMenu;
struct WebUser;
class WebUserList;

// links/
class BaseLinkRegistry;
class LinkRename;

// templates/
class Template;
class TemplateTree;

}  // namespace vek
