// Answers the application's message boxes without showing them and records what they said.
// While a recorder lives it is the application's message-box handler; the one before it comes
// back when it goes.
#pragma once

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

  int Show(HWND, const WideString& Text, const WideString& Caption, UINT Flags) override {
    Texts.push_back(Text);
    Captions.push_back(Caption);
    AllFlags.push_back(Flags);
    LastFlags = Flags;
    return Answer;
  }
  void Clear() {
    Texts.clear();
    Captions.clear();
    AllFlags.clear();
    LastFlags = 0;
  }

  std::vector<WideString> Texts;
  std::vector<WideString> Captions;
  std::vector<UINT> AllFlags;
  UINT LastFlags = 0;
  int Answer;

 private:
  TMessageBoxHandler* previous_ = nullptr;
};
