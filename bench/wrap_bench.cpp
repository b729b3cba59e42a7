// Word wrap on a text of a million lines against the same work on a 100-line text: the full
// wrap, typing in the first and in the last line, a paste of 50,000 lines at the top, mapping
// rows near the top to buffer positions, and a resize that rewraps. Prints each time in
// milliseconds and its ratio to the small text; per-edit and per-row costs should not grow
// with the text, the full wraps only as the text (their ratio per line is printed too).
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "editor/TxtEdit.h"
#include "editor/TxtEditWordWrap.h"
#include "framework/Forms.h"

namespace {

constexpr int SmallLines = 100;
constexpr int LargeLines = 1000000;

// The lines of a generated text, already expanded, for the plug-in alone.
struct TLinesSource : ITxtWrapSource {
  std::vector<std::string> lines;
  int width = 80;
  explicit TLinesSource(int Count) {
    const AnsiString text = MakeText(Count, false);
    size_t from = 0;
    while (from <= text.size()) {
      size_t to = text.find("\r\n", from);
      if (to == std::string::npos) to = text.size();
      std::string line = text.substr(from, to - from);
      for (char& c : line)
        if (c == '\t') c = ' ';
      lines.push_back(std::move(line));
      from = to + 2;
    }
  }
  int LineCount() override { return static_cast<int>(lines.size()); }
  std::string_view ExpandedLine(int Index, AnsiString&) override { return lines[size_t(Index)]; }
  int CharsInWindow() override { return width; }
  int TabWidth() override { return 8; }
  TTxtCharSet IdentChars() override {
    TTxtCharSet s;
    for (int c = 33; c < 256; ++c) s.Include(static_cast<unsigned char>(c));
    return s;
  }
};

// At 40 columns, where many lines break into several rows.
double FullWrap(TLinesSource& Source) {
  Source.width = 40;
  std::unique_ptr<TTxtWordWrapPlugin> plugin;
  return Median(
      5, [&] { plugin.reset(); }, [&] { plugin = std::make_unique<TTxtWordWrapPlugin>(Source); });
}

// The visible width changes from 40 to 60 columns and back: two full rewraps.
double WidthChange(TLinesSource& Source) {
  Source.width = 40;
  TTxtWordWrapPlugin plugin(Source);
  return Median(
      5, [] {},
      [&] {
        Source.width = 60;
        plugin.DisplayChanged();
        Source.width = 40;
        plugin.DisplayChanged();
      });
}

// 10,000 conversions of the rows 1..100.
double RowsNearTheTop(TLinesSource& Source) {
  TTxtWordWrapPlugin plugin(Source);
  volatile int sink = 0;
  return Median(
      7, [] {},
      [&] {
        for (int i = 0; i < 10000; ++i) sink = sink + plugin.DisplayToBufferPos({5, 1 + i % 100}).Line;
      });
}

// A 900 x 700 editor with word wrap on, showing Lines lines.
struct TWrappedEditor {
  TForm form{nullptr, CreateNew};
  TTxtEdit* edit;
  explicit TWrappedEditor(int Lines) {
    edit = ShowEditor(form);
    edit->SetTextA(MakeText(Lines, false));
    edit->SetWordWrap(true);
    Pump();
    UpdateWindow(edit->Handle());
  }
  void Paint() { UpdateWindow(edit->Handle()); }

  // 50 characters typed at the start or the end of a line, each painted.
  double Typing(bool LastLine) {
    return Median(
        11, [&] { edit->CommandProcessor(LastLine ? ecEditorBottom : ecEditorTop, 0, nullptr); },
        [&] {
          for (int i = 0; i < 50; ++i) {
            edit->CommandProcessor(ecChar, static_cast<char>(i % 5 == 4 ? ' ' : 'a' + i % 26), nullptr);
            Paint();
          }
        });
  }

  double PasteAtTop(const AnsiString& Block) {
    bool pasted = false;
    return Median(
        5,
        [&] {
          if (pasted) edit->Undo();
          edit->SetCaretXY({1, 1});
          Pump();
        },
        [&] {
          edit->SetSelText(Block);
          Paint();
          pasted = true;
        });
  }

  // The text area narrowed and widened again: two full rewraps.
  double Resize() {
    return Median(
        3, [] {},
        [&] {
          form.SetBounds(0, 0, 600, 700);
          Paint();
          form.SetBounds(0, 0, 900, 700);
          Paint();
        });
  }
};

void Report(const char* What, double Small, double Large, bool PerLine = false) {
  const double ratio = Small > 0 ? Large / Small : 0.0;
  std::printf("%-46s %10.3f ms %10.3f ms  ratio %10.2f", What, Small, Large, ratio);
  if (PerLine) std::printf("  per line %6.2f", ratio * SmallLines / LargeLines);
  std::printf("\n");
}

}  // namespace

int wmain() {
  std::printf("%-46s %13s %13s\n", "", "100 lines", "1,000,000 lines");
  {
    TLinesSource small(SmallLines), large(LargeLines);
    Report("full wrap (plug-in)", FullWrap(small), FullWrap(large), true);
    Report("width change that rewraps (plug-in, twice)", WidthChange(small), WidthChange(large), true);
    Report("10,000 rows near the top to buffer positions", RowsNearTheTop(small), RowsNearTheTop(large));
  }
  TWrappedEditor small(SmallLines), large(LargeLines);
  Report("50 characters typed in line 1", small.Typing(false), large.Typing(false));
  Report("50 characters typed in the last line", small.Typing(true), large.Typing(true));
  // Lines longer than the window, so that every pasted line takes two rows or more.
  AnsiString block;
  for (int i = 0; i < 50000; ++i)
    block += "pasted " + std::to_string(i) + " " + AnsiString(size_t(90 + i % 90), 'x') + " tail\r\n";
  Report("50,000 long lines pasted at the top", small.PasteAtTop(block), large.PasteAtTop(block));
  Report("window resize that rewraps and repaints (twice)", small.Resize(), large.Resize());
  return 0;
}
