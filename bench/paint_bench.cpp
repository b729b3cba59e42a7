// Painting and scrolling a text of a million lines, against painting a screen of a 100-line
// text: the cost should be the screen's, not the text's. Prints each time and its ratio.
#include <cstdio>
#include <memory>

#include "bench/BenchSupport.h"
#include "editor/TxtEdit.h"
#include "framework/Forms.h"

int wmain() {
  auto form = std::make_unique<TForm>(nullptr, CreateNew);
  // The caret may go to the end of any line, however long.
  TTxtEdit* edit = ShowEditor(*form, {eoAutoSizeMaxScrollWidth});
  HWND wnd = edit->Handle();
  auto paint = [&] {
    InvalidateRect(wnd, nullptr, FALSE);
    UpdateWindow(wnd);
  };
  const int runs = 21;

  edit->SetTextA(MakeText(100, true));
  Pump();
  paint();
  const double base = Median(
      runs, [] {}, paint);

  // The text is made before the clock starts: only setting it is timed.
  const AnsiString million = MakeText(1000000, true);
  const double t0 = Now();
  edit->SetTextA(million);
  const double load = (Now() - t0) * 1000.0;
  // A line of 1 MB in the middle of the text, with a tab every 64 characters.
  AnsiString longLine;
  for (int i = 0; i < 16384; ++i) longLine += "\t" + AnsiString(63, static_cast<char>('a' + i % 26));
  const int longIndex = 500000;
  edit->Lines()->SetStrings(longIndex, longLine);
  Pump();
  const int rows = edit->LinesInWindow();
  const int lastTop = edit->DisplayLineCount() - rows + 1;

  auto at = [&](int top) {
    return [=] {
      edit->SetTopLine(top);
      Pump();
      paint();
    };
  };
  const double top = Median(runs, at(1), paint);
  const double middle = Median(runs, at(500100), paint);
  const double end = Median(runs, at(lastTop), paint);
  const double page = Median(runs, at(300000), [&] {
    edit->SetTopLine(edit->TopLine() + rows);
    UpdateWindow(wnd);
  });
  const double toEnd = Median(runs, at(1), [&] {
    edit->SetTopLine(lastTop);
    UpdateWindow(wnd);
  });
  // The scroll bars are drawn after the text, once per batch of changes.
  const double bars = Median(
      runs,
      [&] {
        at(1)();
        edit->SetTopLine(lastTop);
        UpdateWindow(wnd);
      },
      Pump);
  const int longEnd = static_cast<int>(longLine.size()) + 1;
  int toggle = 0;
  const double caret = Median(
      runs,
      [&] {
        edit->SetCaretXY({1, longIndex + 1});
        Pump();
        UpdateWindow(wnd);
      },
      [&] {
        edit->SetCaretXY({longEnd - (toggle++ % 2), longIndex + 1});
        UpdateWindow(wnd);
      });
  const double caretOnly = Median(
      runs,
      [&] {
        edit->SetCaretXY({longEnd - 40, longIndex + 1});
      },
      [&] {
        edit->SetCaretXY({longEnd - (toggle++ % 2), longIndex + 1});
      });

  std::printf("paint_bench: %d x %d cells, %d runs each, median times\n", edit->CharsInWindow(), rows, runs);
  std::printf("  loading 1,000,000 lines (SetText)            %9.2f ms\n", load);
  std::printf("  screen of a 100-line text (the base)          %9.3f ms\n", base);
  auto line = [&](const char* what, double ms) {
    std::printf("  %-45s %9.3f ms   ratio %5.2f\n", what, ms, ms / base);
  };
  line("screen at the top of 1,000,000 lines", top);
  line("screen in the middle (with the 1 MB line)", middle);
  line("screen at the end", end);
  line("scrolling one page (SetTopLine + paint)", page);
  line("SetTopLine to the end (+ paint)", toEnd);
  line("  then drawing the moved scroll-bar thumb", bars);
  line("SetCaretXY at the end of a 1 MB line (+ paint)", caret);
  line("SetCaretXY at the end of a 1 MB line alone", caretOnly);
  form.reset();
  return 0;
}
