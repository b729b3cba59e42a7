// The matcher: runs the node program against the input with backtracking. Choice points live
// on a heap stack, so deep repetitions cannot overflow the thread's stack, and every search has
// a step budget, so nested repetitions cannot freeze the program. Without back references a
// search that grows long remembers the states that have failed, so that it ends in time that
// grows with nodes times positions.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "editor/TxtEditRegExpr.h"
#include "editor/TxtEditRegExprProgram.h"
#include "framework/Win.h"

using namespace regexpr;

namespace {

// Choice points on one attempt: at least this many (128 MB), more as the input is longer, up to
// MaxFrames (256 MB), so that a search on a huge line never takes the memory the document and
// its undo need; beyond that the search is too complex. A stack that grew beyond KeptFrames is
// given back after the search.
constexpr size_t MinMaxFrames = size_t(8) << 20;
constexpr size_t MaxFrames = size_t(16) << 20;
constexpr size_t FramesPerCharacter = 32;
constexpr size_t KeptFrames = size_t(1) << 16;
constexpr int MaxLoopDepth = 10;
// The default step budget of a search: a base and a part per character searched.
constexpr int64_t BaseStepBudget = 1000000000;
constexpr int64_t StepsPerCharacter = 1024;
// The memory of failed states: at most this many bits (32 MB), and kept between searches up to
// KeptMemoWords.
constexpr int64_t MaxMemoBits = int64_t(256) << 20;
constexpr size_t KeptMemoWords = size_t(1) << 16;

// Marks the first N group positions unset. Programs have few groups: for those the stores are
// made here rather than by a call into the C library.
void Unset(std::array<int, TRegExpr::NSUBEXP>& A, int N) {
  switch (N) {
    case 3: A[2] = -1; [[fallthrough]];
    case 2: A[1] = -1; [[fallthrough]];
    case 1: A[0] = -1; break;
    default: std::fill(A.begin(), A.begin() + std::min(N, TRegExpr::NSUBEXP), -1); break;
  }
}

}  // namespace

namespace regexpr {

enum TFrameKind : int32_t {
  fkAlternative,   // Node: the next BRANCH to try at Pos
  fkStar,          // greedy simple repetition: Node, start Pos, count A was tried
  fkStarNG,        // non-greedy simple repetition
  fkRestoreStart,  // group A's start was Pos
  fkRestoreEnd,
  fkLoopCount,    // the innermost loop's count was A and its pass start Pos
  fkLoopUnpush,   // a loop entry pushed a counter
  fkLoopRepush,   // a loop was left with count A and pass start Pos
  fkLoopExit,     // greedy loop Node at Pos with count A: leave it instead
  fkLoopIterate,  // non-greedy loop Node at Pos with count A: iterate once more instead
  fkIterStart,    // branch loop Node's pass started at Pos
};

struct TFrame {
  TFrameKind Kind;
  int32_t Node;
  int32_t Pos;
  int32_t A;
};

struct TLoopState {
  int32_t Count;
  int32_t Start;  // where the current pass began
};

// The choice points, in blocks: a deep stack grows without moving what it holds and without
// asking for one large piece of memory.
class TFrameStack {
 public:
  bool empty() const { return size_ == 0; }
  size_t size() const { return size_; }
  void clear() { size_ = 0; }
  // False when there is no memory for another block.
  bool Push(const TFrame& F) {
    const size_t block = size_ >> BlockBits;
    if (block == blocks_.size() && !Grow()) return false;
    blocks_[block][size_ & BlockMask] = F;
    ++size_;
    return true;
  }
  TFrame Pop() {
    --size_;
    return blocks_[size_ >> BlockBits][size_ & BlockMask];
  }
  // Gives back the blocks beyond those that hold Frames.
  void Trim(size_t Frames) {
    const size_t keep = (Frames + BlockMask) >> BlockBits;
    if (blocks_.size() > keep) blocks_.resize(keep);
  }

 private:
  static constexpr int BlockBits = 14;
  static constexpr size_t BlockMask = (size_t(1) << BlockBits) - 1;
  bool Grow() {
    try {
      blocks_.push_back(std::make_unique<TFrame[]>(BlockMask + 1));
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  std::vector<std::unique_ptr<TFrame[]>> blocks_;
  size_t size_ = 0;
};
}  // namespace regexpr

struct TRegExpr::TFrameStore {
  TFrameStack Stack;
  std::vector<TLoopState> Loops;
  std::vector<int32_t> IterStart;
  std::vector<uint32_t> Memo;
  // Per simple repetition node: a run of its operand counted to its end, [RunFrom, RunEnd).
  std::vector<int32_t> RunFrom, RunEnd;
};

struct TRegExprMatcher {
  TRegExpr& R;
  const std::vector<uint8_t>& Prog;
  const TRegExpr::TNodeInfo* Info = nullptr;
  const uint8_t* In = nullptr;
  int Len = 0;
  int64_t Steps = 0;
  int64_t Budget = 0;
  int64_t Limit = 0;                  // the least of the budget, MemoAt and the next look at the clock
  int64_t MemoAt = INT64_MAX;         // where the memory of failures starts, unless on already
  TRegExprBudget* Command = nullptr;  // with a time limit: the clock to ask
  TFrameStack& stack;
  size_t maxFrames = MinMaxFrames;
  std::vector<TLoopState>& loops;
  std::vector<int32_t>& iterStart;
  int p0 = -1, p1 = -1;      // the paired separator
  bool trackPasses = false;  // back references: a pass through a loop may match nothing
  bool memoOn = false;
  uint32_t* memo = nullptr;
  int memoWords = 0;  // per row
  // Above the bits of the states, levels of summaries: a bit of a level is set when the word
  // below it has all its bits set, up to a level of one word per row. A search for a clear bit
  // then costs a few words per level, whatever the length of the line.
  static constexpr int MaxLevels = 8;
  int levels = 0;
  int levelWords[MaxLevels] = {};  // per row
  size_t levelBase[MaxLevels] = {};
  int32_t* runFrom = nullptr;
  int32_t* runEnd = nullptr;

  // Made once per expression object; bound to an input and a program, armed for each search.
  explicit TRegExprMatcher(TRegExpr& AR)
      : R(AR),
        Prog(AR.program_),
        stack(AR.frames_->Stack),
        loops(AR.frames_->Loops),
        iterStart(AR.frames_->IterStart) {}

  void Bind() {
    Info = R.nodeInfo_.data();
    In = reinterpret_cast<const uint8_t*>(R.in_);
    Len = R.inLen_;
    maxFrames =
        R.frameLimit_ > 0
            ? R.frameLimit_
            : static_cast<size_t>(std::min<uint64_t>(
                  MaxFrames, std::max<uint64_t>(MinMaxFrames, uint64_t(FramesPerCharacter) * (uint64_t(Len) + 1))));
    trackPasses = R.hasBackRefs_;
    p0 = p1 = -1;
    if (R.pairedSeparator_.size() == 2) {
      p0 = static_cast<uint8_t>(R.pairedSeparator_[0]);
      p1 = static_cast<uint8_t>(R.pairedSeparator_[1]);
    }
  }

  void Arm(int64_t ABudget, int From) {
    Steps = 0;
    Budget = ABudget;
    MemoAt = INT64_MAX;
    memoOn = false;
    Command = R.budget_ && R.budget_->Timed() ? R.budget_ : nullptr;
    // Remembering costs a clear of the memory: it starts only once the search has done as
    // much work, so that short searches never pay for it.
    if (R.memoRows_ > 0 && R.failureMemory_ != TRegExpr::fmNever) {
      const int64_t words = int64_t(R.memoRows_) * ((Len + 32) / 32);
      if (words * 32 <= MaxMemoBits) {
        if (R.failureMemory_ == TRegExpr::fmAlways)
          StartMemo();
        else
          MemoAt = 2000 + 4 * int64_t(Len - From) + words;
      }
    }
    SetLimit();
  }
  void SetLimit() {
    Limit = std::min(Budget, memoOn ? INT64_MAX : MemoAt);
    if (Command) Limit = std::min(Limit, std::max(Command->NextLook(), Steps));
  }

  void Push(TFrameKind Kind, int Node, int Pos, int A) {
    if (stack.size() >= maxFrames || !stack.Push({Kind, Node, Pos, A})) R.Raise(TRegExpr::reeTooComplex);
  }
  void Tick() {
    if (++Steps > Limit) Over();
  }
  void Over() {
    if (Steps > Budget || (Command && Command->SpentAfter(Steps))) R.Raise(TRegExpr::reeTooComplex);
    if (!memoOn && Steps > MemoAt) StartMemo();
    SetLimit();
  }
  void StartMemo() {
    TRegExpr::TFrameStore& f = *R.frames_;
    memoWords = (Len + 32) / 32;
    size_t total = 0;
    levels = 0;
    for (int words = memoWords;; words = (words + 31) / 32) {
      levelWords[levels] = words;
      levelBase[levels] = total;
      total += static_cast<size_t>(R.memoRows_) * words;
      ++levels;
      if (words == 1 || levels == MaxLevels) break;
    }
    try {
      f.Memo.assign(total, 0);
    } catch (const std::bad_alloc&) {
      R.Raise(TRegExpr::reeTooComplex);
    }
    f.RunFrom.assign(Prog.size(), INT_MAX);
    f.RunEnd.assign(Prog.size(), 0);
    memo = f.Memo.data();
    runFrom = f.RunFrom.data();
    runEnd = f.RunEnd.data();
    memoOn = true;
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
  // How many times the operand of the repetition Node matches from Pos, at most Max; charged.
  // An open repetition remembers the run it counted while failures are remembered, so that the
  // starts inside it cost nothing.
  int Repeats(int Node, int OperandNode, int Pos, int Max) {
    if (memoOn && Max == InfiniteCount) {
      int& from = runFrom[Node];
      int& end = runEnd[Node];
      if (Pos >= from && Pos <= end) return end - Pos;
      // Just before the counted run: only the characters up to it need counting.
      const bool before = Pos < from && from <= end;
      const int n = Count(OperandNode, Pos, before ? from - Pos : InfiniteCount);
      Charge(n);
      if (!before || n < from - Pos) end = Pos + n;
      from = Pos;
      return end - Pos;
    }
    const int n = Count(OperandNode, Pos, Max);
    Charge(n);
    return n;
  }
  // Whether what follows a repetition can start at Pos: looks through group marks to a
  // literal or a node that needs one character of a kind, or a position test. Anything else
  // may match there.
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
      case opEol: return Pos >= Len;
      case opBol: return Pos == 0;
      case opEolML: return LineEnd(Pos);
      case opBolML: return LineStart(Pos);
      case opBound: return Boundary(Pos);
      case opNotBound: return !Boundary(Pos);
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

  // ---- the memory of failed states ----
  // A state is a node about to run at a position, with the counts of the counted loops around
  // it (a count at or above the minimum of an open loop counts as the minimum: the loop goes on
  // alike). Without back references the groups never change whether a state can succeed, so a
  // state reached a second time has failed the first time (the search would have ended) and
  // fails again: the matcher turns back at once.

  // The memory row of Node in the current loop counts, or -1 when it is not remembered.
  int RowOf(int Node) const {
    const TRegExpr::TNodeInfo& n = Info[Node];
    if (n.MemoRow < 0 || static_cast<int>(loops.size()) != n.LoopDepth) return -1;
    int row = 0;
    for (int i = 0; i < n.LoopDepth; ++i) {
      const int loop = R.loopLists_[n.LoopList + i];
      const int min = ReadInt(&Prog[Operand(loop)]);
      const int max = ReadInt(&Prog[Operand(loop) + 4]);
      const int count = max == InfiniteCount ? std::min(loops[i].Count, min) : loops[i].Count;
      row = row * (max == InfiniteCount ? min + 1 : max + 1) + count;
    }
    return n.MemoRow + row;
  }
  uint32_t* Words(int Level, int Row) { return memo + levelBase[Level] + static_cast<size_t>(Row) * levelWords[Level]; }
  // Sets the bit of Pos in Row, and the summaries above it of the words it fills.
  void SetBit(int Row, int Pos) {
    for (int level = 0; level < levels; ++level) {
      uint32_t& w = Words(level, Row)[Pos >> 5];
      w |= 1u << (Pos & 31);
      if (w != ~0u) return;
      Pos >>= 5;
    }
  }
  bool TestAndSet(int Row, int Pos) {
    if ((Words(0, Row)[Pos >> 5] >> (Pos & 31)) & 1) return true;
    SetBit(Row, Pos);
    return false;
  }
  void Set(int Row, int Pos) { SetBit(Row, Pos); }
  // Whether Node at Pos was reached before in this search; marks it reached.
  bool Seen(int Node, int Pos) {
    if (!memoOn) return false;
    const int row = RowOf(Node);
    return row >= 0 && TestAndSet(row, Pos);
  }
  static uint32_t AtMost(int Bit) { return Bit == 31 ? ~0u : (2u << Bit) - 1; }
  static uint32_t AtLeast(int Bit) { return ~0u << Bit; }
  // The highest / lowest index in Lo..Hi of Level whose bit in Row is clear, or -1: the word
  // of the end, then the summaries find the nearest word that is not full.
  int HighestClearAt(int Level, int Row, int Lo, int Hi) {
    if (Lo > Hi) return -1;
    const uint32_t* r = Words(Level, Row);
    const int first = Lo >> 5;
    int w = Hi >> 5;
    uint32_t bits = ~r[w] & AtMost(Hi & 31);
    if (w > first && !bits) {
      w = Level + 1 < levels ? HighestClearAt(Level + 1, Row, first, w - 1) : -1;
      if (w < 0) return -1;
      bits = ~r[w];
    }
    if (w == first) bits &= AtLeast(Lo & 31);
    return bits ? (w << 5) + 31 - __builtin_clz(bits) : -1;
  }
  int LowestClearAt(int Level, int Row, int Lo, int Hi) {
    if (Lo > Hi) return -1;
    const uint32_t* r = Words(Level, Row);
    const int last = Hi >> 5;
    int w = Lo >> 5;
    uint32_t bits = ~r[w] & AtLeast(Lo & 31);
    if (w < last && !bits) {
      w = Level + 1 < levels ? LowestClearAt(Level + 1, Row, w + 1, last) : -1;
      if (w < 0) return -1;
      bits = ~r[w];
    }
    if (w == last) bits &= AtMost(Hi & 31);
    return bits ? (w << 5) + __builtin_ctz(bits) : -1;
  }
  int HighestClear(int Row, int Lo, int Hi) { return HighestClearAt(0, Row, Lo, Hi); }
  int LowestClear(int Row, int Lo, int Hi) { return LowestClearAt(0, Row, Lo, Hi); }
  // The count Start + count in Lo..Hi (positions) that a simple repetition goes on with, going
  // Down or up, passing over states reached before and marking those that fail at once. A node
  // that remembers its own visits is marked when it runs.
  int RememberedCount(int Row, int Next, int Start, int Lo, int Hi, bool Down) {
    while (Lo <= Hi) {
      const int p = Down ? HighestClear(Row, Lo, Hi) : LowestClear(Row, Lo, Hi);
      if (p < 0) return -1;
      Tick();
      const bool allowed = NextAllows(Next, p);
      if (!allowed || !Info[Next].SelfMarked) Set(Row, p);
      if (allowed) return p - Start;
      if (Down)
        Hi = p - 1;
      else
        Lo = p + 1;
    }
    return -1;
  }

  // The lowest count from C upwards the non-greedy repetition can continue with, or -1.
  int UpwardCount(int Node, int Start, int C) {
    const int operand = Prog[Node] == opBracesNG ? Operand(Node) + 8 : Operand(Node);
    const int max = Prog[Node] == opBracesNG ? ReadInt(&Prog[Operand(Node) + 4]) : InfiniteCount;
    const int next = NextNode(Prog, Node);
    if (memoOn) {
      const int row = RowOf(next);
      if (row >= 0) {
        if (C > max) return -1;
        const int run =
            Start + C >= Len ? 0 : Repeats(Node, operand, Start + C, max == InfiniteCount ? InfiniteCount : max - C);
        return RememberedCount(row, next, Start, Start + C, Start + C + std::min(run, max - C), false);
      }
    }
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
    if (memoOn && C >= Min) {
      const int row = RowOf(next);
      if (row >= 0) return RememberedCount(row, next, Start, Start + Min, Start + C, true);
    }
    for (; C >= Min; --C) {
      Tick();
      if (NextAllows(next, Start + C)) return C;
    }
    return -1;
  }
  // Whether the count C of the repetition Node at Start can go on to the node after it; marks
  // the state reached.
  bool Continues(int Node, int Start, int C) {
    const int next = NextNode(Prog, Node);
    if (!NextAllows(next, Start + C)) return false;
    if (!memoOn || Info[next].SelfMarked) return true;
    const int row = RowOf(next);
    return row < 0 || !TestAndSet(row, Start + C);
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
    if (trackPasses) iterStart.assign(R.iterExit_.size(), -1);
    int scan = R.startNode_;
    for (;;) {
      Tick();
      if (trackPasses && Info[scan].IterLoop >= 0) {
        const int k = Info[scan].IterLoop;
        Push(fkIterStart, k, iterStart[k], 0);
        iterStart[k] = Pos;
      }
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
        case opComment: break;
        case opBack:
          // A pass that matched nothing ends the repetition: another would match nothing again.
          if (trackPasses && Info[scan].BackLoop >= 0 && iterStart[Info[scan].BackLoop] == Pos)
            next = R.iterExit_[Info[scan].BackLoop];
          break;
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
        case opBranch:
          if (memoOn && Seen(scan, Pos)) goto fail;
          next = ChooseBranch(scan, Pos);
          break;
        case opStar:
        case opPlus:
        case opBraces: {
          const bool braces = op == opBraces;
          const int operand = braces ? Operand(scan) + 8 : Operand(scan);
          const int max = braces ? ReadInt(&Prog[Operand(scan) + 4]) : InfiniteCount;
          const int n = Repeats(scan, operand, Pos, max);
          const int min = MinOf(Prog, scan);
          const int c = !Possessive(scan)                     ? DownwardCount(scan, Pos, n, min)
                        : n >= min && Continues(scan, Pos, n) ? n
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
          loops.push_back({0, -1});
          break;
        case opLoop:
        case opLoopNG:
          if (loops.empty()) R.Raise(1015);
          if (memoOn && Seen(scan, Pos)) goto fail;
          Loop(scan, Pos, next);
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
    // The choice point names the first later alternative that can match here: none is left
    // when none can, so that a long repetition of alternatives keeps fewer of them.
    while (next >= 0 && Prog[next] == opBranch && AlternativeFails(Operand(next), Pos)) next = NextNode(Prog, next);
    if (next >= 0 && Prog[next] == opBranch) Push(fkAlternative, next, Pos, 0);
    return Operand(Branch);
  }

  // A pass through a loop node: iterate the operand again or leave, as the counts and the
  // greediness say. Sets Next to the node to go on with.
  void Loop(int Node, int Pos, int& Next) {
    const int min = ReadInt(&Prog[Operand(Node)]);
    const int max = ReadInt(&Prog[Operand(Node) + 4]);
    const int entry = Node + ReadInt(&Prog[Operand(Node) + 8]);
    TLoopState& top = loops.back();
    const int cnt = top.Count;
    // Once the minimum is met, a pass that matched nothing ends the loop: another would match
    // nothing again. Below it the passes the count asks for are made, empty or not.
    if (trackPasses && cnt > 0 && cnt >= min && top.Start == Pos) {
      Leave(Node, cnt, Next);
      return;
    }
    if (cnt < min) {
      Push(fkLoopCount, Node, top.Start, cnt);
      top = {cnt + 1, Pos};
      Next = Operand(entry);
      return;
    }
    if (Prog[Node] == opLoop && cnt < max) {
      Push(fkLoopExit, Node, Pos, cnt);
      if (trackPasses) Push(fkLoopCount, Node, top.Start, cnt);
      top = {cnt + 1, Pos};
      Next = Operand(entry);
      return;
    }
    if (Prog[Node] == opLoopNG && cnt < max) Push(fkLoopIterate, Node, Pos, cnt);
    Leave(Node, cnt, Next);
  }
  void Leave(int Node, int Cnt, int& Next) {
    Push(fkLoopRepush, Node, loops.back().Start, Cnt);
    loops.pop_back();
    Next = NextNode(Prog, Node);
  }

  // Returns to the latest choice point; false when there is none.
  bool Backtrack(int& Scan, int& Pos) {
    while (!stack.empty()) {
      const TFrame f = stack.Pop();
      Tick();
      switch (f.Kind) {
        case fkRestoreStart: R.startP_[f.A] = f.Pos; break;
        case fkRestoreEnd: R.endP_[f.A] = f.Pos; break;
        case fkIterStart: iterStart[f.Node] = f.Pos; break;
        case fkLoopCount: loops.back() = {f.A, f.Pos}; break;
        case fkLoopUnpush: loops.pop_back(); break;
        case fkLoopRepush: loops.push_back({f.A, f.Pos}); break;
        case fkAlternative:
          if (memoOn && Seen(f.Node, f.Pos)) break;
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
          loops.back().Count = f.A;
          Leave(f.Node, f.A, Scan);
          Pos = f.Pos;
          return true;
        case fkLoopIterate: {
          Push(fkLoopCount, f.Node, loops.back().Start, f.A);
          loops.back() = {f.A + 1, f.Pos};
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
  if (separatorsFor_ != LineSeparators.Version()) {
    separators_.fill(false);
    for (char c : LineSeparators) separators_[static_cast<uint8_t>(c)] = true;
    separatorsFor_ = LineSeparators.Version();
    std::fill(possessive_.begin(), possessive_.end(), 0);
  }
  // \w and \s are compiled into the program as the sets they were then.
  if (wordCharsFor_ != WordChars.Version()) {
    wordTable_.fill(false);
    for (char c : WordChars) wordTable_[static_cast<uint8_t>(c)] = true;
    wordCharsFor_ = WordChars.Version();
    program_.clear();
  }
  if (spaceCharsFor_ != SpaceChars.Version()) {
    spaceCharsFor_ = SpaceChars.Version();
    program_.clear();
  }
  if (invertFor_ != InvertCase) {
    BuildCaseTable();
    program_.clear();
  }
  if (program_.empty()) Compile();
  if (program_[0] != ProgramMarker) Raise(1004);
}

void TRegExpr::NewInput() {
  credited_ = false;
  mustFrom_ = mustAt_ = mustNoneFrom_ = requiredAt_ = requiredNoneFrom_ = -1;
  matcherBound_ = false;
}

void TRegExpr::SetInputString(std::string_view Value) {
  input_.assign(Value);
  SetInputView(input_);
}

void TRegExpr::SetInputView(std::string_view Value) {
  in_ = Value.data();
  inLen_ = static_cast<int>(Value.size());
  hasInput_ = true;
  // Groups above those of the program are never set.
  Unset(startP_, groupCount_ + 1);
  Unset(endP_, groupCount_ + 1);
  NewInput();
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

void TRegExpr::TLiteral::Prepare(const std::array<uint8_t, 256>& Invert) {
  const int n = static_cast<int>(Text.size());
  const auto* t = reinterpret_cast<const uint8_t*>(Text.data());
  // The shift after a window whose last byte is c: to the last place before the end where c
  // could stand in a match.
  Shift.fill(std::max(n, 1));
  for (int k = 0; k + 1 < n; ++k) {
    Shift[t[k]] = n - 1 - k;
    if (IgnoreCase) Shift[Invert[t[k]]] = std::min(Shift[Invert[t[k]]], n - 1 - k);
  }
  if (IgnoreCase) {
    // A byte whose other case is a pattern byte can stand there too; later places win.
    for (int c = 0; c < 256; ++c)
      for (int k = n - 2; k >= 0; --k)
        if (c == t[k] || c == Invert[t[k]]) {
          Shift[c] = n - 1 - k;
          break;
        }
  }
}

int TRegExpr::TLiteral::Find(const uint8_t* In, int Len, int From, const std::array<uint8_t, 256>& Invert) const {
  const int n = static_cast<int>(Text.size());
  const auto* t = reinterpret_cast<const uint8_t*>(Text.data());
  if (n == 0) return From <= Len ? From : -1;
  const int last = n - 1;
  if (!IgnoreCase) {
    if (n == 1) {
      const void* hit = From < Len ? std::memchr(In + From, t[0], static_cast<size_t>(Len - From)) : nullptr;
      return hit ? static_cast<int>(static_cast<const uint8_t*>(hit) - In) : -1;
    }
    for (int p = From; p + n <= Len; p += Shift[In[p + last]]) {
      if (In[p + last] != t[last]) continue;
      int i = 0;
      while (i < last && In[p + i] == t[i]) ++i;
      if (i == last) return p;
    }
    return -1;
  }
  auto same = [&](uint8_t c, uint8_t p) { return c == p || c == Invert[p]; };
  for (int p = From; p + n <= Len; p += Shift[In[p + last]]) {
    if (!same(In[p + last], t[last])) continue;
    int i = 0;
    while (i < last && same(In[p + i], t[i])) ++i;
    if (i == last) return p;
  }
  return -1;
}

bool TRegExpr::SearchFrom(int Offset) {
  // Groups above those of the program are never set: clearing the program's is enough.
  Unset(startP_, groupCount_ + 1);
  Unset(endP_, groupCount_ + 1);
  EnsureProgram();
  if (!hasInput_) Raise(1005);
  if (Offset < 1) Raise(1006);
  const int len = inLen_;
  if (budget_) {
    // An input's characters bring their share once, however many searches it takes.
    budget_->Credit(credited_ ? -1 : len);
    credited_ = true;
  }
  if (Offset > len + 1) return false;
  const int from = Offset - 1;
  const auto* in = reinterpret_cast<const uint8_t*>(in_);

  // What every match contains, searched once per input as far as needed: its first occurrence
  // from mustFrom_ on is at mustAt_.
  if (shortcuts_ && !must_.Text.empty()) {
    if (mustNoneFrom_ >= 0 && from >= mustNoneFrom_) return false;
    if (from < mustFrom_ || from > mustAt_) {
      mustFrom_ = from;
      mustAt_ = must_.Find(in, len, from, invert_);
      if (mustAt_ < 0) {
        mustNoneFrom_ = from;
        return false;
      }
    }
    if (pureLiteral_) {
      startP_[0] = mustAt_;
      endP_[0] = mustAt_ + static_cast<int>(must_.Text.size());
      return true;
    }
  }
  if (shortcuts_ && hasRequiredSet_) {
    if (requiredNoneFrom_ >= 0 && from >= requiredNoneFrom_) return false;
    if (requiredAt_ < from) {
      int p = from;
      while (p < len && !requiredSet_[in[p]]) ++p;
      if (p >= len) {
        requiredNoneFrom_ = from;
        return false;
      }
      requiredAt_ = p;
    }
  }
  return Attempts(from);
}

int TRegExpr::NextStart(int P) const {
  const int len = inLen_;
  const auto* in = reinterpret_cast<const uint8_t*>(in_);
  if (shortcuts_ && mustStarts_) return P <= mustAt_ && P >= mustFrom_ ? mustAt_ : must_.Find(in, len, P, invert_);
  if (firstChar_ >= 0) {
    const void* hit = P < len ? std::memchr(in + P, firstChar_, static_cast<size_t>(len - P)) : nullptr;
    return hit ? static_cast<int>(static_cast<const uint8_t*>(hit) - in) : -1;
  }
  if (shortcuts_ && !startPairs_.empty()) {
    for (; P + 1 < len; ++P) {
      const unsigned pair = in[P] << 8 | in[P + 1];
      if ((startPairs_[pair >> 5] >> (pair & 31)) & 1) return P;
    }
    return -1;
  }
  if (shortcuts_ && startsAtWord_) {
    for (; P < len; ++P)
      if (firstCharSet_[in[P]] && (P == 0 || !wordTable_[in[P - 1]])) return P;
    return -1;
  }
  for (; P < len; ++P)
    if (firstCharSet_[in[P]]) return P;
  return canBeEmpty_ ? len : -1;
}

bool TRegExpr::Attempts(int From) {
  const int len = inLen_;
  // Where the first attempt can start is found before anything is set up for it.
  const int first = anchored_ ? From : NextStart(From);
  if (first < 0) return false;
  // About two seconds of work, and more on a longer line, before a search counts as too complex,
  // so that a search that a plain backtracking matcher ends within a second is answered.
  int64_t budget = stepBudget_ > 0 ? stepBudget_ : BaseStepBudget + StepsPerCharacter * (len - From);
  if (budget_) {
    // The command's budget ran out on an earlier search: this one does not start.
    if (budget_->SpentAfter(0)) Raise(reeTooComplex);
    budget = std::min(budget, budget_->StepsLeft());
  }
  if (!frames_) {
    frames_ = std::make_shared<TFrameStore>();
    matcher_ = std::make_shared<TRegExprMatcher>(*this);
  }
  TRegExprMatcher& m = *matcher_;
  if (!matcherBound_) {
    m.Bind();
    matcherBound_ = true;
  }
  m.Arm(budget, From);
  struct TTrim {
    TFrameStore& Store;
    TRegExprMatcher& M;
    TRegExprBudget* Budget;
    ~TTrim() {
      Store.Stack.Trim(KeptFrames);
      if (Store.Memo.capacity() > KeptMemoWords) std::vector<uint32_t>().swap(Store.Memo);
      if (Budget) {
        Budget->Charge(M.Steps);
        Budget->SearchEnded();
      }
    }
  } trim{*frames_, m, budget_};
  try {
    if (shortcuts_ && simpleRun_) {
      // One greedy repetition: the run of its operand at the first place where it is long enough.
      const uint8_t op = program_[startNode_];
      const int operand = op == opBraces ? Operand(startNode_) + 8 : Operand(startNode_);
      const int min = op == opStar ? 0 : op == opPlus ? 1 : ReadInt(&program_[Operand(startNode_)]);
      const int max = op == opBraces ? ReadInt(&program_[Operand(startNode_) + 4]) : InfiniteCount;
      // A run too short is as short from every place inside it: the next try starts after it.
      for (int p = first; p >= 0;) {
        const int n = m.Count(operand, p, max);
        if (n >= min) {
          startP_[0] = p;
          endP_[0] = p + n;
          return true;
        }
        p = p + n + 1 <= len ? NextStart(p + n + 1) : -1;
      }
      return false;
    }
    const int leadOperand = !shortcuts_ || leadRepeat_ < 0 ? -1
                            : program_[leadRepeat_] == opBraces || program_[leadRepeat_] == opBracesNG
                                ? Operand(leadRepeat_) + 8
                                : Operand(leadRepeat_);
    // Where the run of the alphabet of matches from the current start ends, and where the next
    // character that every match needs is.
    const auto* in = reinterpret_cast<const uint8_t*>(in_);
    int outAt = -1, neededAt = -1;
    for (int p = first; p >= 0;) {
      if (shortcuts_ && runSkip_) {
        if (p > outAt)
          for (outAt = p; outAt < len && alphabet_[in[outAt]];) ++outAt;
        if (p > neededAt)
          for (neededAt = p; neededAt < len && !needed_[in[neededAt]];) ++neededAt;
        if (neededAt >= outAt) {
          p = outAt + 1 <= len ? NextStart(outAt + 1) : -1;
          continue;
        }
      }
      int end;
      if (m.Run(p, end)) {
        startP_[0] = p;
        endP_[0] = end;
        return true;
      }
      if (anchored_ || p >= len) break;
      // A failed attempt that began in a run of the leading repetition's operand covers the
      // rest of the run: the next one starts after it.
      int next = p + 1;
      if (leadOperand >= 0 && m.One(leadOperand, p)) next = p + m.Count(leadOperand, p, InfiniteCount) + 1;
      p = next <= len ? NextStart(next) : -1;
    }
    return false;
  } catch (...) {
    // An attempt stopped half-way leaves no groups behind.
    startP_.fill(-1);
    endP_.fill(-1);
    throw;
  }
}

void TRegExpr::SetFrameLimit(size_t Value) {
  frameLimit_ = Value;
  matcherBound_ = false;
}

int64_t TRegExprBudget::SystemClock() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<int64_t>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<int64_t>(t.QuadPart / (frequency / 1000));
}

TRegExprBudget::TRegExprBudget(int64_t Milliseconds, int64_t Steps, TClock Clock)
    : clock_(Clock), milliseconds_(std::max<int64_t>(Milliseconds, 0)) {
  if (Steps > 0) steps_ = left_ = Steps;
}

void TRegExprBudget::SetShares(int64_t PerSearch, int64_t PerCharacter) {
  perSearch_ = std::max<int64_t>(PerSearch, 0);
  perCharacter_ = std::max<int64_t>(PerCharacter, 0);
}

void TRegExprBudget::Credit(int Characters) {
  if (spent_ || steps_ == INT64_MAX) return;
  if (Characters >= 0) left_ = std::min(left_, steps_) + perCharacter_ * Characters;
  left_ += perSearch_;
}

int64_t TRegExprBudget::StepsLeft() const { return std::max<int64_t>(left_, 0); }

void TRegExprBudget::Charge(int64_t Steps) {
  used_ += Steps;
  if (left_ != INT64_MAX) left_ -= Steps;
}

bool TRegExprBudget::SpentAfter(int64_t Steps) {
  if (spent_ || Steps >= left_) return spent_ = true;
  if (!Timed() || used_ + Steps < lookAt_) return false;
  lookAt_ = used_ + Steps + ClockStride;
  const int64_t now = clock_();
  if (searchStart_ < 0) searchStart_ = now;
  if (inside_ + (now - searchStart_) >= milliseconds_) spent_ = true;
  return spent_;
}

void TRegExprBudget::SearchEnded() {
  if (searchStart_ < 0) return;
  inside_ += clock_() - searchStart_;
  searchStart_ = -1;
}

bool TRegExprBudget::Spent() {
  if (!spent_) spent_ = left_ <= 0 || (Timed() && inside_ >= milliseconds_);
  return spent_;
}

int TRegExpr::GetMatchPos(int Index) const {
  if (Index < 0 || Index >= NSUBEXP || !hasInput_ || startP_[Index] < 0 || endP_[Index] < 0) return -1;
  return startP_[Index] + 1;
}

int TRegExpr::GetMatchLen(int Index) const {
  if (Index < 0 || Index >= NSUBEXP || !hasInput_ || startP_[Index] < 0 || endP_[Index] < 0) return -1;
  return endP_[Index] - startP_[Index];
}

AnsiString TRegExpr::Substitute(const AnsiString& ATemplate) {
  if (!hasInput_) Raise(1005);
  return SubstituteGroups(ATemplate, std::string_view(in_, static_cast<size_t>(inLen_)), startP_.data(), endP_.data(),
                          NSUBEXP);
}

AnsiString TRegExpr::SubstituteGroups(const AnsiString& ATemplate, std::string_view Text, const int* Starts,
                                      const int* Ends, int Count) {
  AnsiString result;
  const int n = static_cast<int>(ATemplate.size());
  auto group = [&](int64_t g) {
    if (g < 0 || g >= Count || Starts[g] < 0 || Ends[g] < Starts[g]) return;
    result.append(Text.substr(static_cast<size_t>(Starts[g]), static_cast<size_t>(Ends[g] - Starts[g])));
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
  const std::string_view in(in_, static_cast<size_t>(inLen_));
  int prev = 0;
  do {
    result.append(in.substr(static_cast<size_t>(prev), static_cast<size_t>(startP_[0] - prev)));
    result += AUseSubstitution ? Substitute(AReplaceStr) : AReplaceStr;
    prev = endP_[0];
  } while (ExecNext());
  result.append(in.substr(static_cast<size_t>(prev)));
  return result;
}
