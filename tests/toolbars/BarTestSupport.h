// Items of fixed sizes, views without windows and a listener that records notifications, so
// that the item tree and the layout can be checked without windows or fonts.
#pragma once

#include <string>
#include <vector>

#include "framework/GdiHandles.h"
#include "tests/common/TestPicture.h"
#include "toolbars/BarView.h"

// A white picture with its canvas in the menu font and a clear brush.
struct TMenuPicture : TTestPicture {
  TMenuPicture(int W, int H) : TTestPicture(W, H) {
    Canvas()->Font()->Assign(GetToolbarFont());
    Canvas()->Brush()->SetStyle(bsClear);
  }
};

// Every item property of the item tree, in the order form files list them.
inline constexpr const char* AllBarItemProperties =
    "Action AutoCheck Caption Checked DisplayMode Enabled GroupIndex HelpContext Hint ImageIndex Images "
    "InheritOptions LinkSubitems MaskOptions Options RadioItem ShortCut SubMenuImages Visible OnClick OnPopup "
    "OnSelect";

// An item that takes every item property from form files, as the program's own items do.
class TPublishedItem : public TBarCustomItem {
  HV_CLASS(TPublishedItem, TBarCustomItem)
 public:
  explicit TPublishedItem(TComponent* AOwner) : TBarCustomItem(AOwner) {}
};

// Publishes the item properties Names chooses, raising for a name no property has.
template <class T>
void PublishChosenItemProperties(TPublisher<T>& p, std::string_view Names) {
  TItemPropertyChoice choice(Names);
  PublishBarItemProperties(p, choice);
  choice.CheckAllTaken();
}

class TSizedViewer : public TBarItemViewer {
 public:
  using TBarItemViewer::TBarItemViewer;
  void CalcSize(TCanvas*, int& AWidth, int& AHeight) override;
};

// An item whose viewers measure W x H; Extra adds item style bits.
class TSizedItem : public TBarCustomItem {
 public:
  TSizedItem(int AW, int AH, TBarItemStyle AExtra = 0, const WideString& ACaption = L"")
      : TBarCustomItem(nullptr), W(AW), H(AH) {
    SetItemStyle(ItemStyle() | AExtra);
    SetCaption(ACaption);
  }
  TBarItemViewerClass ViewerClass(TBarView*) override { return &MakeBarItemViewer<TSizedViewer>; }
  int W, H;
};

inline void TSizedViewer::CalcSize(TCanvas*, int& AWidth, int& AHeight) {
  auto* item = static_cast<TSizedItem*>(Item());
  AWidth = item->W;
  AHeight = item->H;
}

class TSizedSeparator : public TBarSeparatorItem {
 public:
  explicit TSizedSeparator(int ASize = 6, TBarItemStyle AExtra = 0) : TBarSeparatorItem(nullptr), Size(ASize) {
    SetItemStyle(ItemStyle() | AExtra);
  }
  TBarItemViewerClass ViewerClass(TBarView*) override;
  int Size;
};

class TSizedSeparatorViewer : public TBarSeparatorItemViewer {
 public:
  using TBarSeparatorItemViewer::TBarSeparatorItemViewer;
  void CalcSize(TCanvas*, int& AWidth, int& AHeight) override {
    int s = static_cast<TSizedSeparator*>(Item())->Size;
    AWidth = s;
    AHeight = s;
  }
};

inline TBarItemViewerClass TSizedSeparator::ViewerClass(TBarView*) { return &MakeBarItemViewer<TSizedSeparatorViewer>; }

// A view whose mouse position and window test the test decides; optionally with a chevron.
class TTestView : public TBarView {
 public:
  TTestView(TBarCustomItem* AParentItem, bool AIsToolbar, TBarCustomItem* AChevron = nullptr,
            TBarView* AParentView = nullptr, TWinControl* AWindow = nullptr, bool ACustomizing = false)
      : TBarView(nullptr, AParentView, AParentItem, AWindow, AIsToolbar, ACustomizing, true), Chevron(AChevron) {
    if (Chevron) RebuildViewers();
  }
  TBarCustomItem* GetOverflowItem() override { return Chevron; }
  TPoint MessagePos() override { return MousePos; }
  bool PointOnWindow(const TPoint&) override { return MouseInWindow; }
  TBarCustomItem* Chevron;
  TPoint MousePos;
  bool MouseInWindow = false;
};

// Records every notification an item sends to its listeners.
struct TChangeLog {
  std::vector<std::string> Entries;
  void Handler(TBarCustomItem*, bool Relayed, TBarItemChangedAction Action, int Index, TBarCustomItem*) {
    Entries.push_back((*TypeInfoOf<TBarItemChangedAction>().Names)[static_cast<size_t>(Action)] + " " +
                      std::to_string(Index) + (Relayed ? " relayed" : ""));
  }
  TBarItemChangeHandler Proc() { return TBarItemChangeHandler(this, &TChangeLog::Handler); }
  std::string Text() const {
    std::string s;
    for (const auto& e : Entries) s += (s.empty() ? "" : ", ") + e;
    return s;
  }
};

// The rectangles of the shown viewers, "L,T,R,B" each, "-" for hidden ones.
inline std::string Rects(TBarView& View) {
  std::string s;
  for (int i = 0; i < View.ViewerCount(); ++i) {
    TBarItemViewer* v = View.Viewers(i);
    if (!s.empty()) s += " ";
    if (!v->Show()) {
      s += "-";
      continue;
    }
    const TRect& r = v->BoundsRect();
    s += std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
         std::to_string(r.Bottom);
  }
  return s;
}
