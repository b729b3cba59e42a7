// Editing a text of a million lines against editing a 100-line text: typing at the end (with
// and without eoScrollPastEof), a block indent of 100,000 lines and its undo, and a paste of
// 10 MB. Prints each time in milliseconds and its ratio to the same operation on the small
// text; typing should cost about the same, the block operations what they touch.
#include <cstdio>
#include <memory>

#include "bench/BenchSupport.h"
#include "editor/TxtEdit.h"
#include "editor/TxtEditClipboard.h"
#include "framework/Forms.h"

namespace {

struct TBench {
  TTxtEdit* Edit;
  HWND Wnd;

  void Load(const AnsiString& Text) {
    Edit->SetTextA(Text);
    Pump();
    UpdateWindow(Wnd);
  }

  // 1,000 characters typed at the end of the text, each painted (or, without Paint, none while
  // the clock runs).
  double Typing(const AnsiString& Text, bool PastEof, bool Paint = true) {
    TTxtEditorOptions o = Edit->Options();
    Edit->SetOptions(PastEof ? o + eoScrollPastEof : o - eoScrollPastEof);
    const double t = Median(
        7,
        [&] {
          Load(Text);
          Edit->CommandProcessor(ecEditorBottom, 0, nullptr);
        },
        [&] {
          for (int i = 0; i < 1000; ++i) {
            Edit->CommandProcessor(ecChar, static_cast<char>('a' + i % 26), nullptr);
            if (Paint) UpdateWindow(Wnd);
          }
        });
    Edit->SetOptions(o);
    return t;
  }

  void SelectLines(int Lines) {
    Edit->SetBlockBegin({1, 1});
    Edit->SetBlockEnd({1, Lines + 1});
  }

  double Indent(const AnsiString& Text, int Lines) {
    return Median(
        3,
        [&] {
          Load(Text);
          SelectLines(Lines);
        },
        [&] {
          Edit->CommandProcessor(ecBlockIndent, 0, nullptr);
          UpdateWindow(Wnd);
        });
  }

  double UndoIndent(const AnsiString& Text, int Lines) {
    return Median(
        3,
        [&] {
          Load(Text);
          SelectLines(Lines);
          Edit->CommandProcessor(ecBlockIndent, 0, nullptr);
        },
        [&] {
          Edit->Undo();
          UpdateWindow(Wnd);
        });
  }

  double Paste(const AnsiString& Text, const AnsiString& Clip) {
    TxtEditCopyToClipboard(Clip, smNormal);
    return Median(
        3,
        [&] {
          Load(Text);
          Edit->CommandProcessor(ecEditorBottom, 0, nullptr);
        },
        [&] {
          Edit->PasteFromClipboard();
          UpdateWindow(Wnd);
        });
  }
};

void Report(const char* What, double Small, double Large) {
  std::printf("%-44s %10.2f ms %10.2f ms  ratio %8.2f\n", What, Small, Large, Small > 0 ? Large / Small : 0.0);
}

}  // namespace

int wmain() {
  auto form = std::make_unique<TForm>(nullptr, CreateNew);
  TTxtEdit* edit = ShowEditor(*form);
  TBench b{edit, edit->Handle()};

  const AnsiString small = MakeText(100, false);
  const AnsiString large = MakeText(1000000, false);
  std::printf("%-44s %13s %13s\n", "operation", "100 lines", "1,000,000");

  Report("type 1,000 characters at the end", b.Typing(small, false), b.Typing(large, false));
  Report("type 1,000 characters, scroll past end", b.Typing(small, true), b.Typing(large, true));
  // Without painting: the screen is drawn only after the clock stops.
  Report("type 1,000 characters, not painted", b.Typing(small, false, false), b.Typing(large, false, false));

  // The block operations on 100 lines of a 100-line text and 100,000 lines of the large one.
  const double indentSmall = b.Indent(small, 100);
  const double indentLarge = b.Indent(large, 100000);
  Report("block indent (100 / 100,000 lines)", indentSmall, indentLarge);
  std::printf("%-44s %10.4f ms per line %10.4f ms per line\n", "", indentSmall / 100, indentLarge / 100000);
  const double undoSmall = b.UndoIndent(small, 100);
  const double undoLarge = b.UndoIndent(large, 100000);
  Report("undo of the block indent", undoSmall, undoLarge);
  std::printf("%-44s %10.4f ms per line %10.4f ms per line\n", "", undoSmall / 100, undoLarge / 100000);

  // Pasting about 10 KB into the small text and 10 MB into the large one.
  const AnsiString clipSmall = MakeText(250, false);
  const AnsiString clipLarge = MakeText(250000, false);
  const double pasteSmall = b.Paste(small, clipSmall);
  const double pasteLarge = b.Paste(large, clipLarge);
  Report("paste (10 KB / 10 MB)", pasteSmall, pasteLarge);
  std::printf("%-44s %10.4f ms per KB %10.4f ms per KB\n", "", pasteSmall / (clipSmall.size() / 1024.0),
              pasteLarge / (clipLarge.size() / 1024.0));
  std::printf("pasted: %zu bytes and %zu bytes\n", clipSmall.size(), clipLarge.size());
  return 0;
}
