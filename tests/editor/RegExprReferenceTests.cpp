// The engine against a small backtracking matcher written here from the rules of leftmost-first
// matching, over seeded generated expressions and subjects: literals, classes, the dot, word
// bounds, groups, alternation, greedy and lazy repetitions of every count, and back references.
// The two must agree on every match and every group.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "editor/TxtEditRegExpr.h"

namespace {

struct TNode;
using TSequence = std::vector<std::shared_ptr<TNode>>;

enum TNodeKind { nkChar, nkClass, nkBound, nkNotBound, nkGroup, nkBackRef };

// One atom with its repetition counts (1, 1 for none).
struct TNode {
  TNodeKind Kind = nkChar;
  char Char = 'a';
  std::string ClassText;                // as written: "[ab]", "\\w", "." ...
  std::function<bool(char)> Accepts;    // the class's characters
  std::vector<TSequence> Alternatives;  // a group's
  int Group = 0;                        // a group's number, or the one referred to
  int Min = 1, Max = 1;
  bool Lazy = false;
};

constexpr int kOpen = 1 << 20;

bool IsWord(char C) { return (C >= '0' && C <= '9') || (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || C == '_'; }
bool IsSpace(char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r' || C == '\f'; }

// The expression text of a sequence.
std::string Written(const TSequence& Seq);

std::string Written(const TNode& N) {
  std::string atom;
  switch (N.Kind) {
    case nkChar: atom = std::string(1, N.Char); break;
    case nkClass: atom = N.ClassText; break;
    case nkBound: atom = "\\b"; break;
    case nkNotBound: atom = "\\B"; break;
    case nkBackRef: atom = "\\" + std::to_string(N.Group); break;
    case nkGroup:
      atom = "(";
      for (size_t i = 0; i < N.Alternatives.size(); ++i) atom += (i ? "|" : "") + Written(N.Alternatives[i]);
      atom += ")";
      break;
  }
  if (N.Min == 1 && N.Max == 1) return atom;
  if (N.Min == 0 && N.Max == kOpen)
    atom += "*";
  else if (N.Min == 1 && N.Max == kOpen)
    atom += "+";
  else if (N.Min == 0 && N.Max == 1)
    atom += "?";
  else if (N.Max == kOpen)
    atom += "{" + std::to_string(N.Min) + ",}";
  else if (N.Min == N.Max)
    atom += "{" + std::to_string(N.Min) + "}";
  else
    atom += "{" + std::to_string(N.Min) + "," + std::to_string(N.Max) + "}";
  return N.Lazy ? atom + "?" : atom;
}

std::string Written(const TSequence& Seq) {
  std::string s;
  for (const auto& n : Seq) s += Written(*n);
  return s;
}

// Builds random expressions as trees; groups are numbered as their parentheses open.
struct TGenerator {
  std::mt19937& Rng;
  int Groups = 0;
  int Pick(int N) { return std::uniform_int_distribution<int>(0, N - 1)(Rng); }

  std::shared_ptr<TNode> Atom(int Depth) {
    auto n = std::make_shared<TNode>();
    const int kind = Pick(Depth > 0 ? 12 : 9);
    if (kind < 3) {
      n->Kind = nkChar;
      n->Char = "ab c"[Pick(4)];
    } else if (kind < 6) {
      static const struct {
        const char* Text;
        bool (*Accepts)(char);
      } classes[] = {
          {"[ab]", [](char c) { return c == 'a' || c == 'b'; }},
          {"[^a]", [](char c) { return c != 'a'; }},
          {"\\w", IsWord},
          {"\\s", IsSpace},
          {"\\S", [](char c) { return !IsSpace(c); }},
          {"\\d", [](char c) { return c >= '0' && c <= '9'; }},
          {".", [](char) { return true; }},
      };
      const auto& c = classes[Pick(static_cast<int>(std::size(classes)))];
      n->Kind = nkClass;
      n->ClassText = c.Text;
      n->Accepts = c.Accepts;
    } else if (kind == 6) {
      n->Kind = Pick(2) ? nkBound : nkNotBound;
    } else if (kind < 9) {
      n->Kind = nkBackRef;
      n->Group = 1 + Pick(3);
    } else {
      n->Kind = nkGroup;
      n->Group = ++Groups;
      const int alternatives = 1 + Pick(2) + Pick(2);
      for (int i = 0; i < alternatives; ++i) n->Alternatives.push_back(Sequence(Depth - 1));
    }
    if (Pick(2) == 0) {
      static const int counts[][2] = {{0, kOpen}, {1, kOpen}, {0, 1},     {2, 2}, {1, 3},
                                      {2, 4},     {0, 2},     {2, kOpen}, {3, 3}};
      const auto& c = counts[Pick(static_cast<int>(std::size(counts)))];
      n->Min = c[0];
      n->Max = c[1];
      n->Lazy = Pick(3) == 0;
    }
    return n;
  }
  TSequence Sequence(int Depth) {
    TSequence s;
    for (int i = Pick(4); i >= 0; --i) s.push_back(Atom(Depth));
    return s;
  }
};

// The reference: continuation-passing backtracking, groups set where their parentheses are
// passed and put back when a choice is undone.
struct TReference {
  const std::string& S;
  bool BackRefs;
  std::vector<int> Start, End;
  long Steps = 0;
  bool Exhausted = false;
  using TNext = std::function<bool(int)>;

  TReference(const std::string& AS, bool ABackRefs) : S(AS), BackRefs(ABackRefs), Start(16, -1), End(16, -1) {}

  bool Tick() {
    if (++Steps > 2000000) Exhausted = true;
    return !Exhausted;
  }
  bool Boundary(int P) const {
    const bool before = P > 0 && IsWord(S[P - 1]);
    const bool here = P < static_cast<int>(S.size()) && IsWord(S[P]);
    return before != here;
  }
  bool Sequence(const TSequence& Seq, size_t I, int P, const TNext& Next) {
    if (!Tick()) return false;
    if (I == Seq.size()) return Next(P);
    return Piece(*Seq[I], P, [&](int Q) { return Sequence(Seq, I + 1, Q, Next); });
  }
  // The atom once from P.
  bool Once(const TNode& N, int P, const TNext& Next) {
    const int len = static_cast<int>(S.size());
    switch (N.Kind) {
      case nkChar: return P < len && S[P] == N.Char && Next(P + 1);
      case nkClass: return P < len && N.Accepts(S[P]) && Next(P + 1);
      case nkBound: return Boundary(P) && Next(P);
      case nkNotBound: return !Boundary(P) && Next(P);
      case nkBackRef: {
        const int s = Start[N.Group], e = End[N.Group];
        if (s < 0 || e < 0 || e < s || e - s > len - P || S.compare(P, e - s, S, s, e - s) != 0) return false;
        return Next(P + e - s);
      }
      case nkGroup:
        for (const TSequence& alt : N.Alternatives) {
          const int oldStart = Start[N.Group];
          Start[N.Group] = P;
          const bool ok = Sequence(alt, 0, P, [&](int Q) {
            const int oldEnd = End[N.Group];
            End[N.Group] = Q;
            if (Next(Q)) return true;
            End[N.Group] = oldEnd;
            return false;
          });
          if (ok) return true;
          Start[N.Group] = oldStart;
          if (Exhausted) return false;
        }
        return false;
    }
    return false;
  }
  // Count passes are done, the last one from PassStart. Once the minimum is met a pass that
  // matched nothing ends the repetition (only a back reference can match nothing).
  bool Repeat(const TNode& N, int Count, int P, int PassStart, const TNext& Next) {
    if (!Tick()) return false;
    auto pass = [&] { return Once(N, P, [&](int Q) { return Repeat(N, Count + 1, Q, P, Next); }); };
    if (BackRefs && Count > 0 && Count >= N.Min && PassStart == P) return Next(P);
    if (Count < N.Min) return pass();
    if (Count >= N.Max) return Next(P);
    if (N.Lazy) return Next(P) || (!Exhausted && pass());
    return pass() || (!Exhausted && Next(P));
  }
  bool Piece(const TNode& N, int P, const TNext& Next) {
    if (N.Min == 1 && N.Max == 1) return Once(N, P, Next);
    return Repeat(N, 0, P, -1, Next);
  }
  // The leftmost match: "pos:len" and each group set, or "none"; empty when the work ran out.
  std::string Search(const std::vector<TSequence>& Top, int Groups) {
    for (int p = 0; p <= static_cast<int>(S.size()); ++p) {
      for (const TSequence& alt : Top) {
        std::fill(Start.begin(), Start.end(), -1);
        std::fill(End.begin(), End.end(), -1);
        int end = -1;
        if (Sequence(alt, 0, p, [&](int Q) {
              end = Q;
              return true;
            })) {
          std::string r = std::to_string(p + 1) + ":" + std::to_string(end - p);
          for (int g = 1; g <= Groups; ++g)
            r += " " + (Start[g] >= 0 && End[g] >= 0
                            ? std::to_string(Start[g] + 1) + ":" + std::to_string(End[g] - Start[g])
                            : std::string("-"));
          return r;
        }
        if (Exhausted) return "";
      }
    }
    return "none";
  }
};

std::string EngineSearch(TRegExpr& R, const std::string& Subject, int Groups) {
  if (!R.Exec(Subject)) return "none";
  std::string r = std::to_string(R.GetMatchPos(0)) + ":" + std::to_string(R.GetMatchLen(0));
  for (int g = 1; g <= Groups; ++g)
    r += " " + (R.GetMatchPos(g) >= 0 ? std::to_string(R.GetMatchPos(g)) + ":" + std::to_string(R.GetMatchLen(g))
                                      : std::string("-"));
  return r;
}

bool HasBackRef(const TSequence& Seq) {
  for (const auto& n : Seq) {
    if (n->Kind == nkBackRef) return true;
    for (const TSequence& alt : n->Alternatives)
      if (HasBackRef(alt)) return true;
  }
  return false;
}

}  // namespace

TEST(RegExprReference, EveryMatchAndGroupAgreeWithALeftmostFirstBacktracker) {
  std::mt19937 rng(5201401);
  int compared = 0, matched = 0, withBackRefs = 0;
  for (int i = 0; i < 8000; ++i) {
    TGenerator gen{rng};
    // Alternatives at the top level too, in one expression of four.
    std::vector<TSequence> top{gen.Sequence(2)};
    if (i % 4 == 0) top.push_back(gen.Sequence(1));
    std::string expr;
    for (const TSequence& alt : top) expr += (&alt == &top[0] ? "" : "|") + Written(alt);
    TRegExpr r;
    r.SetExpression(expr);
    try {
      r.Compile();
    } catch (const ERegExpr&) {
      continue;  // an operand that can be empty under * or +, or too many groups
    }
    bool backRefs = false;
    for (const TSequence& alt : top) backRefs = backRefs || HasBackRef(alt);
    for (int k = 0; k < 3; ++k) {
      std::string subject(static_cast<size_t>(std::uniform_int_distribution<int>(0, 9)(rng)), ' ');
      for (char& c : subject) c = "aab c1"[rng() % 6];
      TReference ref(subject, backRefs);
      const std::string want = ref.Search(top, gen.Groups);
      if (want.empty()) continue;
      std::string got;
      try {
        got = EngineSearch(r, subject, gen.Groups);
      } catch (const ERegExpr& e) {
        got = "error " + std::to_string(e.ErrorCode);
      }
      ASSERT_EQ(got, want) << expr << " in \"" << subject << "\"";
      ++compared;
      matched += want != "none";
      withBackRefs += backRefs;
    }
  }
  // The generator must reach the matcher often, with back references too, or the test proves
  // little.
  EXPECT_GT(compared, 12000);
  EXPECT_GT(matched, 3500);
  EXPECT_GT(withBackRefs, 6000);
}
