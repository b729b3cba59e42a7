// The expression compiler: parses an expression into the node program and records what lets a
// search skip positions that cannot start a match.
#include "framework/Win.h"

#include <algorithm>

#include "editor/TxtEditRegExpr.h"
#include "editor/TxtEditRegExprProgram.h"

using namespace regexpr;

namespace {

// What the parser knows about a parsed piece.
enum : int {
  fHasWidth = 1,  // never matches the empty string
  fSimple = 2,    // matches exactly one character
  fSpStart = 4,   // starts with * or +
};

// Numbers saturate here, well above every limit that is checked afterwards.
constexpr int64_t Saturated = int64_t(1) << 40;

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

bool IsMeta(char C) {
  switch (C) {
    case '^':
    case '$':
    case '.':
    case '[':
    case '(':
    case ')':
    case '|':
    case '?':
    case '+':
    case '*':
    case '\\':
    case '{': return true;
    default: return false;
  }
}

}  // namespace

struct TRegExprCompiler {
  TRegExpr& R;
  std::vector<uint8_t>& Prog;
  const std::string& S;
  int Pos = 0;
  uint32_t Mods;
  int NPar = 1;
  // Per group: 0 not closed yet, 1 closed and able to match nothing, 2 closed with width.
  std::array<uint8_t, TRegExpr::NSUBEXP> groupWidth{};

  TRegExprCompiler(TRegExpr& AR, std::vector<uint8_t>& AProg)
      : R(AR), Prog(AProg), S(AR.expression_), Mods(AR.modifiers_) {}

  [[noreturn]] void Fail(int Code) {
    R.compilerPos_ = Pos;
    R.Raise(Code);
  }
  bool AtEnd() const { return Pos >= static_cast<int>(S.size()); }
  char Peek(int Ahead = 0) const { return Pos + Ahead < static_cast<int>(S.size()) ? S[Pos + Ahead] : '\0'; }

  // ---- emitting ----
  int Node(uint8_t Op) {
    const int at = static_cast<int>(Prog.size());
    Prog.push_back(Op);
    Prog.insert(Prog.end(), 4, 0);
    return at;
  }
  void Int(int32_t V) {
    const size_t at = Prog.size();
    Prog.resize(at + 4);
    WriteInt(&Prog[at], V);
  }
  // Inserts a node with ExtraBytes of zeroed operand before At; offsets inside the moved part
  // are relative and stay valid.
  void Insert(uint8_t Op, int At, int ExtraBytes) {
    std::vector<uint8_t> head(NodeHeader + ExtraBytes, 0);
    head[0] = Op;
    Prog.insert(Prog.begin() + At, head.begin(), head.end());
  }
  void SetNext(int NodeAt, int Target) { WriteInt(&Prog[NodeAt + 1], Target - NodeAt); }
  // Links the last node of the chain starting at P to Val.
  void Tail(int P, int Val) {
    int scan = P;
    for (int n; (n = NextNode(Prog, scan)) >= 0;) scan = n;
    SetNext(scan, Val);
  }
  void OpTail(int P, int Val) {
    if (P >= 0 && Prog[P] == opBranch) Tail(Operand(P), Val);
  }
  void Literal(const std::string& Text) {
    Node((Mods & rmIgnoreCase) ? opExactlyCI : opExactly);
    Int(static_cast<int32_t>(Text.size()));
    Prog.insert(Prog.end(), Text.begin(), Text.end());
    Prog.push_back(0);
  }
  void SetNode(const std::array<bool, 256>& Set) {
    Node(opAnyOfFullSet);
    uint8_t bits[32] = {};
    for (int c = 0; c < 256; ++c)
      if (Set[c]) bits[c >> 3] |= uint8_t(1u << (c & 7));
    Prog.insert(Prog.end(), bits, bits + 32);
  }

  // ---- lexical helpers ----
  // In extended mode the first index from I on past blanks and # comments; else I. Only an
  // escape and the text of a (?#...) comment keep their blanks.
  int SkipFrom(int I) const {
    if (!(Mods & rmExtended)) return I;
    const int n = static_cast<int>(S.size());
    while (I < n) {
      const char c = S[I];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++I;
      } else if (c == '#') {
        while (I < n && S[I] != '\r' && S[I] != '\n') ++I;
      } else {
        break;
      }
    }
    return I;
  }
  void SkipExtended() { Pos = SkipFrom(Pos); }
  bool IsDigitAt(int I) const { return I < static_cast<int>(S.size()) && isdigit(static_cast<unsigned char>(S[I])); }
  // Whether a valid count {n}, {n,} or {n,m} starts at the current position.
  bool CountAhead() const {
    const int n = static_cast<int>(S.size());
    if (Pos >= n || S[Pos] != '{') return false;
    int i = SkipFrom(Pos + 1);
    if (!IsDigitAt(i)) return false;
    while (IsDigitAt(i)) i = SkipFrom(i + 1);
    if (i < n && S[i] == ',') {
      i = SkipFrom(i + 1);
      while (IsDigitAt(i)) i = SkipFrom(i + 1);
    }
    return i < n && S[i] == '}';
  }
  int32_t CountNumber() {
    int digits = 0;
    int64_t v = 0;
    while (isdigit(static_cast<unsigned char>(Peek()))) {
      v = std::min(v * 10 + (Peek() - '0'), Saturated);
      ++digits;
      ++Pos;
      SkipExtended();
    }
    if (digits > 8 || v >= 2147483647) Fail(122);
    return static_cast<int32_t>(v);
  }
  // The character of an escape that stands for one character; Pos is on the escaped letter.
  uint8_t CharEscape() {
    const char c = S[Pos++];
    switch (c) {
      case 't': return 9;
      case 'n': return 10;
      case 'r': return 13;
      case 'f': return 12;
      case 'a': return 7;
      case 'e': return 27;
      case 'x': return HexEscape();
      default: return static_cast<uint8_t>(c);
    }
  }
  uint8_t HexEscape() {
    if (AtEnd()) Fail(111);
    int64_t v = 0;
    if (Peek() == '{') {
      ++Pos;
      int digits = 0;
      while (!AtEnd() && Peek() != '}') {
        const int h = HexValue(Peek());
        if (h < 0) Fail(108);
        v = std::min(v * 16 + h, Saturated);
        ++digits;
        ++Pos;
      }
      if (AtEnd()) Fail(108);
      if (digits == 0) Fail(111);
      ++Pos;
    } else {
      for (int i = 0; i < 2; ++i) {
        const int h = HexValue(Peek());
        if (AtEnd() || h < 0) Fail(108);
        v = v * 16 + h;
        ++Pos;
      }
    }
    if (v > 255) Fail(112);
    return static_cast<uint8_t>(v);
  }
  void AddChars(std::array<bool, 256>& Set, const std::string& Chars) {
    for (char c : Chars) Set[static_cast<uint8_t>(c)] = true;
  }

  // ---- the grammar ----
  // An expression: branches separated by |, in parentheses when Paren.
  int Reg(bool Paren, int& Flags) {
    Flags = fHasWidth;
    int parNo = 0;
    int ret = -1;
    if (Paren) {
      if (NPar >= TRegExpr::NSUBEXP) Fail(102);
      parNo = NPar++;
      ret = Node(static_cast<uint8_t>(opOpen + parNo));
    }
    const uint32_t savedMods = Mods;
    int branchCount = 0;
    for (;;) {
      int brFlags;
      const int br = Branch(brFlags);
      ++branchCount;
      if (ret >= 0)
        Tail(ret, br);
      else
        ret = br;
      if (!(brFlags & fHasWidth)) Flags &= ~fHasWidth;
      Flags |= brFlags & fSpStart;
      if (Peek() != '|' || AtEnd()) break;
      ++Pos;
    }
    const int ender = Node(static_cast<uint8_t>(Paren ? opClose + parNo : opEnd));
    Tail(ret, ender);
    for (int br = ret; br >= 0; br = NextNode(Prog, br)) OpTail(br, ender);
    Mods = savedMods;
    if (Paren) {
      groupWidth[parNo] = (Flags & fHasWidth) ? 2 : 1;
      if (AtEnd() || Peek() != ')') Fail(103);
      ++Pos;
    } else {
      topBranches = branchCount;
      if (!AtEnd()) Fail(Peek() == ')' ? 104 : 105);
    }
    return ret;
  }

  int Branch(int& Flags) {
    Flags = 0;
    const int ret = Node(opBranch);
    int chain = -1;
    for (;;) {
      SkipExtended();
      if (AtEnd() || Peek() == '|' || Peek() == ')') break;
      int pieceFlags;
      const int latest = Piece(pieceFlags);
      if (latest < 0) continue;
      Flags |= pieceFlags & fHasWidth;
      if (chain < 0)
        Flags |= pieceFlags & fSpStart;
      else
        Tail(chain, latest);
      chain = latest;
    }
    if (chain < 0) Node(opNothing);
    return ret;
  }

  // An atom and its quantifier; -1 when the atom emitted nothing (inline modifiers).
  int Piece(int& Flags) {
    int atomFlags;
    const int ret = Atom(atomFlags);
    SkipExtended();
    const char op = Peek();
    const bool counted = op == '{' && CountAhead();
    if (AtEnd() || !(op == '*' || op == '+' || op == '?' || counted)) {
      Flags = atomFlags;
      return ret;
    }
    if (ret < 0) {
      // Nothing before it: a brace is an ordinary character then, which the next atom takes.
      if (counted) {
        Flags = atomFlags;
        return ret;
      }
      Fail(115);
    }
    if (!(atomFlags & fHasWidth) && op != '?') Fail(106);
    int32_t minCount = 0, maxCount = InfiniteCount;
    if (counted) {
      ++Pos;
      SkipExtended();
      minCount = CountNumber();
      maxCount = minCount;
      if (Peek() == ',') {
        ++Pos;
        SkipExtended();
        maxCount = isdigit(static_cast<unsigned char>(Peek())) ? CountNumber() : InfiniteCount;
      }
      ++Pos;  // the closing brace
      if (minCount > maxCount) Fail(124);
    } else {
      ++Pos;
      if (op == '+') minCount = 1;
      if (op == '?') maxCount = 1;
    }
    bool nonGreedy = !(Mods & rmGreedy);
    SkipExtended();
    if (Peek() == '?' && !AtEnd()) {
      ++Pos;
      nonGreedy = true;
    }
    Flags = (minCount > 0) ? fHasWidth : 0;
    if (op == '*' || op == '+') Flags |= fSpStart;
    if (atomFlags & fSimple)
      Simple(ret, op, counted, nonGreedy, minCount, maxCount);
    else
      Complex(ret, op, counted, nonGreedy, minCount, maxCount);
    SkipExtended();
    const char after = Peek();
    if (!AtEnd() && (after == '*' || after == '+' || after == '?' || after == '{')) Fail(107);
    return ret;
  }

  void Simple(int Ret, char Op, bool Counted, bool NonGreedy, int32_t Min, int32_t Max) {
    if (!Counted && Op == '*') {
      Insert(NonGreedy ? opStarNG : opStar, Ret, 0);
    } else if (!Counted && Op == '+') {
      Insert(NonGreedy ? opPlusNG : opPlus, Ret, 0);
    } else {
      Insert(NonGreedy ? opBracesNG : opBraces, Ret, 8);
      WriteInt(&Prog[Operand(Ret)], Min);
      WriteInt(&Prog[Operand(Ret) + 4], Max);
    }
  }

  void Complex(int Ret, char Op, bool Counted, bool NonGreedy, int32_t Min, int32_t Max) {
    if (!Counted && !NonGreedy && Op == '*') {
      Insert(opBranch, Ret, 0);
      OpTail(Ret, Node(opBack));
      OpTail(Ret, Ret);
      Tail(Ret, Node(opBranch));
      Tail(Ret, Node(opNothing));
    } else if (!Counted && !NonGreedy && Op == '+') {
      const int next = Node(opBranch);
      Tail(Ret, next);
      Tail(Node(opBack), Ret);
      Tail(next, Node(opBranch));
      Tail(Ret, Node(opNothing));
    } else if (!Counted && !NonGreedy && Op == '?') {
      Insert(opBranch, Ret, 0);
      Tail(Ret, Node(opBranch));
      const int next = Node(opNothing);
      Tail(Ret, next);
      OpTail(Ret, next);
    } else {
      Insert(opLoopEntry, Ret, 0);
      const int loop = Node(NonGreedy ? opLoopNG : opLoop);
      Int(Min);
      Int(Max);
      Int(Ret - loop);
      Tail(Operand(Ret), loop);
      SetNext(Ret, loop);
    }
  }

  int Atom(int& Flags) {
    Flags = 0;
    const int atomStart = Pos;
    const char c = S[Pos++];
    switch (c) {
      case '^': return Node(AnchorsMultiLine() ? opBolML : opBol);
      case '$': return Node(AnchorsMultiLine() ? opEolML : opEol);
      case '.': Flags = fHasWidth | fSimple; return Node((Mods & rmSingleLine) ? opAny : opAnyML);
      case '[': Flags = fHasWidth | fSimple; return Class();
      case '(':
        if (Peek() == '?' && !AtEnd()) return Special(Flags);
        {
          int groupFlags;
          const int ret = Reg(true, groupFlags);
          Flags = groupFlags & (fHasWidth | fSpStart);
          return ret;
        }
      case '|':
      case ')': Fail(114);
      case '?':
      case '+':
      case '*': Fail(115);
      case '\\':
        if (AtEnd()) Fail(110);
        return Escape(Flags);
      default:
        Pos = atomStart;
        Flags = fHasWidth;
        return LiteralRun(Flags);
    }
  }

  bool AnchorsMultiLine() const {
    return (Mods & rmMultiLine) && (!R.LineSeparators.empty() || !R.pairedSeparator_.empty());
  }

  // (?#comment) or (?modifiers); Pos is on the question mark.
  int Special(int& Flags) {
    ++Pos;
    if (Peek() == '#' && !AtEnd()) {
      const size_t close = S.find(')', Pos);
      if (close == std::string::npos) Fail(125);
      Pos = static_cast<int>(close) + 1;
      Flags = 0;
      return Node(opComment);
    }
    bool on = true;
    for (;;) {
      SkipExtended();
      if (AtEnd()) Fail(127);
      const char m = Peek();
      if (m == ')') break;
      uint32_t bit = 0;
      switch (m | 0x20) {
        case 'i': bit = rmIgnoreCase; break;
        case 'r': bit = rmRussianRanges; break;
        case 's': bit = rmSingleLine; break;
        case 'g': bit = rmGreedy; break;
        case 'm': bit = rmMultiLine; break;
        case 'x': bit = rmExtended; break;
        default: break;
      }
      if (m == '-')
        on = false;
      else if (bit == 0)
        Fail(127);
      else if (on)
        Mods |= bit;
      else
        Mods &= ~bit;
      ++Pos;
    }
    ++Pos;
    Flags = 0;
    return -1;
  }

  int Escape(int& Flags) {
    const char e = Peek();
    Flags = fHasWidth | fSimple;
    std::array<bool, 256> set{};
    switch (e) {
      case 'd': ++Pos; return Node(opAnyDigit);
      case 'D': ++Pos; return Node(opNotDigit);
      case 'w':
      case 'W':
        ++Pos;
        AddChars(set, R.WordChars);
        if (e == 'W')
          for (auto& b : set) b = !b;
        return SetOnly(set);
      case 's':
      case 'S':
        ++Pos;
        AddChars(set, R.SpaceChars);
        if (e == 'S')
          for (auto& b : set) b = !b;
        return SetOnly(set);
      case 'b':
        ++Pos;
        Flags = 0;
        return Node(opBound);
      case 'B':
        ++Pos;
        Flags = 0;
        return Node(opNotBound);
      case 'A':
        ++Pos;
        Flags = 0;
        return Node(opBol);
      case 'Z':
        ++Pos;
        Flags = 0;
        return Node(opEol);
      default: break;
    }
    if (e >= '1' && e <= '9') {
      ++Pos;
      // A reference matches what its group did: nothing, when a group closed before it can match
      // nothing. A group not closed yet is taken to have width; should a pass of a repetition
      // match nothing through it, the matcher ends the repetition there.
      Flags = groupWidth[e - '0'] == 1 ? 0 : fHasWidth;
      const int ret = Node((Mods & rmIgnoreCase) ? opBackRefCI : opBackRef);
      Prog.push_back(static_cast<uint8_t>(e - '0'));
      return ret;
    }
    const uint8_t ch = CharEscape();
    const int ret = static_cast<int>(Prog.size());
    Literal(std::string(1, static_cast<char>(ch)));
    return ret;
  }
  int SetOnly(const std::array<bool, 256>& Set) {
    const int ret = static_cast<int>(Prog.size());
    SetNode(Set);
    return ret;
  }

  // A run of ordinary characters; the last one is left for a quantifier that follows it.
  int LiteralRun(int& Flags) {
    std::string text;
    std::vector<int> starts;
    for (;;) {
      if (!text.empty()) SkipExtended();
      if (AtEnd()) break;
      const char c = Peek();
      if (!text.empty() && IsMeta(c)) break;
      starts.push_back(Pos);
      text += c;
      ++Pos;
    }
    const int save = Pos;
    SkipExtended();
    const char next = Peek();
    const bool quantified = !AtEnd() && (next == '*' || next == '+' || next == '?' || next == '{');
    Pos = save;
    if (text.size() > 1 && quantified) {
      Pos = starts.back();
      text.pop_back();
    }
    Flags = fHasWidth | (text.size() == 1 ? fSimple : 0);
    const int ret = static_cast<int>(Prog.size());
    Literal(text);
    return ret;
  }

  int Class() {
    std::array<bool, 256> set{};
    bool negate = false;
    SkipExtended();
    if (Peek() == '^' && !AtEnd()) {
      negate = true;
      ++Pos;
      SkipExtended();
    }
    if (Peek() == ']' && !AtEnd()) {
      set[']'] = true;
      ++Pos;
    }
    for (;;) {
      SkipExtended();
      if (AtEnd()) Fail(113);
      const char c = Peek();
      if (c == ']') {
        ++Pos;
        break;
      }
      int lo;
      if (c == '\\') {
        ++Pos;
        if (AtEnd()) Fail(113);
        const char e = Peek();
        if (e == 'd' || e == 'w' || e == 's') {
          ++Pos;
          if (e == 'd')
            AddChars(set, "0123456789");
          else
            AddChars(set, e == 'w' ? R.WordChars : R.SpaceChars);
          continue;
        }
        lo = CharEscape();
      } else {
        lo = static_cast<uint8_t>(c);
        ++Pos;
      }
      // A range, unless its dash stands last.
      const int dash = SkipFrom(Pos);
      const int upper = dash < static_cast<int>(S.size()) && S[dash] == '-' ? SkipFrom(dash + 1) : -1;
      if (upper >= 0 && upper < static_cast<int>(S.size()) && S[upper] != ']') {
        Pos = upper;
        int hi;
        if (Peek() == '\\') {
          ++Pos;
          if (AtEnd()) Fail(113);
          hi = CharEscape();
        } else {
          hi = static_cast<uint8_t>(Peek());
          ++Pos;
        }
        if (hi < lo) Fail(109);
        for (int x = lo; x <= hi; ++x) set[x] = true;
        if ((Mods & rmRussianRanges) && lo >= 0xC0) {
          // The yo letters sort between ye and zhe but lie outside the block of the other
          // letters: a range of letters that reaches over that place takes them in, and no other
          // (a range that starts below the letters is a range of bytes).
          if (lo <= 0xE5 && hi >= 0xE6) set[0xB8] = true;
          if (lo <= 0xC5 && hi >= 0xC6) set[0xA8] = true;
        }
      } else {
        set[lo] = true;
      }
    }
    if (Mods & rmIgnoreCase) {
      const std::array<bool, 256> plain = set;
      for (int x = 0; x < 256; ++x)
        if (plain[x]) set[R.invert_[x]] = true;
    }
    if (negate)
      for (auto& b : set) b = !b;
    return SetOnly(set);
  }

  int topBranches = 0;
};

// ---- what a search can skip ----

namespace {

// Rows of remembered matcher states beyond this are not worth a memory.
constexpr int64_t MaxMemoRows = int64_t(32) << 20;

// Adds to Set the characters that can start a match of the chain at Node; true when the chain
// can reach the program's end without consuming a character.
struct TFirstChars {
  const std::vector<uint8_t>& Prog;
  const std::array<uint8_t, 256>& Invert;
  std::array<bool, 256>& Set;
  std::vector<int8_t> memo;  // 0 unknown, 1 false, 2 true, 3 in progress

  // Very deep or cyclic walks give up and allow every character.
  bool Walk(int Node, int Depth) {
    if (Node < 0 || Depth > 200) return true;
    if (memo[Node] == 1) return false;
    if (memo[Node] >= 2) return true;
    memo[Node] = 3;
    const bool r = Step(Node, Depth);
    memo[Node] = r ? 2 : 1;
    return r;
  }
  void Add(int C) { Set[C] = true; }
  void AddOperand(int Node) {
    switch (Prog[Node]) {
      case opAny:
      case opAnyML:
        for (int c = 0; c < 256; ++c) Add(c);
        break;
      case opExactly: Add(LiteralText(Prog, Node)[0]); break;
      case opExactlyCI:
        Add(LiteralText(Prog, Node)[0]);
        Add(Invert[LiteralText(Prog, Node)[0]]);
        break;
      case opAnyDigit:
        for (int c = '0'; c <= '9'; ++c) Add(c);
        break;
      case opNotDigit:
        for (int c = 0; c < 256; ++c)
          if (c < '0' || c > '9') Add(c);
        break;
      case opAnyOfFullSet:
        for (int c = 0; c < 256; ++c)
          if (SetHas(&Prog[Operand(Node)], static_cast<uint8_t>(c))) Add(c);
        break;
      default:
        for (int c = 0; c < 256; ++c) Add(c);
        break;
    }
  }
  bool Step(int Scan, int Depth) {
    const uint8_t op = Prog[Scan];
    const int next = NextNode(Prog, Scan);
    switch (op) {
      case opEnd: return true;
      case opBranch:
        if (next < 0 || Prog[next] != opBranch) return Walk(Operand(Scan), Depth + 1);
        {
          bool empty = false;
          for (int br = Scan; br >= 0 && Prog[br] == opBranch; br = NextNode(Prog, br))
            empty = Walk(Operand(br), Depth + 1) || empty;
          return empty;
        }
      case opBack: return false;
      case opStar:
      case opStarNG: AddOperand(Operand(Scan)); return Walk(next, Depth + 1);
      case opPlus:
      case opPlusNG: AddOperand(Operand(Scan)); return false;
      case opBraces:
      case opBracesNG:
        AddOperand(Operand(Scan) + 8);
        return ReadInt(&Prog[Operand(Scan)]) == 0 ? Walk(next, Depth + 1) : false;
      case opLoopEntry: {
        const bool empty = Walk(Operand(Scan), Depth + 1);
        if (ReadInt(&Prog[Operand(next)]) == 0) return Walk(NextNode(Prog, next), Depth + 1) || empty;
        return empty;
      }
      case opLoop:
      case opLoopNG:
      case opBol:
      case opEol:
      case opBolML:
      case opEolML:
      case opBound:
      case opNotBound:
      case opNothing:
      case opComment: return Walk(next, Depth + 1);
      case opBackRef:
      case opBackRefCI: return true;
      default:
        if (op >= opOpen && op < opClose + TRegExpr::NSUBEXP) return Walk(next, Depth + 1);
        AddOperand(Scan);
        return false;
    }
  }
};

}  // namespace

void TRegExpr::Compile() {
  if (!hasExpression_) Raise(1003);
  program_.clear();
  progModifiers_ = modifiers_;
  if (expression_.empty()) {
    compilerPos_ = 0;
    Raise(100);
  }
  BuildCaseTable();
  std::vector<uint8_t> prog;
  prog.push_back(ProgramMarker);
  TRegExprCompiler c(*this, prog);
  int flags;
  c.Reg(false, flags);

  groupCount_ = c.NPar - 1;
  firstChar_ = -1;
  anchored_ = false;
  startsAtWord_ = false;
  pureLiteral_ = false;
  mustStarts_ = false;
  startPairs_.clear();
  must_ = TLiteral();
  hasRequiredSet_ = false;
  const int top = 1;
  firstCharSet_.fill(false);
  TFirstChars fc{prog, invert_, firstCharSet_, std::vector<int8_t>(prog.size(), 0)};
  canBeEmpty_ = fc.Walk(top, 0);
  if (canBeEmpty_) firstCharSet_.fill(true);
  // Start optimisations only look at a single top-level branch: with alternation every one of
  // them would have to agree.
  if (c.topBranches == 1) {
    const int scan = Operand(top);
    if (prog[scan] == opExactly) firstChar_ = LiteralText(prog, scan)[0];
    if (prog[scan] == opBol) anchored_ = true;
    // A leading word boundary before word characters: a match starts where a word does.
    if (prog[scan] == opBound && !canBeEmpty_) {
      startsAtWord_ = true;
      for (int ch = 0; ch < 256; ++ch)
        if (firstCharSet_[ch] && !wordTable_[ch]) startsAtWord_ = false;
    }
    // The nodes of the top-level sequence each take part in every match: its longest literal
    // (ties: the later one) must occur, and so must a character of its smallest single-character
    // set.
    int bestLen = 0, bestSet = 257;
    std::array<bool, 256> set{};
    for (int n = scan; n >= 0; n = NextNode(prog, n)) {
      const uint8_t op = prog[n];
      if ((op == opExactly || op == opExactlyCI) && LiteralLength(prog, n) >= bestLen) {
        bestLen = LiteralLength(prog, n);
        must_.Text.assign(reinterpret_cast<const char*>(LiteralText(prog, n)), bestLen);
        must_.IgnoreCase = op == opExactlyCI;
        mustStarts_ = n == scan;
        pureLiteral_ = mustStarts_ && prog[NextNode(prog, n)] == opEnd;
      }
      int single = -1;
      if (op == opAnyDigit || op == opNotDigit || op == opAnyOfFullSet) single = n;
      if (op == opPlus || op == opPlusNG) single = Operand(n);
      if ((op == opBraces || op == opBracesNG) && ReadInt(&prog[Operand(n)]) > 0) single = Operand(n) + 8;
      if (single < 0 || prog[single] == opAny || prog[single] == opAnyML) continue;
      std::array<bool, 256> candidate{};
      TFirstChars{prog, invert_, candidate, {}}.AddOperand(single);
      const int size = static_cast<int>(std::count(candidate.begin(), candidate.end(), true));
      if (size < bestSet) {
        bestSet = size;
        set = candidate;
      }
    }
    must_.Prepare(invert_);
    // Worth a scan of its own only when it says more than the characters a match starts with.
    if (must_.Text.empty() && bestSet < 256 && set != firstCharSet_) {
      hasRequiredSet_ = true;
      requiredSet_ = set;
    }
  }
  if (c.topBranches > 1) {
    // Alternatives that each start with a literal of two characters or more: a match starts
    // with one of their first pairs.
    std::vector<uint32_t> pairs(65536 / 32, 0);
    bool literals = true;
    for (int br = top; literals && br >= 0 && prog[br] == opBranch; br = NextNode(prog, br)) {
      const int lit = Operand(br);
      literals = (prog[lit] == opExactly || prog[lit] == opExactlyCI) && LiteralLength(prog, lit) >= 2;
      if (!literals) break;
      const uint8_t a = LiteralText(prog, lit)[0], b = LiteralText(prog, lit)[1];
      const bool ci = prog[lit] == opExactlyCI;
      for (unsigned x : {a, ci ? invert_[a] : a})
        for (unsigned y : {b, ci ? invert_[b] : b}) pairs[(x << 8 | y) >> 5] |= 1u << ((x << 8 | y) & 31);
    }
    if (literals) startPairs_ = std::move(pairs);
  }
  startNode_ = prog[top] == opBranch && prog[NextNode(prog, top)] != opBranch ? Operand(top) : top;
  program_ = std::move(prog);
  possessive_.assign(program_.size(), 0);
  AnalyseProgram();
  leadRepeat_ = -1;
  int lead = startNode_;
  for (;;) {
    const uint8_t op = program_[lead];
    if (op >= opOpen && op < opOpen + NSUBEXP) {
      lead = NextNode(program_, lead);
    } else if (op == opBranch && program_[NextNode(program_, lead)] != opBranch) {
      lead = Operand(lead);
    } else if (op == opLoopEntry && ReadInt(&program_[Operand(NextNode(program_, lead))]) > 0) {
      // A counted loop that must pass once: a match starts with its operand.
      lead = Operand(lead);
    } else {
      break;
    }
  }
  const uint8_t leadOp = program_[lead];
  const bool braces = leadOp == opBraces || leadOp == opBracesNG;
  if (!hasBackRefs_ && (leadOp == opStar || leadOp == opPlus || leadOp == opStarNG || leadOp == opPlusNG ||
                        (braces && ReadInt(&program_[Operand(lead) + 4]) == InfiniteCount)))
    leadRepeat_ = lead;
  // A character every match needs, which the alphabet of matches does not always hold.
  needed_.fill(false);
  if (hasRequiredSet_) needed_ = requiredSet_;
  if (!must_.Text.empty()) {
    const auto ch = static_cast<uint8_t>(must_.Text[0]);
    needed_[ch] = true;
    if (must_.IgnoreCase) needed_[invert_[ch]] = true;
  }
  runSkip_ = !anchored_ && !canBeEmpty_ && (hasRequiredSet_ || !must_.Text.empty()) &&
             std::count(alphabet_.begin(), alphabet_.end(), true) < 256 && alphabet_ != needed_;
  simpleRun_ = (program_[startNode_] == opStar || program_[startNode_] == opPlus || program_[startNode_] == opBraces) &&
               program_[NextNode(program_, startNode_)] == opEnd;
  // A program with fewer groups leaves the others untouched: they must read as unset.
  startP_.fill(-1);
  endP_.fill(-1);
  NewInput();
}

// What the matcher keeps per node: the memory rows of the states it remembers (a branch, a
// loop node, the node after a simple repetition), the counted loops around each node, and with
// back references the branch loops whose passes it watches.
void TRegExpr::AnalyseProgram() {
  const std::vector<uint8_t>& prog = program_;
  const int size = static_cast<int>(prog.size());
  nodeInfo_.assign(prog.size(), TNodeInfo());
  loopLists_.clear();
  iterExit_.clear();
  memoRows_ = 0;
  hasBackRefs_ = false;
  // The nodes the matcher can reach.
  std::vector<bool> isNode(prog.size(), false);
  std::vector<int> todo{1}, nodes, entries;
  while (!todo.empty()) {
    const int n = todo.back();
    todo.pop_back();
    if (n < 1 || n >= size || isNode[n]) continue;
    isNode[n] = true;
    nodes.push_back(n);
    const uint8_t op = prog[n];
    if (op == opBranch || op == opLoopEntry) todo.push_back(Operand(n));
    if (op == opLoopEntry) entries.push_back(n);
    if (op == opBackRef || op == opBackRefCI) hasBackRefs_ = true;
    const int next = NextNode(prog, n);
    if (next >= 0) todo.push_back(next);
  }
  std::sort(nodes.begin(), nodes.end());
  std::sort(entries.begin(), entries.end());
  auto isRepetition = [&](uint8_t op) {
    return op == opStar || op == opPlus || op == opBraces || op == opStarNG || op == opPlusNG || op == opBracesNG;
  };
  std::vector<bool> remembered(prog.size(), false);
  for (int n : nodes) {
    const uint8_t op = prog[n];
    if (op == opBranch || op == opLoop || op == opLoopNG) {
      remembered[n] = true;
      nodeInfo_[n].SelfMarked = true;
    }
    if (isRepetition(op)) {
      const int next = NextNode(prog, n);
      if (next >= 0) remembered[next] = true;
    }
  }
  // A counted loop's body lies between its entry and its loop node, which runs with the count
  // on the loop stack too.
  int64_t rows = 0;
  for (int n : nodes) {
    TNodeInfo& info = nodeInfo_[n];
    info.LoopList = static_cast<int32_t>(loopLists_.size());
    int64_t states = 1;
    for (int e : entries) {
      const int loop = NextNode(prog, e);
      if (loop < 0 || e >= n || n > loop) continue;
      loopLists_.push_back(loop);
      ++info.LoopDepth;
      const int min = ReadInt(&prog[Operand(loop)]);
      const int max = ReadInt(&prog[Operand(loop) + 4]);
      states = std::min<int64_t>(states * (max == InfiniteCount ? int64_t(min) + 1 : int64_t(max) + 1), MaxMemoRows);
    }
    if (!remembered[n]) continue;
    info.MemoRow = static_cast<int32_t>(std::min<int64_t>(rows, MaxMemoRows));
    rows = std::min<int64_t>(rows + states, MaxMemoRows);
  }
  memoRows_ = hasBackRefs_ || rows >= MaxMemoRows ? 0 : static_cast<int>(rows);
  // The characters a match can hold: those of the nodes that take one. A back reference takes
  // again what other nodes took.
  alphabet_.fill(false);
  auto take = [&](int Node) {
    std::array<bool, 256>& a = alphabet_;
    switch (prog[Node]) {
      case opExactly:
      case opExactlyCI:
        for (int i = 0; i < LiteralLength(prog, Node); ++i) {
          const uint8_t ch = LiteralText(prog, Node)[i];
          a[ch] = true;
          if (prog[Node] == opExactlyCI) a[invert_[ch]] = true;
        }
        break;
      case opAnyDigit:
        for (int ch = '0'; ch <= '9'; ++ch) a[ch] = true;
        break;
      case opNotDigit:
        for (int ch = 0; ch < 256; ++ch) a[ch] = a[ch] || ch < '0' || ch > '9';
        break;
      case opAnyOfFullSet:
        for (int ch = 0; ch < 256; ++ch) a[ch] = a[ch] || SetHas(&prog[Operand(Node)], static_cast<uint8_t>(ch));
        break;
      default: a.fill(true); break;
    }
  };
  bool otherCase = false;
  for (int n : nodes) {
    const uint8_t op = prog[n];
    otherCase = otherCase || op == opBackRefCI;
    if (op == opStar || op == opStarNG || op == opPlus || op == opPlusNG)
      take(Operand(n));
    else if (op == opBraces || op == opBracesNG)
      take(Operand(n) + 8);
    else if (op == opExactly || op == opExactlyCI || op == opAny || op == opAnyML || op == opAnyDigit ||
             op == opNotDigit || (op >= opAnyOf && op <= opAnyBut) || op == opAnyOfCI || op == opAnyButCI ||
             op == opAnyOfTinySet || op == opAnyButTinySet || op == opAnyOfFullSet)
      take(n);
  }
  // A reference that ignores case takes the other case of what the group took, and so on.
  for (bool grown = otherCase; grown;) {
    grown = false;
    for (int ch = 0; ch < 256; ++ch)
      if (alphabet_[ch] && !alphabet_[invert_[ch]]) grown = alphabet_[invert_[ch]] = true;
  }
  if (!hasBackRefs_) return;
  // With back references a pass through a loop can match nothing: a greedy * loop passes from
  // its first branch to a back node that returns there; a greedy + loop from its operand to a
  // back node, the operand of the branch after it, that returns to the operand. The second
  // branch of each is where the loop is left.
  for (int b : nodes) {
    if (prog[b] != opBack) continue;
    const int head = NextNode(prog, b);
    int branch = head;
    if (head < 0) continue;
    if (prog[head] != opBranch) {
      branch = b - NodeHeader;
      if (branch < 1 || !isNode[branch] || prog[branch] != opBranch || Operand(branch) != b) continue;
    }
    const int second = NextNode(prog, branch);
    if (second < 0 || prog[second] != opBranch) continue;
    const auto k = static_cast<int32_t>(iterExit_.size());
    iterExit_.push_back(Operand(second));
    nodeInfo_[head].IterLoop = k;
    nodeInfo_[b].BackLoop = k;
  }
}

// ---- properties, modifiers and errors ----

char RegExprInvertCaseSystem(char Ch) {
  char u = Ch;
  CharUpperBuffA(&u, 1);
  if (u != Ch) return u;
  char l = Ch;
  CharLowerBuffA(&l, 1);
  return l;
}

TRegExpr::TRegExpr() {
  startP_.fill(-1);
  endP_.fill(-1);
}

void TRegExpr::SetExpression(const AnsiString& Value) {
  if (hasExpression_ && Value == expression_) return;
  expression_ = Value;
  hasExpression_ = true;
  program_.clear();
}

void TRegExpr::SetModifierBit(uint32_t Bit, bool Value) {
  if (Value)
    modifiers_ |= Bit;
  else
    modifiers_ &= ~Bit;
}

bool TRegExpr::GetModifier(int Index) {
  if (Index < 1 || Index > 6) Raise(1013);
  return (modifiers_ >> (Index - 1)) & 1;
}

void TRegExpr::SetModifier(int Index, bool Value) {
  if (Index < 1 || Index > 6) Raise(1013);
  SetModifierBit(1u << (Index - 1), Value);
}

bool TRegExpr::ParseModifiersStr(const AnsiString& AModifiers, uint32_t& Mods) {
  bool on = true;
  for (char c : AModifiers) {
    if (c == '-') {
      on = false;
      continue;
    }
    uint32_t bit;
    switch (c | 0x20) {
      case 'i': bit = rmIgnoreCase; break;
      case 'r': bit = rmRussianRanges; break;
      case 's': bit = rmSingleLine; break;
      case 'g': bit = rmGreedy; break;
      case 'm': bit = rmMultiLine; break;
      case 'x': bit = rmExtended; break;
      default: return false;
    }
    if (on)
      Mods |= bit;
    else
      Mods &= ~bit;
  }
  return true;
}

void TRegExpr::SetLinePairedSeparator(const AnsiString& Value) {
  if (!(Value.empty() || (Value.size() == 2 && Value[0] != Value[1]))) {
    compilerPos_ = 0;
    Raise(128);
  }
  if (Value == pairedSeparator_) return;
  pairedSeparator_ = Value;
  program_.clear();
}

AnsiString TRegExpr::ErrorMsg(int AErrorID) {
  switch (AErrorID) {
    case 0: return "No errors";
    case 100: return "TRegExpr(comp): Null Argument";
    case 102: return "TRegExpr(comp): ParseReg Too Many ()";
    case 103: return "TRegExpr(comp): ParseReg Unmatched ()";
    case 104: return "TRegExpr(comp): ParseReg Unmatched ()";
    case 105: return "TRegExpr(comp): ParseReg Junk On End";
    case 106: return "TRegExpr(comp): *+ Operand Could Be Empty";
    case 107: return "TRegExpr(comp): Nested *?+";
    case 108: return "TRegExpr(comp): Bad Hex Digit";
    case 109: return "TRegExpr(comp): Invalid [] Range";
    case 110: return "TRegExpr(comp): Parse Atom Trailing \\";
    case 111: return "TRegExpr(comp): No Hex Code After \\x";
    case 112: return "TRegExpr(comp): Hex Code After \\x Is Too Big";
    case 113: return "TRegExpr(comp): Unmatched []";
    case 114: return "TRegExpr(comp): Internal Urp";
    case 115: return "TRegExpr(comp): ?+*{ Follows Nothing";
    case 116: return "TRegExpr(comp): Trailing \\";
    case 119: return "TRegExpr(comp): RarseAtom Internal Disaster";
    case 122: return "TRegExpr(comp): BRACES Argument Too Big";
    case 124: return "TRegExpr(comp): BRACE Min Param Greater then Max";
    case 125: return "TRegExpr(comp): Unclosed (?#Comment)";
    case 127: return "TRegExpr(comp): Urecognized Modifier";
    case 128: return "TRegExpr(comp): LinePairedSeparator must countain two different chars or no chars at all";
    case 1000: return "TRegExpr(exec): RegRepeat Called Inappropriately";
    case 1001: return "TRegExpr(exec): MatchPrim Memory Corruption";
    case 1002: return "TRegExpr(exec): MatchPrim Corrupted Pointers";
    case 1003: return "TRegExpr(exec): Not Assigned Expression Property";
    case 1004: return "TRegExpr(exec): Corrupted Program";
    case 1005: return "TRegExpr(exec): No Input String Specified";
    case 1006: return "TRegExpr(exec): Offset Must Be Greater Then 0";
    case 1007: return "TRegExpr(exec): ExecNext Without Exec[Pos]";
    case 1014: return "TRegExpr(exec): Loop Stack Exceeded";
    case 1015: return "TRegExpr(exec): Loop Without LoopEntry !";
    case reeTooComplex: return "TRegExpr(exec): Expression Too Complex For This Input";
    default: return "Unknown error";
  }
}

void TRegExpr::Error(int AErrorID) {
  lastError_ = AErrorID;
  std::string msg = ErrorMsg(AErrorID);
  int pos = 0;
  if (AErrorID < 1000) {
    pos = compilerPos_;
    msg += " (pos " + std::to_string(pos) + ")";
    program_.clear();
  }
  throw ERegExpr(msg, AErrorID, pos);
}

void TRegExpr::Raise(int AErrorID) {
  Error(AErrorID);
  throw ERegExpr(ErrorMsg(AErrorID), AErrorID, AErrorID < 1000 ? compilerPos_ : 0);
}

void TRegExpr::BuildCaseTable() {
  if (invertFor_ == InvertCase && invertFor_) return;
  for (int c = 0; c < 256; ++c)
    invert_[c] = InvertCase ? static_cast<uint8_t>(InvertCase(static_cast<char>(c))) : static_cast<uint8_t>(c);
  invertFor_ = InvertCase;
}
