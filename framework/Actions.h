// Actions: one object per user command that holds what the command shows (caption, hint,
// shortcut, image, checked, enabled, visible) and what it does (OnExecute), kept up to date by
// its OnUpdate handler while the application is idle. Menu items and controls show an action
// through an action link, which copies each of the action's values to the client as long as
// the client still shows the action's value.
//
// Rule for every setter of TCustomAction: the links are told BEFORE the action stores the new
// value, so that a link can still compare its client with the action's old value (a client
// whose caption was changed by hand keeps it).
#pragma once

#include <vector>

#include "framework/Component.h"
#include "framework/ShortCuts.h"
#include "framework/StringLists.h"

class TBasicAction;
class TContainedAction;
class TCustomAction;
class TCustomActionList;
class TCustomImageList;

// ---- links ----

// Connects one client (a control, a menu item) to an action.
class TBasicActionLink : public TObject {
  HV_CLASS(TBasicActionLink, TObject)
 public:
  // Descendants keep the client they serve.
  explicit TBasicActionLink(TObject* AClient);
  ~TBasicActionLink() override;

  TBasicAction* Action() const { return action_; }
  // Leaves the old action's clients and joins the new one's.
  virtual void SetAction(TBasicAction* Value);

  // Runs the action (the client is the action's ActionComponent while it runs).
  virtual bool Execute(TComponent* AComponent = nullptr);
  // Runs the action's update.
  virtual bool Update();

  // Whether the client's click handler is the action's OnExecute.
  virtual bool IsOnExecuteLinked() { return true; }
  virtual void SetOnExecute(const TNotifyEvent&) {}

  // Told (with the action as Sender) whenever the action changed as a whole.
  TNotifyEvent OnChange;

 protected:
  virtual void Change();

 private:
  friend class TBasicAction;
  TBasicAction* action_ = nullptr;
};

// The link of actions with the values of TCustomAction. Every Is...Linked test says whether the
// client follows that value of the action (here: whether the action has such a value at all);
// every Set... passes a new value to the client when that test holds. Client kinds override
// both (TControlActionLink, TMenuActionLink).
class TActionLink : public TBasicActionLink {
  HV_CLASS(TActionLink, TBasicActionLink)
 public:
  using TBasicActionLink::TBasicActionLink;

  virtual bool IsAutoCheckLinked();
  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsGroupIndexLinked();
  virtual bool IsHelpContextLinked();
  virtual bool IsHintLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();

  virtual void SetAutoCheck(bool) {}
  virtual void SetCaption(const WideString&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetGroupIndex(int) {}
  virtual void SetHelpContext(int) {}
  virtual void SetHint(const WideString&) {}
  virtual void SetImageIndex(int) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}

 protected:
  // The action as a TCustomAction, or null.
  TCustomAction* CustomAction() const;
};

// ---- actions ----

class TBasicAction : public TComponent {
  HV_CLASS(TBasicAction, TComponent)
 public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;

  // Runs OnExecute; true when something handled the action.
  virtual bool Execute();
  // Runs OnUpdate; true when something handled the update.
  virtual bool Update();

  // Standard actions work on a target (the focused control); plain actions on none.
  virtual bool HandlesTarget(TObject*) { return false; }
  virtual void ExecuteTarget(TObject*) {}
  virtual void UpdateTarget(TObject*) {}

  // The client that runs the action now (a menu item, a control), or null.
  TComponent* ActionComponent() const { return actionComponent_; }
  void SetActionComponent(TComponent* Value);

  const TNotifyEvent& OnExecute() const { return onExecute_; }
  // Tells the links first, so that clients whose click handler was the old one follow.
  void SetOnExecute(const TNotifyEvent& Value);
  TNotifyEvent OnUpdate;
  // Told whenever the action changed as a whole.
  TNotifyEvent OnChange;

  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);
  int ClientCount() const { return static_cast<int>(clients_.size()); }
  TBasicActionLink* Clients(int Index) const { return clients_[static_cast<size_t>(Index)]; }

 protected:
  // Tells OnChange and every link that the action changed.
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;

  std::vector<TBasicActionLink*> clients_;

 private:
  TNotifyEvent onExecute_;
  TComponent* actionComponent_ = nullptr;
};

// An action that can live in an action list.
class TContainedAction : public TBasicAction {
  HV_CLASS(TContainedAction, TBasicAction)
 public:
  explicit TContainedAction(TComponent* AOwner);
  ~TContainedAction() override;

  // The list's OnExecute first (it may handle the action), then the action's own.
  bool Execute() override;
  bool Update() override;

  TCustomActionList* ActionList() const { return actionList_; }
  void SetActionList(TCustomActionList* Value);
  // Position in the action list; -1 outside a list.
  int Index() const;
  void SetIndex(int Value);
  const WideString& Category() const { return category_; }
  void SetCategory(const WideString& Value);

  // Form files: an action is written inside its action list.
  bool HasParent() const override { return actionList_ != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* AParent) override;

 private:
  friend class TCustomActionList;
  TCustomActionList* actionList_ = nullptr;
  WideString category_;
};

// Further shortcuts of an action, one text per entry ("Ctrl+F12"); form files keep the texts.
class TShortCutList : public TStringList {
  HV_CLASS(TShortCutList, TStringList)
 public:
  // The shortcut of entry Index (0 for a text that names no key).
  TShortCut ShortCuts(int Index) const { return TextToShortCut(Strings(Index)); }
  int IndexOfShortCut(TShortCut ShortCut) const;
  int AddShortCut(TShortCut ShortCut);
};

// The action with the values a menu item or control shows.
class TCustomAction : public TContainedAction {
  HV_CLASS(TCustomAction, TContainedAction)
 public:
  explicit TCustomAction(TComponent* AOwner);
  ~TCustomAction() override;

  // Runs the update first: a disabled action does nothing and gives false. An AutoCheck
  // action toggles Checked (an action of a group only becomes checked).
  bool Execute() override;
  // Runs the hint handler; false vetoes the hint.
  virtual bool DoHint(WideString& HintStr);
  void Assign(TPersistent* Source) override;

  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool Value);
  const WideString& Caption() const { return caption_; }
  void SetCaption(const WideString& Value);
  bool Checked() const { return checked_; }
  // Checking an action of a group (GroupIndex above 0) unchecks the others of its list.
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int Value);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int Value);
  const WideString& Hint() const { return hint_; }
  void SetHint(const WideString& Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  TShortCutList* SecondaryShortCuts() const { return secondaryShortCuts_.get(); }
  void SetSecondaryShortCuts(TShortCutList* Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);

  // True when the shortcut is the action's ShortCut or one of its secondary ones.
  bool HasShortCut(TShortCut Value) const;
  // Runs the action for its shortcut.
  virtual bool HandleShortCut() { return Execute(); }

  // The hint about to be shown (may be changed), and whether to show it.
  TEvent<void(WideString& HintStr, bool& CanShow)> OnHint;

  // Form files store the secondary shortcuts only when there are some.
  bool IsSecondaryShortCutsStored() const { return secondaryShortCuts_->Count() > 0; }

 private:
  void UncheckGroup();

  bool autoCheck_ = false;
  WideString caption_;
  bool checked_ = false;
  bool enabled_ = true;
  int groupIndex_ = 0;
  int helpContext_ = 0;
  WideString hint_;
  int imageIndex_ = -1;
  TShortCut shortCut_ = TShortCut(0);
  std::unique_ptr<TShortCutList> secondaryShortCuts_;
  bool visible_ = true;
  bool checking_ = false;
};

class TAction : public TCustomAction {
  HV_CLASS(TAction, TCustomAction)
 public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

// The action the application executes to show a hint (status bars that show hints handle it).
class THintAction : public TCustomAction {
  HV_CLASS(THintAction, TCustomAction)
 public:
  explicit THintAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

// ---- action lists ----

// void(TBasicAction* Action, bool& Handled)
using TActionEvent = TEvent<void(TBasicAction* Action, bool& Handled)>;

class TCustomActionList : public TComponent {
  HV_CLASS(TCustomActionList, TComponent)
 public:
  explicit TCustomActionList(TComponent* AOwner);
  ~TCustomActionList() override;

  int ActionCount() const { return static_cast<int>(actions_.size()); }
  // EListError "List index out of bounds (%d)" outside 0..ActionCount-1.
  TContainedAction* Actions(int Index) const;
  int IndexOfAction(const TContainedAction* Action) const;

  // The images the actions' ImageIndex names.
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);

  // OnExecute of the list; true when it handled the action.
  virtual bool ExecuteAction(TBasicAction* Action);
  // OnUpdate of the list; true when it handled the update.
  virtual bool UpdateAction(TBasicAction* Action);
  // Runs the first action that has this shortcut (main or secondary); true when it ran.
  virtual bool IsShortCut(TShortCut ShortCut);

  TActionEvent OnExecute;
  TActionEvent OnUpdate;
  TNotifyEvent OnChange;

  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void Change();

 private:
  friend class TContainedAction;
  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);
  void MoveAction(TContainedAction* Action, int NewIndex);
  void ImageListChange(TObject* Sender);

  std::vector<TContainedAction*> actions_;
  TCustomImageList* images_ = nullptr;
};

class TActionList : public TCustomActionList {
  HV_CLASS(TActionList, TCustomActionList)
 public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// ---- idle updates ----

// While an object of this class exists, each action runs its update at most once (one idle
// pass over a form: an action shown by a menu item, a button and a toolbar updates once).
class TActionUpdatePass {
 public:
  TActionUpdatePass();
  TActionUpdatePass(const TActionUpdatePass&) = delete;
  TActionUpdatePass& operator=(const TActionUpdatePass&) = delete;
  ~TActionUpdatePass();

  // True when the action may update now: no pass is running, or it has not updated in it.
  static bool Claim(TBasicAction* Action);

 private:
  std::vector<TBasicAction*> updated_;
  TActionUpdatePass* outer_;
};

// Runs the update of every action of every action list the component owns (a form or frame,
// and the frames inside it), within the running update pass.
void UpdateOwnedActions(TComponent* Owner);
