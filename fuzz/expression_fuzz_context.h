// What the expression fuzz targets share: a log over a platform without services, the
// built-in interface texts and a few variables, some of which refer to themselves.
#pragma once

#include "core/log.h"
#include "core/strings.h"
#include "core/variables.h"
#include "macros/expressions.h"

namespace qbx::fuzz {

inline const macros::ExpressionContext& expressionContext() {
    struct Holder {
        Log log{Platform{}};
        StringTable strings;
        VarTable vars;
        macros::ExpressionContext ctx{vars, strings, log};
        Holder() {
            strings.reset();
            vars.storeStr("a", "1");
            vars.storeInt("n", -5);
            vars.storeStr("s", "x \"y\" + (z)");
            vars.storeStr("q", "\"");
            vars.storeStr("self", "$$self");
            vars.storeStr("grow", "ab$$grow$$grow");
            vars.storeStr("ping", "$$pong+");
            vars.storeStr("pong", "($$ping)");
        }
    };
    static Holder holder;
    return holder.ctx;
}

}  // namespace qbx::fuzz
