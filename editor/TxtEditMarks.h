// The marks shown in the editor's gutter: bookmarks and marks with images of their own.
#pragma once

#include <array>

#include "framework/Delegate.h"
#include "framework/Lists.h"
#include "framework/Object.h"

// A mark shown in the gutter: a bookmark (numbers 0..9) or a mark with an image of its own.
class TTxtEditMark : public TObject {
  HV_CLASS(TTxtEditMark, TObject)
 public:
  TTxtEditMark() = default;

  int Line() const { return line_; }
  int Char() const { return char_; }
  int ImageIndex() const { return imageIndex_; }
  bool Visible() const { return visible_; }
  void SetVisible(bool Value) { visible_ = Value; }
  bool InternalImage() const { return internalImage_; }
  void SetInternalImage(bool Value) { internalImage_ = Value; }
  int BookmarkNumber() const { return bookmarkNumber_; }
  void SetBookmarkNumber(int Value) { bookmarkNumber_ = Value; }
  bool IsBookmark() const { return bookmarkNumber_ >= 0; }

  virtual void SetChar(int Value) { char_ = Value; }
  virtual void SetImage(int Value) { imageIndex_ = Value; }
  virtual void SetLine(int Value) { line_ = Value; }

 private:
  int line_ = 0;
  int char_ = 0;
  int imageIndex_ = 0;
  bool visible_ = false;
  bool internalImage_ = false;
  int bookmarkNumber_ = -1;
};

// The marks of one line, in list order, the rest null.
using TTxtEditMarks = std::array<TTxtEditMark*, 17>;

// The editor's marks; owns them.
class TTxtEditMarkList : public TObject {
  HV_CLASS(TTxtEditMarkList, TObject)
 public:
  TTxtEditMarkList() = default;
  ~TTxtEditMarkList() override;

  int Add(TTxtEditMark* Item);
  // Frees the mark at Index without notification.
  void Delete(int Index);
  // Frees the mark and notifies; a mark not in the list raises the list's index error.
  int Remove(TTxtEditMark* Item);
  void Clear();
  TTxtEditMark* Items(int Index) const { return static_cast<TTxtEditMark*>(list_.Items(Index)); }
  int Count() const { return list_.Count(); }
  void GetMarksForLine(int Line, TTxtEditMarks& Marks) const;

  TNotifyEvent OnChange;

 private:
  void DoChange();
  TList list_;
};
