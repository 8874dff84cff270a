// The compiled form: one Proto per routine (index 0 is the main block), each a vector of 32-bit
// words. A word holds the opcode in its low 8 bits and an unsigned operand A in the high 24
// bits; a few instructions take extra operand words. Jump targets are absolute word indices.
//
// Frames live on one value stack: slot i of the running routine is stack[base + i]. The main
// block's frame starts at 0, so program-level variables are absolute stack indices ("global").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scripting/pascal/pascal.h"
#include "scripting/pascal/value.h"

namespace qbx::scripting::pascal {

enum Op : std::uint8_t {
    PUSHK,  // A: constant
    PUSHI,  // A: small integer (24 bits, sign-extended)
    PUSHEMPTY,
    PUSHTRUE,
    PUSHFALSE,
    LOADL,   // A: local slot
    STOREL,  // A: local slot (converts to the declared type)
    LOADG,   // A: global slot
    STOREG,
    LOADR,  // A: local slot holding a reference
    STORER,
    REFL,     // pushes a reference to local A
    REFG,     // pushes a reference to global A
    PASSR,    // pushes the reference held in local A
    APPENDL,  // slot A := slot A + popped value, in place where the string is unshared
    APPENDG,
    POP,
    ADD,
    SUB,
    MUL,
    FDIV,
    IDIV,
    MOD,
    AND,
    OR,
    XOR,
    SHL,
    SHR,
    EQ,
    NE,
    LT,
    GT,
    LE,
    GE,
    NEG,
    NOT,
    INRANGE,    // value lo hi -> lo <= value <= hi
    INDEX,      // string index -> one-character string; array index -> element (its own low bound)
    INDEXZ,     // array index -> element, counting from 0 (an open-array parameter)
    FIELD,      // A: field; record -> the field's value
    LOADPATH,   // A: steps; word: zero-based mask. ref key... -> the cell's value
    STOREPATH,  // A: steps; word: zero-based mask. ref key... value -> (copy-on-write on the way)
    SETLEN,     // A: dimensions; words: steps, zero-based mask, element cell. ref key... n...
    LOADU,      // A: slot of an enclosing routine; word: levels up (bit 31: holds a reference)
    STOREU,
    REFU,
    CALLX,     // A: nested routine; word: levels up to the frame that encloses it
    LEN,       // string or array -> its length
    LOWOF,     // A: 1 for an open array. array or string -> its low bound
    HIGHOF,    // A: 1 for an open array
    SUCCN,     // ordinal n -> the ordinal n further (Char, Boolean, integers)
    SETNEW,    // -> an empty set
    SETADD,    // set ordinal -> set with it
    SETDEL,    // set ordinal -> set without it
    SETRANGE,  // set lo hi -> set with lo..hi
    IN,        // ordinal set -> Boolean
    MKARRAY,   // A: template constant; its items' new values -> a copy of it holding them
    MKLIST,    // A: count; values -> an open array of them
    FORIN,     // A: exit target; words: collection slot, cursor slot. pushes the next member
    SHORTEN,   // A: capacity of a string[N]; a longer string is cut to it
    CAST,      // A: a Cast; the value as that type (Integer(c), Char(65), Cardinal(-1))
    ISCLASS,   // class-name pattern-name -> Boolean (Exception matches every class)
    JMP,       // A: target
    JMPF,      // A: target; pops a Boolean
    JMPT,
    ANDJ,     // A: target; a False Boolean on top stays and jumps, else falls through
    ORJ,      // A: target; a True Boolean on top stays and jumps
    FORTEST,  // A: exit target; words: variable (bit 31: global), limit slot (bit 31: downto)
    FORSTEP,  // A: body target; same words
    CALL,     // A: routine
    CALLN,    // A: name; words: argument count, reference mask
    RET,
    TRYX,  // A: handler; word: first of the three exception slots
    TRYF,  // A: handler; word: marker slot, followed by the three exception slots
    POPH,
    RAISE,    // A: constant class name; pops the message
    RERAISE,  // A: first of the three exception slots
    ENDF,     // A: marker slot
    VARPREP,  // A: the operator that follows; converts its two Variant operands as Delphi does
    VARTO,    // A: a DeclaredType; a Variant's value converted for a variable of that type
    // Fused forms of hot sequences, written over the first word of the sequence by
    // fuseInstructions. The words after it stay as they were: when the values are not of the kind
    // the fused form expects, it does what its first instruction would and the others follow, so
    // jumps into the middle and error positions work as before. A fused form counts one step.
    LADDI,     // LOADL x; PUSHI k; ADD|SUB -> x + k
    LCMPIJ,    // LOADL x; PUSHI k; LT|GT|LE|GE|EQ|NE; JMPF t
    LCMPLJ,    // LOADL x; LOADL y; LT|GT|LE|GE|EQ|NE; JMPF t
    LINDEXL,   // LOADL arr; LOADL i; INDEX -> the element
    LINDEXI,   // LOADL arr; LOADL i; PUSHI k; ADD; INDEX -> the element at i + k
    LAPPENDL,  // LOADL x; APPENDL y -> y := y + x
    LSTOREL,   // LOADL x; STOREL y -> y := x
    CMPJ,      // LT|GT|LE|GE|EQ|NE; JMPF t (A: the comparison)
};

struct SourcePos {
    std::uint32_t line;
    std::uint32_t column;
};

struct Proto {
    std::string name;
    std::vector<std::uint32_t> code;
    std::vector<SourcePos> positions;  // one per code word
    std::vector<Value> constants;
    std::vector<DeclaredType> slotTypes;  // parameters, then (functions) Result, then locals
    std::vector<bool> byRef;              // per parameter
    std::vector<std::pair<std::uint32_t, std::uint32_t>> compositeSlots;  // slot, cell
    std::uint32_t paramCount = 0;
    bool isFunction = false;
    std::uint32_t maxOperands = 0;  // operand stack depth above the slots
};

// How a cell of an array or a record starts: its declared type and first value (a shared
// template for a static array or a record, copied on its first write).
struct CellInit {
    DeclaredType declared = DeclaredType::Variant;
    Value init;
    std::uint16_t depth = 0;  // arrays nested in the value, for the box depth rule
};

struct Program {
    std::vector<Proto> protos;
    std::vector<CellInit> cells;
    // Exception classes the script declares, and the library's: upper-cased name -> parent.
    std::vector<std::pair<std::string, std::string>> classParents;
    std::vector<std::string> names;         // late-bound names, upper-cased
    std::vector<std::string> displayNames;  // as written, for messages
};

constexpr std::uint32_t kGlobalBit = 0x80000000u;

// Writes the fused forms over the hot sequences of a compiled routine; runs once the routine's
// jumps are all patched. The code keeps its length and every word's position.
void fuseInstructions(Proto& proto);

// The parent of an exception class of the library ("EDIVBYZERO" -> "EINTERROR"), empty for one
// it does not know; the classes a script declares are in Program::classParents.
std::string_view libraryClassParent(std::string_view upperName);

enum class Cast : std::uint8_t {
    Int64,
    Integer,
    Cardinal,
    Byte,
    Word,
    ShortInt,
    SmallInt,
    Char,
    Boolean,
    Double,
    String,
    UInt64,
    Date  // a TDateTime stored into a Variant
};

}  // namespace qbx::scripting::pascal
