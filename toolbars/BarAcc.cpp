// The accessibility objects of views and viewers, the run-time lookup of the system's
// accessibility functions, and the list of live objects that are cut off from their clients
// when the program ends.
#include "toolbars/BarAcc.h"

#include <algorithm>

#include "framework/SystemHandles.h"
#include "toolbars/BarCommon.h"

namespace {

using TLresultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using TAccessibleObjectFromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);

struct TImports {
  // Only the box about a missing file is kept away; a critical error is the system's to tell.
  TModuleHandle Oleacc{L"oleacc.dll", SEM_NOOPENFILEERRORBOX};
  TLresultFromObject LresultFromObject = Oleacc.Proc<TLresultFromObject>("LresultFromObject");
  TAccessibleObjectFromWindow AccessibleObjectFromWindow =
      Oleacc.Proc<TAccessibleObjectFromWindow>("AccessibleObjectFromWindow");
};

TImports& Imports() {
  static TImports imports;
  return imports;
}

class TBarCustomAccObject;

// Every live object, guarded: clients may let go of objects from their own calls.
struct TObjectList {
  CRITICAL_SECTION Lock;
  TBarCustomAccObject* First = nullptr;
  int Count = 0;
  int ViewCount = 0;
  bool ComInitialized = false;
  TObjectList() { InitializeCriticalSection(&Lock); }
  ~TObjectList();
};

TObjectList& List() {
  static TObjectList list;
  return list;
}

struct TLocked {
  TLocked() { EnterCriticalSection(&List().Lock); }
  ~TLocked() { LeaveCriticalSection(&List().Lock); }
};

bool IsSelf(const VARIANT& V) { return V.vt == VT_I4 && V.lVal == CHILDID_SELF; }

HRESULT ReturnString(const WideString& S, BSTR* Out) {
  if (!Out) return E_INVALIDARG;
  *Out = nullptr;
  if (S.empty()) return S_FALSE;
  *Out = SysAllocStringLen(S.data(), static_cast<UINT>(S.size()));
  return *Out ? S_OK : E_OUTOFMEMORY;
}

void SetDispatch(VARIANT* V, IDispatch* D) {
  VariantInit(V);
  V->vt = VT_DISPATCH;
  V->pdispVal = D;
}

// The IDispatch part that nothing here needs.
class TBarBaseAccObject : public IAccessible {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override {
    if (Count) *Count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  virtual ~TBarBaseAccObject() = default;
};

class TBarCustomAccObject : public TBarBaseAccObject {
 public:
  TBarCustomAccObject() {
    TLocked lock;
    next_ = List().First;
    if (next_) next_->prev_ = this;
    List().First = this;
    ++List().Count;
  }
  ~TBarCustomAccObject() override {
    TLocked lock;
    if (prev_)
      prev_->next_ = next_;
    else
      List().First = next_;
    if (next_) next_->prev_ = prev_;
    --List().Count;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Out) override {
    if (!Out) return E_POINTER;
    if (IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_IDispatch) || IsEqualIID(Iid, IID_IAccessible)) {
      *Out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *Out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG r = InterlockedDecrement(&refs_);
    if (r == 0) delete this;
    return static_cast<ULONG>(r);
  }
  // The view or viewer went away.
  virtual void Orphan() = 0;
  TBarCustomAccObject* Next() const { return next_; }

  // Defaults shared by both kinds, which have no children to answer for.
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT Child, BSTR* Out) override { return EmptyFor(Child, Out); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT Child, BSTR* Out) override { return EmptyFor(Child, Out); }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT Child, BSTR* Out) override { return EmptyFor(Child, Out); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* File, VARIANT Child, long* Topic) override {
    if (Topic) *Topic = 0;
    return EmptyFor(Child, File);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* Out) override {
    if (!Out) return E_INVALIDARG;
    VariantInit(Out);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT Child, BSTR) override { return IsSelf(Child) ? S_FALSE : E_INVALIDARG; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT Child, BSTR) override {
    return IsSelf(Child) ? S_FALSE : E_INVALIDARG;
  }

 private:
  static HRESULT EmptyFor(const VARIANT& Child, BSTR* Out) {
    if (!IsSelf(Child)) {
      if (Out) *Out = nullptr;
      return E_INVALIDARG;
    }
    return ReturnString({}, Out);
  }
  LONG refs_ = 1;
  TBarCustomAccObject* prev_ = nullptr;
  TBarCustomAccObject* next_ = nullptr;
};

void DisconnectAndUninitialize(TObjectList& List) {
  for (TBarCustomAccObject* o = List.First; o; o = o->Next()) CoDisconnectObject(o, 0);
  if (List.ComInitialized) CoUninitialize();
  List.ComInitialized = false;
}

TObjectList::~TObjectList() {
  DisconnectAndUninitialize(*this);
  DeleteCriticalSection(&Lock);
}

void OrphanObject(void* Object) { static_cast<TBarCustomAccObject*>(Object)->Orphan(); }

HRESULT ObjectFromWindow(HWND Wnd, DWORD Id, VARIANT* Out) {
  IDispatch* d = nullptr;
  auto proc = Imports().AccessibleObjectFromWindow;
  if (!proc || FAILED(proc(Wnd, Id, IID_IDispatch, reinterpret_cast<void**>(&d))) || !d) return E_UNEXPECTED;
  SetDispatch(Out, d);
  return S_OK;
}

HRESULT ViewerObjectVariant(TBarItemViewer* V, VARIANT* Out) {
  if (!V) return S_FALSE;
  SetDispatch(Out, GetBarViewerAccObject(V));
  return S_OK;
}

// A view's child by number: a hosted windowed control answers through its own window's object.
HRESULT ChildObjectVariant(TBarItemViewer* V, VARIANT* Out) {
  if (auto* ci = V ? dynamic_cast<TBarControlItem*>(V->Item()) : nullptr)
    if (auto* w = dynamic_cast<TWinControl*>(ci->Control()); w && w->HandleAllocated())
      return ObjectFromWindow(w->Handle(), OBJID_WINDOW, Out);
  return ViewerObjectVariant(V, Out);
}

TRect ScreenBounds(TWinControl* W) {
  RECT r{};
  if (W && W->HandleAllocated()) GetWindowRect(W->Handle(), &r);
  return {r.left, r.top, r.right, r.bottom};
}

// ---- views ----

class TBarViewAccObject : public TBarCustomAccObject {
 public:
  explicit TBarViewAccObject(TBarView* V) : view_(V) {
    V->AccObject = this;
    ++List().ViewCount;
  }
  ~TBarViewAccObject() override {
    if (view_) view_->AccObject = nullptr;
    --List().ViewCount;
  }
  void Orphan() override { view_ = nullptr; }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** Out) override {
    if (!view_) return E_FAIL;
    if (!Out) return E_INVALIDARG;
    *Out = nullptr;
    if (TBarView* pv = view_->ParentView(); pv && pv->OpenViewerView() == view_ && pv->OpenViewer()) {
      *Out = GetBarViewerAccObject(pv->OpenViewer());
      return S_OK;
    }
    VARIANT v;
    if (!view_->Window() || !view_->Window()->HandleAllocated() ||
        ObjectFromWindow(view_->Window()->Handle(), OBJID_WINDOW, &v) != S_OK)
      return E_UNEXPECTED;
    *Out = v.pdispVal;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* Out) override {
    if (!view_) return E_FAIL;
    if (!Out) return E_INVALIDARG;
    *Out = view_->AccChildCount();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT Child, IDispatch** Out) override {
    if (!view_) return E_FAIL;
    if (!Out || Child.vt != VT_I4) return E_INVALIDARG;
    *Out = nullptr;
    if (Child.lVal == CHILDID_SELF) {
      AddRef();
      *Out = this;
      return S_OK;
    }
    TBarItemViewer* v = view_->AccChild(Child.lVal);
    if (!v) return E_INVALIDARG;
    VARIANT r;
    HRESULT hr = ChildObjectVariant(v, &r);
    if (hr == S_OK) *Out = r.pdispVal;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT Child, BSTR* Out) override {
    if (!view_) return E_FAIL;
    if (!IsSelf(Child)) return E_INVALIDARG;
    WideString name;
    if (TBarView* pv = view_->ParentView(); pv && pv->OpenViewerView() == view_ && pv->OpenViewer())
      name = StripAccelChars(pv->OpenViewer()->CaptionBeforeTab());
    if (name.empty() && view_->Window()) name = view_->Window()->Caption();
    return ReturnString(name, Out);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT Child, VARIANT* Out) override {
    if (!view_) return E_FAIL;
    if (!IsSelf(Child) || !Out) return E_INVALIDARG;
    VariantInit(Out);
    Out->vt = VT_I4;
    Out->lVal = view_->IsPopup()                      ? ROLE_SYSTEM_MENUPOPUP
                : view_->Style().Contains(vsyMenuBar) ? ROLE_SYSTEM_MENUBAR
                                                      : ROLE_SYSTEM_TOOLBAR;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT Child, VARIANT* Out) override {
    if (!view_) return E_FAIL;
    if (!IsSelf(Child) || !Out) return E_INVALIDARG;
    VariantInit(Out);
    Out->vt = VT_I4;
    Out->lVal = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT Child, BSTR* Out) override {
    if (!view_) return E_FAIL;
    if (!IsSelf(Child)) return E_INVALIDARG;
    return ReturnString(view_->Style().Contains(vsyMenuBar) ? BarAltKeyName() : WideString(), Out);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* Out) override {
    if (!view_) return E_FAIL;
    if (!Out) return E_INVALIDARG;
    VariantInit(Out);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT Child, BSTR* Out) override {
    if (!view_) return E_FAIL;
    if (!IsSelf(Child)) return E_INVALIDARG;
    return ReturnString({}, Out);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT Child) override {
    if (!view_) return E_FAIL;
    return IsSelf(Child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* L, long* T, long* W, long* H, VARIANT Child) override {
    if (!view_) return E_FAIL;
    if (!IsSelf(Child) || !L || !T || !W || !H) return E_INVALIDARG;
    TRect r = ScreenBounds(view_->Window());
    *L = r.Left, *T = r.Top, *W = r.Width(), *H = r.Height();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long Dir, VARIANT Start, VARIANT* Out) override {
    if (!view_) return E_FAIL;
    if (!IsSelf(Start) || !Out) return E_INVALIDARG;
    VariantInit(Out);
    int n = view_->AccChildCount();
    if ((Dir == NAVDIR_FIRSTCHILD || Dir == NAVDIR_LASTCHILD) && n > 0)
      return ViewerObjectVariant(view_->AccChild(Dir == NAVDIR_FIRSTCHILD ? 1 : n), Out);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long X, long Y, VARIANT* Out) override {
    if (!view_) return E_FAIL;
    if (!Out) return E_INVALIDARG;
    VariantInit(Out);
    TWinControl* w = view_->Window();
    if (!w || !w->HandleAllocated() || !ScreenBounds(w).Contains({X, Y})) return S_FALSE;
    POINT p{X, Y};
    ScreenToClient(w->Handle(), &p);
    HWND child = ChildWindowFromPointEx(w->Handle(), p, CWP_SKIPINVISIBLE);
    if (child && child != w->Handle()) return ObjectFromWindow(child, OBJID_WINDOW, Out);
    if (TBarItemViewer* v = view_->ViewerFromPoint({p.x, p.y})) return ViewerObjectVariant(v, Out);
    Out->vt = VT_I4;
    Out->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT Child) override {
    if (!view_) return E_FAIL;
    return IsSelf(Child) ? S_FALSE : E_INVALIDARG;
  }

 private:
  TBarView* view_;
};

// ---- viewers ----

class TBarItemViewerAccObject : public TBarCustomAccObject {
 public:
  explicit TBarItemViewerAccObject(TBarItemViewer* V) : viewer_(V) { V->AccObject = this; }
  ~TBarItemViewerAccObject() override {
    if (viewer_) viewer_->AccObject = nullptr;
  }
  void Orphan() override { viewer_ = nullptr; }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** Out) override {
    if (!viewer_) return E_FAIL;
    if (!Out) return E_INVALIDARG;
    *Out = GetBarViewAccObject(viewer_->View());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* Out) override {
    if (!viewer_) return E_FAIL;
    if (!Out) return E_INVALIDARG;
    *Out = OpenView() ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT Child, IDispatch** Out) override {
    if (!viewer_) return E_FAIL;
    if (!Out || Child.vt != VT_I4) return E_INVALIDARG;
    *Out = nullptr;
    TBarView* open = OpenView();
    if (Child.lVal != 1 || !open) return E_INVALIDARG;
    *Out = GetBarViewAccObject(open);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT Child, BSTR* Out) override {
    if (!viewer_) return E_FAIL;
    if (!IsSelf(Child)) return E_INVALIDARG;
    WideString name = StripAccelChars(viewer_->CaptionBeforeTab());
    WideString shortcut = viewer_->Item()->GetShortCutText();
    if (!viewer_->IsToolbarStyle() && !shortcut.empty()) name += L"\t" + shortcut;
    return ReturnString(name, Out);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT Child, VARIANT* Out) override {
    if (!viewer_) return E_FAIL;
    if (!IsSelf(Child) || !Out) return E_INVALIDARG;
    VariantInit(Out);
    Out->vt = VT_I4;
    Out->lVal = viewer_->GetAccRole();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT Child, VARIANT* Out) override {
    if (!viewer_) return E_FAIL;
    if (!IsSelf(Child) || !Out) return E_INVALIDARG;
    TBarView* view = viewer_->View();
    TBarCustomItem* item = viewer_->Item();
    long s = 0;
    if (view->Selected() == viewer_) {
      s |= STATE_SYSTEM_HOTTRACKED;
      if (view->State().Contains(vstModal)) s |= STATE_SYSTEM_FOCUSED;
      if (view->MouseTracking()) s |= STATE_SYSTEM_PRESSED;
    }
    if (item->ItemStyle() & tbisHasSubmenu) s |= STATE_SYSTEM_HASPOPUP;
    if (!viewer_->Show())
      s |= STATE_SYSTEM_INVISIBLE;
    else if (Focusable())
      s |= STATE_SYSTEM_FOCUSABLE;
    if (!item->Enabled() || !(item->ItemStyle() & tbisCanSelect)) s |= STATE_SYSTEM_UNAVAILABLE;
    if (item->Checked()) s |= STATE_SYSTEM_CHECKED;
    VariantInit(Out);
    Out->vt = VT_I4;
    Out->lVal = s;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT Child, BSTR* Out) override {
    if (!viewer_) return E_FAIL;
    if (!IsSelf(Child)) return E_INVALIDARG;
    wchar_t c = FindAccelChar(viewer_->CaptionBeforeTab());
    if (!c) return ReturnString({}, Out);
    wchar_t lower[2] = {c, 0};
    CharLowerW(lower);
    WideString key(1, lower[0]);
    return ReturnString(viewer_->View()->IsPopup() ? key : BarAltKeyName() + L"+" + key, Out);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* Out) override {
    if (!viewer_) return E_FAIL;
    if (!Out) return E_INVALIDARG;
    VariantInit(Out);
    TBarView* view = viewer_->View();
    if (view->State().Contains(vstModal) && view->Selected() == viewer_) {
      Out->vt = VT_I4;
      Out->lVal = CHILDID_SELF;
      return S_OK;
    }
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT Child, BSTR* Out) override {
    if (!viewer_) return E_FAIL;
    if (!IsSelf(Child)) return E_INVALIDARG;
    if (!Executable()) return ReturnString({}, Out);
    TBarView* view = viewer_->View();
    const wchar_t* action = view->OpenViewer() == viewer_                           ? L"Close"
                            : viewer_->Item()->ItemStyle() & tbisHasSubmenu         ? L"Open"
                            : view->IsPopup() || view->Style().Contains(vsyMenuBar) ? L"Execute"
                                                                                    : L"Press";
    return ReturnString(action, Out);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT Child) override {
    if (!viewer_) return E_FAIL;
    if (!IsSelf(Child)) return E_INVALIDARG;
    if (!Executable()) return E_FAIL;
    TBarView* view = viewer_->View();
    if (view->OpenViewer() == viewer_) {
      view->CloseSubmenu();
      return S_OK;
    }
    view->Select(viewer_);
    view->RevealSelection();
    viewer_->Execute(true);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long Flags, VARIANT Child) override {
    if (!viewer_) return E_FAIL;
    if (!IsSelf(Child)) return E_INVALIDARG;
    if (!(Flags & SELFLAG_TAKEFOCUS)) return E_INVALIDARG;
    if (!Focusable()) return E_FAIL;
    viewer_->View()->Select(viewer_);
    viewer_->View()->RevealSelection();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* L, long* T, long* W, long* H, VARIANT Child) override {
    if (!viewer_) return E_FAIL;
    if (!IsSelf(Child) || !L || !T || !W || !H) return E_INVALIDARG;
    TRect r = viewer_->BoundsRect();
    TPoint o;
    if (TWinControl* w = viewer_->View()->Window(); w && w->HandleAllocated()) o = w->ClientToScreen({0, 0});
    *L = r.Left + o.X, *T = r.Top + o.Y, *W = r.Width(), *H = r.Height();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long Dir, VARIANT Start, VARIANT* Out) override {
    if (!viewer_) return E_FAIL;
    if (!IsSelf(Start) || !Out) return E_INVALIDARG;
    VariantInit(Out);
    TBarView* view = viewer_->View();
    if (Dir == NAVDIR_FIRSTCHILD || Dir == NAVDIR_LASTCHILD) {
      TBarView* open = OpenView();
      if (!open) return S_FALSE;
      SetDispatch(Out, GetBarViewAccObject(open));
      return S_OK;
    }
    int i = view->AccChildIndex(viewer_);
    int step = Dir == NAVDIR_UP || Dir == NAVDIR_LEFT || Dir == NAVDIR_PREVIOUS  ? -1
               : Dir == NAVDIR_DOWN || Dir == NAVDIR_RIGHT || Dir == NAVDIR_NEXT ? 1
                                                                                 : 0;
    if (i <= 0 || step == 0) return S_FALSE;
    TBarItemViewer* next = view->AccChild(i + step);
    return next ? ViewerObjectVariant(next, Out) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long X, long Y, VARIANT* Out) override {
    if (!viewer_) return E_FAIL;
    if (!Out) return E_INVALIDARG;
    VariantInit(Out);
    long l = 0, t = 0, w = 0, h = 0;
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    accLocation(&l, &t, &w, &h, self);
    if (X < l || X >= l + w || Y < t || Y >= t + h) return S_FALSE;
    Out->vt = VT_I4;
    Out->lVal = CHILDID_SELF;
    return S_OK;
  }

 private:
  TBarView* OpenView() {
    TBarView* view = viewer_->View();
    return view->OpenViewer() == viewer_ ? view->OpenViewerView() : nullptr;
  }
  bool Focusable() {
    TBarCustomItem* item = viewer_->Item();
    return viewer_->Show() && item->Enabled() && (item->ItemStyle() & tbisCanSelect);
  }
  bool Executable() {
    if (!Focusable()) return false;
    TBarView* view = viewer_->View();
    TWinControl* w = view->Window();
    if (!w || !w->HandleAllocated() || w->ComponentState().Contains(csDesigning)) return false;
    if (!IsWindowVisible(w->Handle())) return false;
    for (HWND p = w->Handle(); p; p = GetParent(p))
      if (!IsWindowEnabled(p)) return false;
    if (view->State().Contains(vstModal)) return true;
    HWND active = GetActiveWindow();
    return active && (active == w->Handle() || IsChild(active, w->Handle()));
  }
  TBarItemViewer* viewer_;
};

}  // namespace

bool BarAccessibilityAvailable() { return Imports().LresultFromObject && Imports().AccessibleObjectFromWindow; }

void InitBarAccessibility() {
  TObjectList& list = List();
  if (!list.ComInitialized) list.ComInitialized = SUCCEEDED(CoInitialize(nullptr));
}

void DoneBarAccessibility() {
  TLocked lock;
  DisconnectAndUninitialize(List());
}

IAccessible* GetBarViewAccObject(TBarView* View) {
  if (!View || !BarAccessibilityAvailable()) return nullptr;
  BarAccObjectOrphaned = &OrphanObject;
  if (View->AccObject) {
    auto* o = static_cast<TBarViewAccObject*>(View->AccObject);
    o->AddRef();
    return o;
  }
  return new TBarViewAccObject(View);
}

IAccessible* GetBarViewerAccObject(TBarItemViewer* Viewer) {
  if (!Viewer || !BarAccessibilityAvailable()) return nullptr;
  BarAccObjectOrphaned = &OrphanObject;
  if (Viewer->AccObject) {
    auto* o = static_cast<TBarItemViewerAccObject*>(Viewer->AccObject);
    o->AddRef();
    return o;
  }
  return new TBarItemViewerAccObject(Viewer);
}

LRESULT AnswerBarGetObject(TBarView* View, WPARAM WParam, LPARAM LParam) {
  if (static_cast<LONG>(LParam) != OBJID_CLIENT || !BarAccessibilityAvailable()) return 0;
  IAccessible* object = GetBarViewAccObject(View);
  if (!object) return 0;
  LRESULT r = Imports().LresultFromObject(IID_IAccessible, WParam, object);
  object->Release();
  return r;
}

int BarAccObjectCount() {
  TLocked lock;
  return List().Count;
}

int BarViewAccObjectCount() {
  TLocked lock;
  return List().ViewCount;
}

WideString BarAltKeyName() {
  wchar_t buffer[256] = {};
  LONG scan = static_cast<LONG>(MapVirtualKeyW(VK_MENU, 0)) << 16;
  if (GetKeyNameTextW(scan, buffer, 256) > 0) return buffer;
  return L"Alt";
}
