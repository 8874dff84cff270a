// Fused instructions: one dispatch and one step for the sequences that loops and recursive
// routines spend their time in. Only the first word of a sequence changes; see code.h.
#include "scripting/pascal/code.h"
#include "scripting/pascal/compiler.h"

namespace qbx::scripting::pascal {

namespace {

Op opAt(const std::vector<std::uint32_t>& code, std::size_t i) {
    return i < code.size() ? static_cast<Op>(code[i] & 0xFF) : RET;
}

bool isComparison(Op op) {
    return op == LT || op == GT || op == LE || op == GE || op == EQ || op == NE;
}

}  // namespace

void fuseInstructions(Proto& proto) {
    auto& code = proto.code;
    for (std::size_t i = 0; i < code.size(); i += detail::instructionLength(code[i])) {
        const Op op = opAt(code, i);
        const std::uint32_t a = code[i] & ~0xFFu;
        if (op == JMP && opAt(code, code[i] >> 8) == RET) {
            // A jump to the end of a routine returns at once.
            code[i] = RET;
            continue;
        }
        if (isComparison(op) && opAt(code, i + 1) == JMPF) {
            // A comparison has no operand of its own: A names it.
            code[i] = CMPJ | (static_cast<std::uint32_t>(op) << 8);
            continue;
        }
        if (op != LOADL) continue;
        const Op second = opAt(code, i + 1);
        const Op third = opAt(code, i + 2);
        if (second == APPENDL) {
            code[i] = LAPPENDL | a;
        } else if (second == STOREL) {
            code[i] = LSTOREL | a;
        } else if (second == PUSHI && (third == ADD || third == SUB)) {
            code[i] = LADDI | a;
        } else if (second == PUSHI && isComparison(third) && opAt(code, i + 3) == JMPF) {
            code[i] = LCMPIJ | a;
        } else if (second == LOADL && isComparison(third) && opAt(code, i + 3) == JMPF) {
            code[i] = LCMPLJ | a;
        } else if (second == LOADL && third == INDEX) {
            code[i] = LINDEXL | a;
        } else if (second == LOADL && third == PUSHI && opAt(code, i + 3) == ADD &&
                   opAt(code, i + 4) == INDEX) {
            code[i] = LINDEXI | a;
        }
    }
}

}  // namespace qbx::scripting::pascal
