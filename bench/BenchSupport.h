// What the benchmark programs share: a high-resolution clock, a message pump, the median of
// repeated timings, a generated text that looks like source code and a shown editor control.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/TxtEdit.h"
#include "framework/Forms.h"
#include "framework/Types.h"
#include "framework/Win.h"

// Seconds since an arbitrary start, from the performance counter.
inline double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Dispatches every message waiting for this thread.
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// The median of Runs timings of Step (each preceded by Prepare, which is not timed), in ms.
inline double Median(int Runs, const std::function<void()>& Prepare, const std::function<void()>& Step) {
  std::vector<double> times;
  for (int i = 0; i < Runs; ++i) {
    Prepare();
    const double t0 = Now();
    Step();
    times.push_back((Now() - t0) * 1000.0);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Lines of varied length, some with tabs, like source text; the last line ends with a line
// break only when FinalBreak is set.
inline AnsiString MakeText(int Lines, bool FinalBreak) {
  AnsiString text;
  text.reserve(static_cast<size_t>(Lines) * 40);
  for (int i = 0; i < Lines; ++i) {
    if (i % 7 == 0) text += "\t";
    text += "line ";
    text += std::to_string(i + 1);
    text += i % 3 == 0 ? "\tsome words that fill the row a little" : " x = y + z;";
    text += AnsiString(static_cast<size_t>(i % 29), '-');
    if (FinalBreak || i + 1 < Lines) text += "\r\n";
  }
  return text;
}

// A 900 x 700 form filled by an editor control with line numbers, no caret and the Extra
// options, shown and its messages handled; the form owns the control.
inline TTxtEdit* ShowEditor(TForm& Form, TTxtEditorOptions Extra = {}) {
  Form.SetBounds(0, 0, 900, 700);
  auto* edit = new TTxtEdit(&Form);
  edit->SetParent(&Form);
  edit->SetAlign(alClient);
  edit->Gutter()->SetShowLineNumbers(true);
  edit->SetOptions(edit->Options() + eoNoCaret + Extra);
  Form.Show();
  Pump();
  return edit;
}
