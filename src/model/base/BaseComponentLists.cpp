// Component lists written as rows of text (exports and the clipboard).
#include "model/base/Base.h"

#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextWriter.h"
#include "model/dimensions/Dimension.h"
#include "model/expressions/TextMatcher.h"

namespace vek {

namespace {

void WriteComponentRow(TextWriter& writer, const Component& component)
{
    writer.PutHeapText(component.code);
    writer.PutSeparator();
    writer.PutHeapText(component.text);
    writer.PutSeparator();
    writer.PutHeapText(component.host);
    writer.EndRow();
}

}  // namespace

void Base::WriteComponents(TextWriter& writer, int32_t d) const
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return;
    Component* root = Root(d);
    for (Component* c = root->NextInSubtree(componentPool, root); c != root && !IsErrorPending();
         c = c->NextInSubtree(componentPool, root))
        WriteComponentRow(writer, *c);
}

void Base::WriteComponentsFiltered(TextWriter& writer, int32_t d, const char* topCode, int32_t maxDepth) const
{
    WriteComponentsFiltered(writer, d, topCode, nullptr, maxDepth);
}

void Base::WriteComponentsFiltered(TextWriter& writer, int32_t d, const char* topCode, const char* pattern,
                                   int32_t maxDepth) const
{
    TextMatcher matcher;
    bool filtered = pattern != nullptr && *pattern != 0 && matcher.CompileNamePattern(pattern);
    auto passes = [&](const Component& c) {
        return !filtered || matcher.MatchesHeapText(c.code) || matcher.MatchesHeapText(c.text) ||
               matcher.MatchesHeapText(c.host);
    };
    if (d < 0 || d >= int32_t(kDimensionCount) || !DimensionHasComponents(d))
        return;
    Component* top = Root(d);
    if (topCode != nullptr && *topCode != '\0') {
        top = GetDimension(d).FindByCode(topCode);
        if (top == nullptr)
            return;
    }
    // Depth counts from 0 for the top component (or for the top level when the whole dimension is
    // written).
    int32_t depth = top->IsRoot() ? -1 : 0;
    Component* c = top;
    if (top->IsRoot())
        c = top->NextInSubtreeWithDepth(componentPool, top, depth);
    while (!IsErrorPending()) {
        if ((maxDepth < 0 || depth <= maxDepth) && passes(*c))
            WriteComponentRow(writer, *c);
        if (maxDepth >= 0 && depth >= maxDepth)
            c = c->NextAfterSubtree(componentPool, top, depth);
        else
            c = c->NextInSubtreeWithDepth(componentPool, top, depth);
        if (c == top)
            break;
    }
}

}  // namespace vek
