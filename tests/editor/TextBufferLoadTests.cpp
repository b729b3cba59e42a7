// Loading and setting large texts: lines split across the pieces a file is read in, a handler
// that changes the list while loading announces lines, and a fuzz test against a plain split.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "editor/TxtEditTextBuffer.h"
#include "framework/Streams.h"

namespace {

using Strings = std::vector<std::string>;

// What loading must give, by the plain rule: CR LF, CR and LF each end a line, and a break at
// the very end adds an empty line when FinalLine is set.
Strings PlainSplit(const std::string& text, bool FinalLine) {
  Strings lines;
  size_t p = 0;
  while (p < text.size()) {
    size_t start = p;
    while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
    lines.push_back(text.substr(start, p - start));
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
  }
  if (FinalLine && !text.empty() && (text.back() == '\r' || text.back() == '\n')) lines.push_back("");
  return lines;
}

Strings Lines(TTxtEditStringList& l) {
  Strings v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(std::string(l.LineView(i)));
  return v;
}

void Load(TTxtEditStringList& l, const std::string& bytes) {
  TStringStream s(bytes);
  l.LoadFromStream(&s);
}

// A text of Size bytes of 'x' with Break placed so that it starts At.
std::string TextWithBreakAt(size_t Size, size_t At, const std::string& Break) {
  std::string text(Size, 'x');
  text.replace(At, Break.size(), Break);
  return text;
}

// Inserts, deletes or clears from inside the insertion events, by a plan keyed on the count.
struct TMeddler {
  TTxtEditStringList* List;
  int Mode;
  void Inserted(TObject*, int Index, int) {
    if (Index % 3 != 1) return;
    if (Mode == 0) List->Insert(0, "meddle " + std::to_string(Index));
    if (Mode == 1) List->Delete(0);
    if (Mode == 2 && Index == 4) List->Clear();
    if (Mode == 3) List->SetCapacity(List->Count() + 100);
  }
};

}  // namespace

TEST(TextBufferLoad, BreaksAcrossThePiecesOfAReadStayWhole) {
  // Breaks round every power of two from 64 KB to 2 MB: where a reader may cut its pieces.
  for (size_t piece = 1 << 16; piece <= (1 << 21); piece <<= 1)
    for (const char* brk : {"\r\n", "\r", "\n", "\n\r"})
      for (size_t at = piece - 2; at <= piece + 1; ++at) {
        const std::string text = TextWithBreakAt(piece + 100, at, brk);
        TTxtEditStringList l;
        Load(l, text);
        ASSERT_EQ(Lines(l), PlainSplit(text, true)) << piece << " " << at << " " << brk[0] + 0;
      }
}

TEST(TextBufferLoad, ALargeTextRoundTripsWithItsLineBreakFormat) {
  std::mt19937 rng(11);
  for (const char* brk : {"\r\n", "\n", "\r"}) {
    std::string text;
    while (text.size() < 1500000) {
      text.append(rng() % 120, static_cast<char>('a' + rng() % 26));
      text += brk;
    }
    TTxtEditStringList l;
    Load(l, text);
    EXPECT_EQ(l.Count(), static_cast<int>(PlainSplit(text, true).size()));
    TStringStream out;
    l.SaveToStream(&out);
    EXPECT_TRUE(out.DataString() == text) << "break " << brk[0] + 0;
  }
}

TEST(TextBufferLoad, AHandlerThatChangesTheListSeesWhatAddingLineByLineGives) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i) + (i % 5 ? "\r\n" : "\n");
  for (int mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE(mode);
    TTxtEditStringList loaded, added;
    TMeddler m1{&loaded, mode}, m2{&added, mode};
    loaded.Add("before");
    added.Add("before");
    loaded.OnLinesInserted = TTxtEditLinesEvent(&m1, &TMeddler::Inserted);
    Load(loaded, text);
    added.OnLinesInserted = TTxtEditLinesEvent(&m2, &TMeddler::Inserted);
    added.BeginUpdate();
    added.Clear();
    for (const std::string& s : PlainSplit(text, true)) added.Add(s);
    added.EndUpdate();
    EXPECT_EQ(Lines(loaded), Lines(added));
    // The list goes on working as a list.
    loaded.OnLinesInserted = nullptr;
    for (int i = 0; i < 300; ++i) loaded.Insert(loaded.Count() / 2, "x");
    loaded.DeleteLines(0, 100);
    EXPECT_EQ(loaded.Count(), added.Count() + 200);
  }
}

TEST(TextBufferLoad, SetTextSplitsAsTheStringListRuleAndKeepsTheFormat) {
  struct Case {
    std::string text;
    Strings lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},  // no empty last line
      {"a\r\n\r\n", {"a", ""}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"\n\r", {"", ""}},
      {std::string("x\0y", 3), {std::string("x\0y", 3)}},
  };
  for (const Case& c : cases) {
    TTxtEditStringList l;
    l.SetLineBreakFormat(lbfLF);
    l.Add("old");
    l.SetText(c.text);
    EXPECT_EQ(Lines(l), c.lines) << c.text;
    EXPECT_EQ(l.LineBreakFormat(), lbfLF);
  }
}

TEST(TextBufferLoad, FuzzedTextsLoadAndSetLikeAPlainSplit) {
  std::mt19937 rng(424242);
  static const char alphabet[] = {'\r', '\n', '\t', 0, 'a', 'b', ' ', static_cast<char>(0x8D)};
  for (int round = 0; round < 3000; ++round) {
    const size_t length = round % 300 == 0 ? 550000 + rng() % 200000 : rng() % 200;
    std::string text(length, 'a');
    const unsigned breaks = 1 + rng() % 40;
    for (char& c : text) c = rng() % 64 < breaks ? alphabet[rng() % 2] : alphabet[2 + rng() % 6];
    TTxtEditStringList l;
    Load(l, text);
    ASSERT_EQ(Lines(l), PlainSplit(text, true)) << "round " << round;
    l.SetText(text);
    ASSERT_EQ(Lines(l), PlainSplit(text, false)) << "round " << round;
  }
}

TEST(TextBufferLoad, AFillIsAskedEvenForNothingAndItsFailureKeepsTheLines) {
  TTxtEditStringList l;
  l.Add("keep");
  bool asked = false;
  l.LoadFromFill(0, [&](char*, size_t) {
    asked = true;
    return size_t{0};
  });
  EXPECT_TRUE(asked);
  EXPECT_EQ(l.Count(), 0);
  l.Add("keep");
  EXPECT_THROW(l.LoadFromFill(10,
                              [](char* Block, size_t) -> size_t {
                                std::memcpy(Block, "ab\ncd", 5);
                                throw EReadError("Stream read error");
                              }),
               EReadError);
  EXPECT_EQ(Lines(l), Strings{"keep"});
  // A fill that gives less than its room gives just that.
  l.LoadFromFill(100, [](char* Block, size_t) {
    std::memcpy(Block, "x\r\ny", 4);
    return size_t{4};
  });
  EXPECT_EQ(Lines(l), (Strings{"x", "y"}));
}
