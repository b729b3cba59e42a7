// Small classes the editor control owns or exposes: the callback chain behind the highlighter's
// change notification, the marks shown in the gutter, and the search-engine interface.
#pragma once

#include <array>
#include <vector>

#include "editor/TxtEditTypes.h"
#include "framework/Component.h"
#include "framework/Delegate.h"
#include "framework/Exceptions.h"
#include "framework/Lists.h"

HV_DECLARE_EXCEPTION(ETxtMethodChain, Exception);

// Asked when a callback of a chain raises: Continue (preset to true) says whether the walk goes
// on with the next callback.
using TTxtExceptionEvent = TEvent<void(TObject* Sender, Exception& E, bool& Continue)>;

// An ordered list of callbacks fired one after the other. Callbacks may be added while the chain
// fires; they are reached in the same walk.
class TTxtMethodChain : public TObject {
  HV_CLASS(TTxtMethodChain, TObject)
 public:
  TTxtMethodChain() = default;

  void Add(const TMethod& AEvent);
  // Removes every entry equal to AEvent.
  void Remove(const TMethod& AEvent);
  void Fire();
  int Count() const { return static_cast<int>(entries_.size()); }

  TTxtExceptionEvent OnException;

 protected:
  virtual void DoFire(const TMethod& AEvent) = 0;
  // Called from inside the handler of an exception raised by a callback: true goes on with the
  // next callback, false ends the walk; without OnException the exception propagates.
  virtual bool DoHandleException(Exception& E);

 private:
  std::vector<TMethod> entries_;
};

// A chain of notify events, all called with one sender.
class TTxtNotifyEventChain : public TTxtMethodChain {
  HV_CLASS(TTxtNotifyEventChain, TTxtMethodChain)
 public:
  TTxtNotifyEventChain() = default;
  explicit TTxtNotifyEventChain(TObject& ASender) : sender_(&ASender) {}

  using TTxtMethodChain::Add;
  using TTxtMethodChain::Remove;
  void Add(const TNotifyEvent& AEvent) { Add(AEvent.Method()); }
  void Remove(const TNotifyEvent& AEvent) { Remove(AEvent.Method()); }

  TObject* Sender() const { return sender_; }
  void SetSender(TObject* Value) { sender_ = Value; }

 protected:
  void DoFire(const TMethod& AEvent) override;

 private:
  TObject* sender_ = nullptr;
};

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

// What the editor's search and replace needs from a search engine.
class TTxtEditSearchCustom : public TComponent {
  HV_CLASS(TTxtEditSearchCustom, TComponent)
 public:
  explicit TTxtEditSearchCustom(TComponent* AOwner) : TComponent(AOwner) {}

  virtual AnsiString GetPattern() = 0;
  virtual void SetPattern(const AnsiString& Value) = 0;
  // Length and 1-based start of match Index of the last FindAll.
  virtual int GetLength(int Index) = 0;
  virtual int GetResult(int Index) = 0;
  virtual int GetResultCount() = 0;
  virtual void SetOptions(TSearchReplaceOptions Value) = 0;
  // Finds every match in one line, replacing the previous results; returns their count.
  virtual int FindAll(const AnsiString& NewText) = 0;
  // The text that replaces the match Found.
  virtual AnsiString Replace(const AnsiString& AFound, const AnsiString& AReplace) = 0;
};
