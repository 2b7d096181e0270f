// vek-tool expr subset: a subset expression's canonical text and what it admits in a dimension of a base.
#include "ExprCommand.h"

#include <cstdio>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "model/dimensions/Component.h"
#include "model/selections/ComponentExpression.h"

namespace vektool {

// Prints the canonical text (blanks around the operators), then the admitted components of the
// dimension one a line in the tree's pre-order: "\" for the root (lines without a component of the
// dimension), the code for every other component.
int ExprSubset(const ExprOptions& options)
{
    if (options.basePath == nullptr) {
        std::fprintf(stderr, "vek-tool expr: subset needs --base FILE\n");
        return 2;
    }
    OpenedBase base = LoadFile(CommandLinePath(options.basePath));
    if (!base)
        return ReportFailure("reading", options.basePath);
    int32_t d = options.dimension - 1;
    vek::ComponentExpression expression;
    {
        vek::MessageCatcher catcher;
        if (!expression.Compile(*base, d, options.text)) {
            int32_t code = catcher.Code() != 0 ? catcher.Code() : vek::GetPendingError().message.code;
            std::fprintf(stderr, "vek-tool: message %d: %s\n", int(code), catcher.Text());
            vek::ClearError();
            return 1;
        }
    }
    vek::String text;
    expression.FormatText(*base, d, text, " ");
    std::printf("%s\n", text.CStr());

    const vek::RecordPool& pool = base->ComponentPool();
    vek::BitSet admitted(pool.ElementCount());
    admitted.SetAll(0);
    expression.Run(*base, d, admitted);
    const vek::Component* root = base->Root(d);
    const vek::Component* c = root;
    do {
        if (admitted.GetBit(int32_t(c->number)))
            std::printf("%s\n", c->IsRoot() ? "\\" : c->code);
        c = c->NextInSubtree(pool, root);
    } while (c != root);
    return 0;
}

}  // namespace vektool
