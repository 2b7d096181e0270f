// ComponentSelectorRow: the selector row of one dimension's component selection.
#pragma once

#include <cstdint>

#include "docwindows/controls/SelectorRow.h"

namespace vek {

class Base;
class ComponentSelection;

// Typed text is a subset expression over the components of one dimension of a base. The token menu
// is the cascading component popup, opened at the component the token names; the insert menu the
// component operators. With a selection bound, a committed text is compiled into it.
class ComponentSelectorRow : public SelectorRow {
public:
    ComponentSelectorRow(Pane& enclosure, const OriginSize& frame, int32_t id, Base& base, int32_t dimension);
    ~ComponentSelectorRow() override;

    CommandTarget* Query(void* request) override;
    CommandTarget* FormatControlText(String& text, Control& control) override;
    int32_t OpenSelectorMenu(InputEvent& event, int32_t start, int32_t end) override;
    // The component code around the selection: quoted codes whole, quotes included; trailing blanks
    // left out.
    void GetTokenRange(int32_t& start, int32_t& length) override;

    // Binds a selection (null: none) and shows its text for the dimension.
    void SetSelection(ComponentSelection* selection);
    using TextField::SetSelection;
    // The component the token around the selection names (a quoted token also without its quotes);
    // the dimension's root when it names none.
    uint32_t TokenComponent();

    Base& GetBase() const { return base; }
    int32_t Dimension() const { return dimension; }
    ComponentSelection* BoundSelection() const { return selection; }

private:
    void ShowSelection();

    Base& base;
    int32_t dimension;
    ComponentSelection* selection = nullptr;
};

}  // namespace vek
