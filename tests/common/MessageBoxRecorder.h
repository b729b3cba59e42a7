// Answers the application's message boxes without showing them and records what they said.
// While a recorder lives it is the application's message-box handler; the one before it comes
// back when it goes.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/Application.h"

class TMessageBoxRecorder : public TMessageBoxHandler {
 public:
  explicit TMessageBoxRecorder(int AAnswer = IDOK) : Answer(AAnswer) {
    if (Application) previous_ = Application->SetMessageBoxHandler(this);
  }
  TMessageBoxRecorder(const TMessageBoxRecorder&) = delete;
  TMessageBoxRecorder& operator=(const TMessageBoxRecorder&) = delete;
  ~TMessageBoxRecorder() override {
    if (Application) Application->SetMessageBoxHandler(previous_);
  }

  int Show(HWND Owner, const WideString& Text, const WideString& Caption, UINT Flags) override {
    Owners.push_back(Owner);
    Texts.push_back(Text);
    Captions.push_back(Caption);
    AllFlags.push_back(Flags);
    LastFlags = Flags;
    Shown.push_back(Text + L"|" + Caption + L"|" + std::to_wstring(Flags));
    // What a user could do while the box is up.
    if (OnShow) OnShow(Text);
    if (Answers.empty()) return Answer;
    const int answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  void Clear() {
    Owners.clear();
    Texts.clear();
    Captions.clear();
    AllFlags.clear();
    Shown.clear();
    LastFlags = 0;
  }

  std::vector<HWND> Owners;  // the window each box came up over
  std::vector<WideString> Texts;
  std::vector<WideString> Captions;
  std::vector<UINT> AllFlags;
  // Each box as "text|caption|flags", to compare a whole run of boxes at once.
  std::vector<WideString> Shown;
  UINT LastFlags = 0;
  // The answers to the next boxes in turn; Answer once they have run out.
  std::deque<int> Answers;
  // Runs while each box is up, after it was recorded.
  std::function<void(const WideString& Text)> OnShow;
  int Answer;

 private:
  TMessageBoxHandler* previous_ = nullptr;
};
