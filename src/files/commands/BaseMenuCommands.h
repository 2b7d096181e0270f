// The menu commands that concern one base, dispatched by the menu item's code and command number.
#pragma once

#include <cstdint>

namespace vek {

class Base;

// A menu command that concerns the base: 1 when it is a base command and was handled, 0 when the
// caller is to offer it elsewhere. Item codes 25..56 open the dimension editor of dimension 0..31;
// 205 saves; 206 saves under a name the user chooses; 2534 makes a new global subset; 2547-2551 open
// a new analysis of kinds 1-5 from the base's defaults template; 2542 the info window; 2505, 2508, 2511, 2526, 2537, 2540, 2545 open editor windows (0
// when none can be shown); 2506, 2512, 2535, 2538, 2541 delete the object of the front window
// (handled even when there is none). Everything goes through the model's window and file services.
int32_t DoBaseMenuCommand(Base& base, int32_t itemCode, int32_t command);

}  // namespace vek
