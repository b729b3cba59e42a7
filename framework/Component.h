// Components: objects with an owner that frees them, a name, and free notification.
//
// Destruction: deleting a component tells everyone who asked for free notification
// (Notification(this, opRemove)), frees the components it owns (the last one first), and takes
// it out of its owner's list. A class whose teardown needs its owned components gone while it
// is still whole (forms, frames) calls DestroyComponents() first thing in its destructor.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <string_view>
#include <vector>

#include "framework/Persistent.h"

HV_ENUM(TOperation, opInsert, opRemove)
HV_ENUM(TComponentStateFlag, csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating,
        csFixups, csFreeNotification, csInline, csDesignInstance)
using TComponentState = TSet<TComponentStateFlag>;

class TComponent : public TPersistent {
  HV_CLASS(TComponent, TPersistent)
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  // Raises EComponentError for a name that is not an identifier ("'%s' is not a valid
  // component name") or that another component of the owner has ("A component named %s
  // already exists"); names are compared without regard to ASCII case.
  virtual void SetName(const std::string& NewName);
  int Tag() const { return tag_; }
  void SetTag(int value) { tag_ = value; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;  // EListError "List index out of bounds (%d)"
  int ComponentIndex() const;               // position in the owner's list, -1 without owner
  // Found through an index of the names, so reading a form of many components stays linear.
  TComponent* FindComponent(std::string_view AName) const;
  // A component that has another owner leaves it first.
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  void DestroyComponents();

  // Asks to be told (Notification(AComponent, opRemove)) when AComponent is freed; the link
  // goes both ways, so whichever of the two goes first unlinks itself.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  const TComponentState& ComponentState() const { return state_; }
  bool IsLoading() const { return state_.Contains(csLoading); }
  bool IsDestroying() const { return state_.Contains(csDestroying); }
  // Loading state, set by form-file readers around the creation of a component tree.
  void SetLoading(bool loading);
  void SetReading(bool reading);
  // Marks a frame embedded in a form file ("inline"); form files write it that way again.
  void SetInline(bool isInline);
  // Called once the component and its siblings have been read from a form file.
  virtual void Loaded();
  // The design state (csDesigning) of a component that a form designer edits: its owned
  // components take it too (with SetChildren), as does every component inserted later, so
  // that whatever the designer adds behaves as designed, not as running.
  void SetDesigning(bool Value, bool SetChildren = true);

  std::string GetNamePath() override;

  // The owner-or-parent object used by the name path of owned persistents.
  TPersistent* GetOwner() override;

  // Form files: a component that lives inside another one (a control inside its parent)
  // says so here; the reader hands it its parent, and the writer asks each component for
  // the children it writes inside itself (by default: the owned components without a parent).
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent*) {}
  virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Marks the component as being destroyed (csDestroying) and tells its owned components.
  virtual void Destroying();
  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName);
  virtual void ValidateInsert(TComponent* AComponent);

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void IndexName(TComponent* AComponent);
  void UnindexName(TComponent* AComponent);

  TComponent* owner_ = nullptr;
  std::string name_;
  int tag_ = 0;
  std::vector<TComponent*> components_;
  // Upper-case name -> the owned component of that name. A descendant that lets two owned
  // components share a name makes FindComponent walk the list instead.
  std::unordered_map<std::string, TComponent*> names_;
  bool namesShared_ = false;
  std::vector<TComponent*> freeNotifies_;
  TComponentState state_;
};

// Whether this process is a design tool rather than the program itself: services that exist
// only at run time refuse to start in such a process.
bool DesignTimeProcess();
void SetDesignTimeProcess(bool Value);

bool IsValidIdent(std::string_view ident);
