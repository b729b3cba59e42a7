// The recent-files list: the most recently used file names, mirrored as items under a
// container item that menus and toolbars link to.
#pragma once

#include <memory>

#include "framework/StringLists.h"
#include "toolbars/BarItem.h"

class TBarMRUList;

using TBarMRUListClickEvent = TEvent<void(TObject* Sender, const WideString& Filename)>;

// The names of the list; every change is mirrored in the container's items.
class TBarMRUListStrings : public TStringsW {
  HV_CLASS(TBarMRUListStrings, TStringsW)
 public:
  explicit TBarMRUListStrings(TBarMRUList* AOwner);
  ~TBarMRUListStrings() override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const WideString& S) override;
  void Move(int CurIndex, int NewIndex) override;
  int IndexOf(const WideString& S) const override;

 protected:
  WideString Get(int Index) const override;
  int GetCount() const override;
  void Put(int Index, const WideString& S) override;

 private:
  void Changed();
  TBarMRUList* owner_;
  std::unique_ptr<TStringListW> names_;
};

class TBarMRUList : public TComponent {
  HV_CLASS(TBarMRUList, TComponent)
 public:
  explicit TBarMRUList(TComponent* AOwner);
  ~TBarMRUList() override;

  virtual int GetFirstKey() { return 0; }
  virtual TBarCustomItem* CreateFileItem() { return new TBarCustomItem(nullptr); }
  virtual void RebuildItems();

  void Add(const WideString& Filename);
  bool AddFullPath() const { return addFullPath_; }
  void SetAddFullPath(bool Value) { addFullPath_ = Value; }
  TBarCustomItem* Container() const { return container_.get(); }
  bool HidePathExtension() const { return hidePathExtension_; }
  void SetHidePathExtension(bool Value);
  TBarMRUListStrings* Items() const { return items_.get(); }
  void SetItems(TStringsW* Value);
  int MaxItems() const { return maxItems_; }
  void SetMaxItems(int Value);
  const std::string& Prefix() const { return prefix_; }
  void SetPrefix(const std::string& Value) { prefix_ = Value; }

  TNotifyEvent OnChange;
  TBarMRUListClickEvent OnClick;

  // The file title of a name as captions show it (the system's, unless a test puts another).
  using TFileTitleProc = WideString (*)(const WideString& FileName);
  static TFileTitleProc SetFileTitleProc(TFileTitleProc Proc);

 protected:
  // Subclasses give a container of their own kind; the list owns it.
  TBarMRUList(TComponent* AOwner, std::unique_ptr<TBarCustomItem> AContainer);

 private:
  friend class TBarMRUListStrings;
  void ClickHandler(TObject* Sender);
  void Change();

  bool addFullPath_ = true;
  std::unique_ptr<TBarCustomItem> container_;
  bool hidePathExtension_ = true;
  std::unique_ptr<TBarMRUListStrings> items_;
  int maxItems_ = 4;
  std::string prefix_ = "MRU";
  bool rebuilding_ = false;
};
