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

// Line I of the file benchmarks' text, Length characters of a cycle of words after the tabs of
// every seventh line, with Insert put in before character InsertAt (none when it is -1).
inline void AppendSampleLine(std::string& Out, int I, int Length, int InsertAt = -1, const char* Insert = "") {
  static const char words[] = "the quick brown fox jumps over a lazy dog while 0123456789 ; { } ( ) = + - / * ";
  if (I % 7 == 0) Out.append(1 + I % 3, '\t');
  for (int k = 0; k < Length; ++k) {
    if (k == InsertAt) Out += Insert;
    Out.push_back(words[(static_cast<unsigned>(I) * 7u + static_cast<unsigned>(k)) % (sizeof words - 1)]);
  }
}

// Writes the large text the file benchmarks share: Lines lines of 10 to 90 characters, CR LF
// after each; every seventh starts with tabs, every eleventh has one inside. False when the
// file cannot be written.
inline bool WriteLargeTextFile(const std::wstring& Name, int Lines) {
  HANDLE h = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string chunk;
  chunk.reserve(1 << 20);
  unsigned seed = 1;
  bool written = true;
  auto flush = [&] {
    DWORD done = 0;
    written = WriteFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &done, nullptr) && written;
    chunk.clear();
  };
  static const char words[] = "the quick brown fox jumps over a lazy dog while 0123456789 ; { } ( ) = + - / * ";
  for (int i = 0; i < Lines; ++i) {
    seed = seed * 1103515245u + 12345u;
    int length = 10 + static_cast<int>((seed >> 16) % 81);
    if (i % 7 == 0) chunk.append(1 + i % 3, '\t');
    for (int k = 0; k < length; ++k) {
      chunk.push_back(words[(static_cast<unsigned>(i) * 7u + static_cast<unsigned>(k)) % (sizeof words - 1)]);
      if (i % 11 == 0 && k == length / 2) chunk.push_back('\t');
    }
    chunk.append("\r\n");
    if (chunk.size() > (1 << 20) - 256) flush();
  }
  flush();
  CloseHandle(h);
  return written;
}
