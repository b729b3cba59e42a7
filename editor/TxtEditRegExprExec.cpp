// The matcher: runs the node program against the input with backtracking. Choice points live
// on a heap stack, so deep repetitions cannot overflow the thread's stack, and every search has
// a step budget, so nested repetitions cannot freeze the program.
#include <algorithm>
#include <cstring>

#include "editor/TxtEditRegExpr.h"
#include "editor/TxtEditRegExprProgram.h"
#include "framework/ScopeGuards.h"

using namespace regexpr;

namespace {

// More choice points than this on one attempt count as too complex (128 MB); a stack that
// grew beyond KeptFrames is given back after the search.
constexpr size_t MaxFrames = size_t(8) << 20;
constexpr size_t KeptFrames = size_t(1) << 16;
constexpr int MaxLoopDepth = 10;

}  // namespace

namespace regexpr {

enum TFrameKind : int32_t {
  fkAlternative,   // Node: the next BRANCH to try at Pos
  fkStar,          // greedy simple repetition: Node, start Pos, count A was tried
  fkStarNG,        // non-greedy simple repetition
  fkRestoreStart,  // group A's start was Pos
  fkRestoreEnd,
  fkLoopCount,    // the innermost loop's count was A
  fkLoopUnpush,   // a loop entry pushed a counter
  fkLoopRepush,   // a loop was left with count A
  fkLoopExit,     // greedy loop Node at Pos with count A: leave it instead
  fkLoopIterate,  // non-greedy loop Node at Pos with count A: iterate once more instead
};

struct TFrame {
  TFrameKind Kind;
  int32_t Node;
  int32_t Pos;
  int32_t A;
};
}  // namespace regexpr

struct TRegExpr::TFrameStore {
  std::vector<TFrame> Stack;
  std::vector<int32_t> Loops;
};

struct TRegExprMatcher {
  TRegExpr& R;
  const std::vector<uint8_t>& Prog;
  const uint8_t* In;
  int Len;
  int64_t Steps = 0;
  int64_t Budget;
  std::vector<TFrame>& stack;
  std::vector<int32_t>& loops;
  int p0 = -1, p1 = -1;  // the paired separator

  TRegExprMatcher(TRegExpr& AR, int64_t ABudget)
      : R(AR),
        Prog(AR.program_),
        In(reinterpret_cast<const uint8_t*>(AR.input_.data())),
        Len(static_cast<int>(AR.input_.size())),
        Budget(ABudget),
        stack(AR.frames_->Stack),
        loops(AR.frames_->Loops) {
    if (R.pairedSeparator_.size() == 2) {
      p0 = static_cast<uint8_t>(R.pairedSeparator_[0]);
      p1 = static_cast<uint8_t>(R.pairedSeparator_[1]);
    }
  }

  void Push(TFrameKind Kind, int Node, int Pos, int A) {
    if (stack.size() >= MaxFrames) R.Raise(TRegExpr::reeTooComplex);
    stack.push_back({Kind, Node, Pos, A});
  }
  void Tick() {
    if (++Steps > Budget) R.Raise(TRegExpr::reeTooComplex);
  }
  // Work over N characters inside one step (counting a repetition, comparing a reference) is
  // charged too, or a search that is quadratic in the line could still run for hours.
  void Charge(int N) {
    Steps += N >> 2;
    Tick();
  }

  bool IsSep(int Pos) const { return R.separators_[In[Pos]]; }
  bool PairAt(int Pos) const { return p0 >= 0 && Pos + 1 < Len && In[Pos] == p0 && In[Pos + 1] == p1; }
  bool SameCI(uint8_t C, uint8_t P) const { return C == P || C == R.invert_[P]; }

  // Whether the single-character node matches the character at Pos (< Len).
  bool One(int Node, int Pos) const {
    const uint8_t c = In[Pos];
    switch (Prog[Node]) {
      case opAny: return true;
      case opAnyML: return !IsSep(Pos) && !PairAt(Pos);
      case opExactly: return c == LiteralText(Prog, Node)[0];
      case opExactlyCI: return SameCI(c, LiteralText(Prog, Node)[0]);  // the first character
      case opAnyDigit: return c >= '0' && c <= '9';
      case opNotDigit: return c < '0' || c > '9';
      case opAnyOfFullSet: return SetHas(&Prog[Operand(Node)], c);
      default: R.Raise(1000);
    }
  }
  int Count(int Node, int Pos, int Max) const {
    const int limit = static_cast<int>(std::min<int64_t>(Max, Len - Pos));
    int n = 0;
    if (Prog[Node] == opAny) return limit;
    while (n < limit && One(Node, Pos + n)) ++n;
    return n;
  }
  // Whether what follows a repetition can start at Pos: looks through group marks to a
  // literal or a node that needs one character of a kind. Anything else may match there.
  bool NextAllows(int Next, int Pos) const {
    while (Next >= 0 && Prog[Next] >= opOpen && Prog[Next] < opClose + TRegExpr::NSUBEXP) Next = NextNode(Prog, Next);
    if (Next < 0) return true;
    switch (Prog[Next]) {
      case opExactly:
      case opExactlyCI:
      case opAny:
      case opAnyML:
      case opAnyDigit:
      case opNotDigit:
      case opAnyOfFullSet: return Pos < Len && One(Next, Pos);
      case opPlus:
      case opPlusNG: return Pos < Len && One(Operand(Next), Pos);
      default: return true;
    }
  }
  // Whether the alternative starting at Node cannot match at Pos because it starts with a
  // character that is not there.
  bool AlternativeFails(int Node, int Pos) const {
    const uint8_t op = Prog[Node];
    if (op != opExactly && op != opExactlyCI && op != opAnyOfFullSet && op != opAnyDigit) return false;
    return Pos >= Len || !One(Node, Pos);
  }

  bool Literal(int Node, int& Pos) const {
    const int n = LiteralLength(Prog, Node);
    if (n > Len - Pos) return false;
    const uint8_t* t = LiteralText(Prog, Node);
    if (Prog[Node] == opExactly) {
      if (std::memcmp(In + Pos, t, n) != 0) return false;
    } else {
      for (int i = 0; i < n; ++i)
        if (!SameCI(In[Pos + i], t[i])) return false;
    }
    Pos += n;
    return true;
  }
  bool BackRef(int Node, int& Pos) const {
    const int g = Prog[Operand(Node)];
    const int s = R.startP_[g], e = R.endP_[g];
    if (s < 0 || e < 0) return false;
    const int n = e - s;
    if (n < 0 || n > Len - Pos) return false;
    for (int i = 0; i < n; ++i) {
      const uint8_t a = In[Pos + i], b = In[s + i];
      if (a != b && (Prog[Node] == opBackRef || a != R.invert_[b])) return false;
    }
    Pos += n;
    return true;
  }
  bool Boundary(int Pos) const {
    const bool before = Pos > 0 && R.wordTable_[In[Pos - 1]];
    const bool here = Pos < Len && R.wordTable_[In[Pos]];
    return before != here;
  }
  bool LineStart(int Pos) const {
    if (Pos == 0) return true;
    if (p0 >= 0) {
      if (Pos >= 2 && In[Pos - 1] == p1 && In[Pos - 2] == p0) return true;
      if (Pos < Len && In[Pos - 1] == p0 && In[Pos] == p1) return false;
    }
    return R.separators_[In[Pos - 1]];
  }
  bool LineEnd(int Pos) const {
    if (Pos >= Len) return true;
    if (p0 >= 0) {
      if (PairAt(Pos)) return true;
      if (Pos > 0 && In[Pos - 1] == p0 && In[Pos] == p1) return false;
    }
    return R.separators_[In[Pos]];
  }

  // The lowest count from C upwards the non-greedy repetition can continue with, or -1.
  int UpwardCount(int Node, int Start, int C) {
    const int operand = Prog[Node] == opBracesNG ? Operand(Node) + 8 : Operand(Node);
    const int max = Prog[Node] == opBracesNG ? ReadInt(&Prog[Operand(Node) + 4]) : InfiniteCount;
    const int next = NextNode(Prog, Node);
    for (;;) {
      Tick();
      if (NextAllows(next, Start + C)) return C;
      if (C >= max || Start + C >= Len || !One(operand, Start + C)) return -1;
      ++C;
    }
  }
  // The highest count from C downwards, not below the minimum, that the node after allows.
  int DownwardCount(int Node, int Start, int C, int Min) {
    const int next = NextNode(Prog, Node);
    for (; C >= Min; --C) {
      Tick();
      if (NextAllows(next, Start + C)) return C;
    }
    return -1;
  }
  // The characters a single-character node accepts.
  void Accepts(int Node, std::array<bool, 256>& Set) const {
    for (int c = 0; c < 256; ++c) {
      const uint8_t ch = static_cast<uint8_t>(c);
      switch (Prog[Node]) {
        case opAny: Set[c] = true; break;
        case opAnyML: Set[c] = Set[c] || !R.separators_[c]; break;
        case opExactly: Set[c] = Set[c] || ch == LiteralText(Prog, Node)[0]; break;
        case opExactlyCI: Set[c] = Set[c] || SameCI(ch, LiteralText(Prog, Node)[0]); break;
        case opAnyDigit: Set[c] = Set[c] || (c >= '0' && c <= '9'); break;
        case opNotDigit: Set[c] = Set[c] || c < '0' || c > '9'; break;
        case opAnyOfFullSet: Set[c] = Set[c] || SetHas(&Prog[Operand(Node)], ch); break;
        default: Set[c] = true; break;
      }
    }
  }
  // Whether a greedy repetition at Node gains nothing from giving characters back: what
  // follows it can never start with a character its operand takes. Cached per node.
  bool Possessive(int Node) {
    int8_t& known = R.possessive_[Node];
    if (known) return known > 0;
    known = -1;
    int next = NextNode(Prog, Node);
    while (next >= 0 && Prog[next] >= opOpen && Prog[next] < opClose + TRegExpr::NSUBEXP) next = NextNode(Prog, next);
    if (next < 0) return false;
    int single;
    switch (Prog[next]) {
      case opExactly:
      case opExactlyCI:
      case opAny:
      case opAnyML:
      case opAnyDigit:
      case opNotDigit:
      case opAnyOfFullSet: single = next; break;
      case opPlus:
      case opPlusNG: single = Operand(next); break;
      default: return false;
    }
    std::array<bool, 256> mine{}, theirs{};
    Accepts(Prog[Node] == opBraces ? Operand(Node) + 8 : Operand(Node), mine);
    Accepts(single, theirs);
    for (int c = 0; c < 256; ++c)
      if (mine[c] && theirs[c]) return false;
    known = 1;
    return true;
  }

  static int MinOf(const std::vector<uint8_t>& P, int Node) {
    switch (P[Node]) {
      case opStar:
      case opStarNG: return 0;
      case opPlus:
      case opPlusNG: return 1;
      default: return ReadInt(&P[Operand(Node)]);
    }
  }

  // Runs the program from position Pos; on success EndPos is where the end node was reached.
  bool Run(int Pos, int& EndPos) {
    stack.clear();
    loops.clear();
    int scan = 1;
    for (;;) {
      Tick();
      bool ok = true;
      const uint8_t op = Prog[scan];
      int next = NextNode(Prog, scan);
      switch (op) {
        case opEnd: EndPos = Pos; return true;
        case opBol: ok = Pos == 0; break;
        case opEol: ok = Pos >= Len; break;
        case opBolML: ok = LineStart(Pos); break;
        case opEolML: ok = LineEnd(Pos); break;
        case opBound: ok = Boundary(Pos); break;
        case opNotBound: ok = !Boundary(Pos); break;
        case opNothing:
        case opComment:
        case opBack: break;
        case opAny:
        case opAnyML:
        case opAnyDigit:
        case opNotDigit:
        case opAnyOfFullSet:
          ok = Pos < Len && One(scan, Pos);
          if (ok) ++Pos;
          break;
        case opExactly:
        case opExactlyCI: ok = Literal(scan, Pos); break;
        case opBackRef:
        case opBackRefCI: {
          const int before = Pos;
          ok = BackRef(scan, Pos);
          Charge(Pos - before);
          break;
        }
        case opBranch: next = ChooseBranch(scan, Pos); break;
        case opStar:
        case opPlus:
        case opBraces: {
          const bool braces = op == opBraces;
          const int operand = braces ? Operand(scan) + 8 : Operand(scan);
          const int max = braces ? ReadInt(&Prog[Operand(scan) + 4]) : InfiniteCount;
          const int n = Count(operand, Pos, max);
          Charge(n);
          const int min = MinOf(Prog, scan);
          const int c = !Possessive(scan)                       ? DownwardCount(scan, Pos, n, min)
                        : n >= min && NextAllows(next, Pos + n) ? n
                                                                : -1;
          ok = c >= 0;
          if (ok) {
            Push(fkStar, scan, Pos, c);
            Pos += c;
          }
          break;
        }
        case opStarNG:
        case opPlusNG:
        case opBracesNG: {
          const int min = MinOf(Prog, scan);
          const int operand = op == opBracesNG ? Operand(scan) + 8 : Operand(scan);
          ok = Count(operand, Pos, min) == min;
          Charge(min);
          const int c = ok ? UpwardCount(scan, Pos, min) : -1;
          ok = c >= 0;
          if (ok) {
            Push(fkStarNG, scan, Pos, c);
            Pos += c;
          }
          break;
        }
        case opLoopEntry:
          if (static_cast<int>(loops.size()) >= MaxLoopDepth) R.Raise(1014);
          Push(fkLoopUnpush, scan, Pos, 0);
          loops.push_back(0);
          break;
        case opLoop:
        case opLoopNG:
          if (!Loop(scan, Pos, next)) goto fail;
          break;
        default:
          if (op >= opOpen && op < opOpen + TRegExpr::NSUBEXP) {
            const int g = op - opOpen;
            Push(fkRestoreStart, scan, R.startP_[g], g);
            R.startP_[g] = Pos;
          } else if (op >= opClose && op < opClose + TRegExpr::NSUBEXP) {
            const int g = op - opClose;
            Push(fkRestoreEnd, scan, R.endP_[g], g);
            R.endP_[g] = Pos;
          } else {
            R.Raise(1001);
          }
          break;
      }
      if (ok && next >= 0) {
        scan = next;
        continue;
      }
      if (ok) R.Raise(1002);
    fail:
      if (!Backtrack(scan, Pos)) return false;
    }
  }

  // Enters the alternative at Branch, or a later one when it starts with a character that is
  // not at Pos, leaving a choice point for the alternatives after it; returns its first node.
  int ChooseBranch(int Branch, int Pos) {
    int next = NextNode(Prog, Branch);
    if (next < 0 || Prog[next] != opBranch) return Operand(Branch);
    while (next >= 0 && Prog[next] == opBranch && AlternativeFails(Operand(Branch), Pos)) {
      Branch = next;
      next = NextNode(Prog, Branch);
    }
    if (next >= 0 && Prog[next] == opBranch) Push(fkAlternative, next, Pos, 0);
    return Operand(Branch);
  }

  // A pass through a loop node: iterate the operand again or leave, as the counts and the
  // greediness say. Sets Next to the node to go on with.
  bool Loop(int Node, int Pos, int& Next) {
    if (loops.empty()) R.Raise(1015);
    const int min = ReadInt(&Prog[Operand(Node)]);
    const int max = ReadInt(&Prog[Operand(Node) + 4]);
    const int entry = Node + ReadInt(&Prog[Operand(Node) + 8]);
    const int cnt = loops.back();
    if (cnt < min) {
      Push(fkLoopCount, Node, Pos, cnt);
      loops.back() = cnt + 1;
      Next = Operand(entry);
      return true;
    }
    if (Prog[Node] == opLoop && cnt < max) {
      Push(fkLoopExit, Node, Pos, cnt);
      loops.back() = cnt + 1;
      Next = Operand(entry);
      return true;
    }
    if (Prog[Node] == opLoopNG && cnt < max) Push(fkLoopIterate, Node, Pos, cnt);
    Leave(Node, cnt, Next);
    return true;
  }
  void Leave(int Node, int Cnt, int& Next) {
    Push(fkLoopRepush, Node, 0, Cnt);
    loops.pop_back();
    Next = NextNode(Prog, Node);
  }

  // Returns to the latest choice point; false when there is none.
  bool Backtrack(int& Scan, int& Pos) {
    while (!stack.empty()) {
      const TFrame f = stack.back();
      stack.pop_back();
      Tick();
      switch (f.Kind) {
        case fkRestoreStart: R.startP_[f.A] = f.Pos; break;
        case fkRestoreEnd: R.endP_[f.A] = f.Pos; break;
        case fkLoopCount: loops.back() = f.A; break;
        case fkLoopUnpush: loops.pop_back(); break;
        case fkLoopRepush: loops.push_back(f.A); break;
        case fkAlternative:
          Scan = ChooseBranch(f.Node, f.Pos);
          Pos = f.Pos;
          return true;
        case fkStar: {
          // When nothing the operand matches can start what follows, fewer repetitions can
          // never help.
          if (Possessive(f.Node)) break;
          const int c = DownwardCount(f.Node, f.Pos, f.A - 1, MinOf(Prog, f.Node));
          if (c < 0) break;
          Push(fkStar, f.Node, f.Pos, c);
          Scan = NextNode(Prog, f.Node);
          Pos = f.Pos + c;
          return true;
        }
        case fkStarNG: {
          const int op = Prog[f.Node];
          const int operand = op == opBracesNG ? Operand(f.Node) + 8 : Operand(f.Node);
          const int max = op == opBracesNG ? ReadInt(&Prog[Operand(f.Node) + 4]) : InfiniteCount;
          const int at = f.Pos + f.A;
          if (f.A >= max || at >= Len || !One(operand, at)) break;
          const int c = UpwardCount(f.Node, f.Pos, f.A + 1);
          if (c < 0) break;
          Push(fkStarNG, f.Node, f.Pos, c);
          Scan = NextNode(Prog, f.Node);
          Pos = f.Pos + c;
          return true;
        }
        case fkLoopExit:
          loops.back() = f.A;
          Leave(f.Node, f.A, Scan);
          Pos = f.Pos;
          return true;
        case fkLoopIterate: {
          Push(fkLoopCount, f.Node, f.Pos, f.A);
          loops.back() = f.A + 1;
          const int entry = f.Node + ReadInt(&Prog[Operand(f.Node) + 8]);
          Scan = Operand(entry);
          Pos = f.Pos;
          return true;
        }
      }
    }
    return false;
  }
};

void TRegExpr::EnsureProgram() {
  if (!program_.empty() && progModifiers_ != modifiers_) program_.clear();
  // The tables start empty, like the strings they are built from.
  if (separatorsFor_ != LineSeparators) {
    separators_.fill(false);
    for (char c : LineSeparators) separators_[static_cast<uint8_t>(c)] = true;
    separatorsFor_ = LineSeparators;
    std::fill(possessive_.begin(), possessive_.end(), 0);
  }
  // \w and \s are compiled into the program as the sets they were then.
  if (wordCharsFor_ != WordChars) {
    wordTable_.fill(false);
    for (char c : WordChars) wordTable_[static_cast<uint8_t>(c)] = true;
    wordCharsFor_ = WordChars;
    program_.clear();
  }
  if (spaceCharsFor_ != SpaceChars) {
    spaceCharsFor_ = SpaceChars;
    program_.clear();
  }
  if (invertFor_ != InvertCase) {
    BuildCaseTable();
    program_.clear();
  }
  if (program_.empty()) Compile();
  if (program_[0] != ProgramMarker) Raise(1004);
}

void TRegExpr::SetInputString(std::string_view Value) {
  input_.assign(Value);
  hasInput_ = true;
  startP_.fill(-1);
  endP_.fill(-1);
}

bool TRegExpr::Exec(const AnsiString& AInputString) {
  SetInputString(AInputString);
  return SearchFrom(1);
}

bool TRegExpr::ExecNext() {
  if (!hasInput_ || startP_[0] < 0 || endP_[0] < 0) Raise(1007);
  int offset = endP_[0] + 1;
  if (endP_[0] == startP_[0]) ++offset;
  return SearchFrom(offset);
}

bool TRegExpr::ExecPos(int AOffset) { return SearchFrom(AOffset); }

namespace {

// The first occurrence of Lit in Text from From, or -1; IgnoreCase folds through Invert.
int FindLiteral(const std::string& Text, int From, const std::string& Lit, bool IgnoreCase,
                const std::array<uint8_t, 256>& Invert) {
  if (!IgnoreCase) {
    const size_t at = Text.find(Lit, From);
    return at == std::string::npos ? -1 : static_cast<int>(at);
  }
  const int n = static_cast<int>(Lit.size()), len = static_cast<int>(Text.size());
  for (int p = From; p + n <= len; ++p) {
    int i = 0;
    while (i < n) {
      const uint8_t a = static_cast<uint8_t>(Text[p + i]), b = static_cast<uint8_t>(Lit[i]);
      if (a != b && a != Invert[b]) break;
      ++i;
    }
    if (i == n) return p;
  }
  return -1;
}

}  // namespace

bool TRegExpr::SearchFrom(int Offset) {
  startP_.fill(-1);
  endP_.fill(-1);
  EnsureProgram();
  if (!hasInput_) Raise(1005);
  if (Offset < 1) Raise(1006);
  const int len = static_cast<int>(input_.size());
  if (Offset > len + 1) return false;
  const int from = Offset - 1;
  if (!mustLiteral_.empty() && FindLiteral(input_, from, mustLiteral_, mustIgnoreCase_, invert_) < 0) return false;

  const int64_t budget = stepBudget_ > 0 ? stepBudget_ : 20000000 + int64_t(64) * (len - from);
  if (!frames_) frames_ = std::make_shared<TFrameStore>();
  struct TTrim {
    std::vector<TFrame>& Stack;
    ~TTrim() {
      if (Stack.capacity() > KeptFrames) std::vector<TFrame>().swap(Stack);
    }
  } trim{frames_->Stack};
  TRegExprMatcher m(*this, budget);
  auto attempt = [&](int p) {
    int end;
    {
      // An attempt stopped half-way leaves no groups behind.
      TScopeFail clearGroups([&] {
        startP_.fill(-1);
        endP_.fill(-1);
      });
      if (!m.Run(p, end)) return false;
    }
    startP_[0] = p;
    endP_[0] = end;
    return true;
  };
  if (anchored_) return attempt(from);
  if (firstChar_ >= 0) {
    const char* base = input_.data();
    for (int p = from; p < len;) {
      const void* hit = std::memchr(base + p, firstChar_, len - p);
      if (!hit) return false;
      p = static_cast<int>(static_cast<const char*>(hit) - base);
      if (attempt(p)) return true;
      ++p;
    }
    return false;
  }
  for (int p = from; p < len; ++p)
    if (firstCharSet_[static_cast<uint8_t>(input_[p])] && attempt(p)) return true;
  return canBeEmpty_ && attempt(len);
}

int TRegExpr::GetMatchPos(int Index) const {
  if (Index < 0 || Index >= NSUBEXP || !hasInput_ || startP_[Index] < 0 || endP_[Index] < 0) return -1;
  return startP_[Index] + 1;
}

int TRegExpr::GetMatchLen(int Index) const {
  if (Index < 0 || Index >= NSUBEXP || !hasInput_ || startP_[Index] < 0 || endP_[Index] < 0) return -1;
  return endP_[Index] - startP_[Index];
}

AnsiString TRegExpr::GetMatch(int Index) const {
  const int p = GetMatchPos(Index);
  return p < 0 ? AnsiString() : input_.substr(p - 1, GetMatchLen(Index));
}

int TRegExpr::SubExprMatchCount() const {
  int last = 0;
  for (int i = 1; i < NSUBEXP; ++i)
    if (startP_[i] >= 0) last = i;
  return last;
}

AnsiString TRegExpr::Substitute(const AnsiString& ATemplate) {
  if (!hasInput_) Raise(1005);
  AnsiString result;
  const int n = static_cast<int>(ATemplate.size());
  auto group = [&](int64_t g) {
    if (g >= 0 && g < NSUBEXP) result += GetMatch(static_cast<int>(g));
  };
  auto digit = [&](int i) { return i < n && ATemplate[i] >= '0' && ATemplate[i] <= '9'; };
  for (int i = 0; i < n;) {
    const char c = ATemplate[i];
    if (c == '\\') {
      if (i + 1 < n) {
        result += ATemplate[i + 1];
        i += 2;
      } else {
        result += c;
        ++i;
      }
      continue;
    }
    if (c != '$') {
      result += c;
      ++i;
      continue;
    }
    // Group numbers saturate, so a long number can never wrap round to a small group.
    auto number = [&](int& j) {
      int64_t v = 0;
      while (digit(j)) v = std::min<int64_t>(v * 10 + (ATemplate[j++] - '0'), 1000000);
      return v;
    };
    int j = i + 1;
    if (digit(j)) {
      group(number(j));
      i = j;
    } else if (j < n && ATemplate[j] == '&') {
      group(0);
      i = j + 1;
    } else if (j < n && ATemplate[j] == '{') {
      int k = j + 1;
      if (k + 1 < n && ATemplate[k] == '&' && ATemplate[k + 1] == '}') {
        group(0);
        i = k + 2;
      } else if (digit(k)) {
        const int64_t g = number(k);
        if (k < n && ATemplate[k] == '}') {
          group(g);
          i = k + 1;
        } else {
          result += c;
          ++i;
        }
      } else {
        result += c;
        ++i;
      }
    } else {
      result += c;
      ++i;
    }
  }
  return result;
}

AnsiString TRegExpr::Replace(const AnsiString& AInputStr, const AnsiString& AReplaceStr, bool AUseSubstitution) {
  AnsiString result;
  if (!Exec(AInputStr)) return AInputStr;
  int prev = 0;
  do {
    result.append(input_, prev, startP_[0] - prev);
    result += AUseSubstitution ? Substitute(AReplaceStr) : AReplaceStr;
    prev = endP_[0];
  } while (ExecNext());
  result.append(input_, prev, std::string::npos);
  return result;
}
