// PatternBlock: the records of a compiled text condition, shared by its compiler and its matcher.
#pragma once

#include <cstdint>

namespace vek {

// Op codes of a text condition.
//
//   | code | written            | argument                 | when run                               |
//   |------|--------------------|--------------------------|----------------------------------------|
//   | 0    |                    |                          | end: the result is the top             |
//   | 1    | a word             | its offset in the pool   | push: the word occurs in the text      |
//   | 2    | "\" and a pattern  | its first state          | push: the pattern matches the text     |
//   | 3    | "\" alone          |                          | push: the text is empty                |
//   | 4    | "¬"                |                          | negate the top                         |
//   | 5    | "±"                |                          | pop two, push their exclusive or       |
//   | 6    | "|"                | skip count               | top true: jump; else pop, go on        |
//   | 7    | "&"                | skip count               | top false: jump; else pop, go on       |
enum : int32_t {
    kPatternOpEnd = 0,
    kPatternOpWord = 1,
    kPatternOpPattern = 2,
    kPatternOpEmpty = 3,
    kPatternOpNot = 4,
    kPatternOpXor = 5,
    kPatternOpOr = 6,
    kPatternOpAnd = 7,
};

struct PatternOp {
    int32_t code;
    int16_t argument;
};

// State kinds of a pattern automaton. Reading states read one character and go on at `next`; a split
// goes on at both successors without reading, and the split whose `next` is -1 accepts.
enum : int32_t {
    kStateSplit = 0,
    kStateAny = 1,
    kStateChar = 2,        // `lower`, compared after case folding
    kStateCharExact = 3,
    kStateRange = 4,       // `lower` to `upper` inclusive, after case folding
    kStateRangeExact = 5,
};

struct PatternState {
    int32_t kind;
    uint16_t upper;
    uint16_t lower;
    int16_t next;
    int16_t other;  // the second successor of a split
};

// The block's header: byte offsets from the block start.
struct PatternBlockHeader {
    int32_t wordsOffset;
    int32_t statesOffset;
};

}  // namespace vek
