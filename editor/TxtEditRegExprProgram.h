// The node program shared by the expression compiler and the matcher: opcodes and the layout of
// a node (1-byte opcode, 32-bit offset to the next node relative to this one, then the operand).
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace regexpr {

enum : uint8_t {
  opEnd = 0,
  opBol = 1,
  opEol = 2,
  opAny = 3,
  opAnyOf = 4,
  opAnyBut = 5,
  opBranch = 6,
  opBack = 7,
  opExactly = 8,
  opNothing = 9,
  opStar = 10,
  opPlus = 11,
  opAnyDigit = 12,
  opNotDigit = 13,
  opBraces = 18,
  opComment = 19,
  opExactlyCI = 20,
  opAnyOfCI = 21,
  opAnyButCI = 22,
  opLoopEntry = 23,
  opLoop = 24,
  opAnyOfTinySet = 25,
  opAnyButTinySet = 26,
  opAnyOfFullSet = 27,
  opBackRef = 28,
  opBackRefCI = 29,
  opStarNG = 30,
  opPlusNG = 31,
  opBracesNG = 32,
  opLoopNG = 33,
  opBolML = 34,
  opEolML = 35,
  opAnyML = 36,
  opBound = 37,
  opNotBound = 38,
  opOpen = 39,
  opClose = 54,
};

constexpr uint8_t ProgramMarker = 216;
constexpr int NodeHeader = 5;
// An open upper count.
constexpr int32_t InfiniteCount = 2147483646;

inline int32_t ReadInt(const uint8_t* P) {
  int32_t v;
  std::memcpy(&v, P, 4);
  return v;
}
inline void WriteInt(uint8_t* P, int32_t V) { std::memcpy(P, &V, 4); }

// The next node of Node, or -1.
inline int NextNode(const std::vector<uint8_t>& Prog, int Node) {
  const int32_t off = ReadInt(&Prog[Node + 1]);
  return off == 0 ? -1 : Node + off;
}
inline int Operand(int Node) { return Node + NodeHeader; }

// The operand of a literal node: its length, then the characters.
inline int LiteralLength(const std::vector<uint8_t>& Prog, int Node) { return ReadInt(&Prog[Operand(Node)]); }
inline const uint8_t* LiteralText(const std::vector<uint8_t>& Prog, int Node) { return &Prog[Operand(Node) + 4]; }

inline bool SetHas(const uint8_t* Set, uint8_t C) { return (Set[C >> 3] >> (C & 7)) & 1; }

}  // namespace regexpr
