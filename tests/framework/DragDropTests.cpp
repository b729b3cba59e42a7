// Dragging inside the program: the threshold before a drag starts, enter, move and leave over
// the targets, the drop on an accepting target, cancelling, and the end the source hears of.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "framework/DragDrop.h"

namespace {

struct TDragLog {
  std::vector<std::string> log;
  TObject* source = nullptr;
  bool accept = true;
  void Over(TObject* sender, TObject* src, int x, int y, TDragState state, bool& accept_) {
    static const char* states[] = {"enter", "leave", "move"};
    log.push_back(std::string("over ") + states[state] + " " + std::to_string(x) + "," + std::to_string(y) +
                  (sender == src ? " self" : ""));
    source = src;
    accept_ = accept;
  }
  void Drop(TObject*, TObject* src, int x, int y) {
    log.push_back("drop " + std::to_string(x) + "," + std::to_string(y));
    source = src;
  }
  void End(TObject*, TObject* target, int x, int y) {
    log.push_back(std::string("end ") + (target ? "target " : "none ") + std::to_string(x) + "," + std::to_string(y));
  }
};

struct TDragScene {
  TDragScene() {
    Form = NewShownForm(400, 200);
    Source = Add(10);
    Target = Add(200);
    Source->OnEndDrag = TEndDragEvent(&Log, &TDragLog::End);
    Target->OnDragOver = TDragOverEvent(&Log, &TDragLog::Over);
    Target->OnDragDrop = TDragDropEvent(&Log, &TDragLog::Drop);
    Pump();
  }
  ~TDragScene() {
    SetCursorPos(0, 0);
    Free(Form);
  }
  TWcControl* Add(int left) {
    auto* c = new TWcControl(Form);
    c->SetBounds(left, 10, 100, 100);
    c->SetParent(Form);
    return c;
  }
  // The mouse really moves there (targets are found under the mouse) and the source's window,
  // which has the mouse captured, hears of it.
  void MoveTo(TControl* over, int x, int y) {
    TPoint screen = over->ClientToScreen({x, y});
    SetCursorPos(screen.X, screen.Y);
    TPoint local = Source->ScreenToClient(screen);
    SendMouse(Source->Handle(), WM_MOUSEMOVE, local.X, local.Y, MK_LBUTTON);
  }
  void Release(TControl* over, int x, int y) {
    TPoint local = Source->ScreenToClient(over->ClientToScreen({x, y}));
    SendMouse(Source->Handle(), WM_LBUTTONUP, local.X, local.Y, 0);
  }
  TForm* Form;
  TWcControl* Source;
  TWcControl* Target;
  TDragLog Log;
};

}  // namespace

TEST(DragDrop, ADragStartsAtTheThresholdAndDropsOnAnAcceptingTarget) {
  TDragScene s;
  s.MoveTo(s.Source, 20, 20);
  s.Source->BeginDrag(false);
  EXPECT_TRUE(s.Source->Dragging());
  EXPECT_EQ(GetCaptureControl(), s.Source);
  s.MoveTo(s.Source, 21, 20);  // within the system's drag distance: nothing yet
  EXPECT_TRUE(s.Log.log.empty());
  s.MoveTo(s.Target, 5, 6);
  s.MoveTo(s.Target, 7, 8);
  ASSERT_NE(dragdrop::Current(), nullptr);
  EXPECT_EQ(dragdrop::Current()->DragTarget(), s.Target);
  s.Release(s.Target, 7, 8);
  EXPECT_FALSE(s.Source->Dragging());
  EXPECT_EQ(dragdrop::Current(), nullptr);
  std::vector<std::string> expected = {"over enter 5,6", "over move 7,8", "drop 7,8", "end target 7,8"};
  EXPECT_EQ(s.Log.log, expected);
  EXPECT_EQ(s.Log.source, s.Source);  // a control's drag has the control as its source
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST(DragDrop, ARefusingTargetGetsNoDropAndLeavingIsTold) {
  TDragScene s;
  s.Log.accept = false;
  s.Source->BeginDrag(true);  // at once
  s.MoveTo(s.Target, 5, 5);
  s.MoveTo(s.Source, 5, 5);  // the source itself has no OnDragOver: it refuses
  s.MoveTo(s.Target, 6, 6);
  s.Release(s.Target, 6, 6);
  std::vector<std::string> expected = {"over enter 5,5", "over leave 205,5", "over enter 6,6", "over leave 6,6",
                                       "end none 6,6"};
  // The leave positions are in the target's coordinates wherever the mouse is.
  expected[1] = "over leave " + std::to_string(5 + s.Source->Left() - s.Target->Left()) + ",5";
  EXPECT_EQ(s.Log.log, expected);
}

TEST(DragDrop, EscapeTheRightButtonOrAReleaseBeforeTheThresholdEndTheDrag) {
  TDragScene s;
  s.Source->BeginDrag(true);
  s.MoveTo(s.Target, 5, 5);
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
  Pump();
  EXPECT_FALSE(s.Source->Dragging());
  EXPECT_EQ(s.Log.log.back(), "end none 5,5");

  s.Log.log.clear();
  s.Source->BeginDrag(true);
  s.MoveTo(s.Target, 5, 5);
  TPoint local = s.Source->ScreenToClient(s.Target->ClientToScreen({5, 5}));
  SendMouse(s.Source->Handle(), WM_RBUTTONDOWN, local.X, local.Y, MK_RBUTTON | MK_LBUTTON);
  EXPECT_FALSE(s.Source->Dragging());
  EXPECT_EQ(s.Log.log.back(), "end none 5,5");
  EXPECT_EQ(std::count(s.Log.log.begin(), s.Log.log.end(), "drop 5,5"), 0);

  // A press and release without moving far is an ordinary click of the source.
  s.Log.log.clear();
  s.Source->Log.clear();
  s.MoveTo(s.Source, 20, 20);
  SendMouse(s.Source->Handle(), WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  s.Source->BeginDrag(false);
  SendMouse(s.Source->Handle(), WM_LBUTTONUP, 20, 20, 0);
  EXPECT_FALSE(s.Source->Dragging());
  // Without a target the end is told in screen coordinates.
  TPoint screen = s.Source->ClientToScreen({20, 20});
  EXPECT_EQ(s.Log.log,
            std::vector<std::string>{"end none " + std::to_string(screen.X) + "," + std::to_string(screen.Y)});
  EXPECT_EQ(s.Source->Log.back(), "up L 20,20 [Left]");
}

TEST(DragDrop, AnAutomaticDragStartsWithThePressAndASourceThatGoesEndsIt) {
  TDragScene s;
  s.Source->SetDragMode(dmAutomatic);
  s.MoveTo(s.Source, 20, 20);
  SendMouse(s.Source->Handle(), WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_TRUE(s.Source->Dragging());
  EXPECT_TRUE(s.Source->Log.empty() || s.Source->Log.back().rfind("down", 0) != 0);  // no press for the control
  s.MoveTo(s.Target, 50, 50);
  delete s.Source;
  EXPECT_EQ(dragdrop::Current(), nullptr);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  // The drop cursor is the source's drag cursor; a refusing target shows the no-drop cursor.
  TDragControlObject object(s.Target);
  s.Target->SetDragCursor(crMultiDrag);
  EXPECT_EQ(object.GetDragCursor(true, 0, 0), crMultiDrag);
  EXPECT_EQ(object.GetDragCursor(false, 0, 0), crNoDrop);
}

TEST(DragDrop, ADockingDragIsToldThroughTheDockEvents) {
  struct TStartLog {
    std::vector<std::string>* log;
    void Drag(TObject*, TDragObject*&) { log->push_back("start drag"); }
    void Dock(TObject*, TDragDockObject*&) { log->push_back("start dock"); }
    void EndDock(TObject*, TObject* target, int x, int y) {
      log->push_back(std::string("end dock ") + (target ? "target " : "none ") + std::to_string(x) + "," +
                     std::to_string(y));
    }
  };
  const std::tuple<TDragKind, bool, std::vector<std::string>> cases[] = {
      {dkDock, true, {"start dock", "over enter 5,6", "drop 5,6", "end dock target 5,6"}},
      {dkDock, false, {"start dock", "over enter 5,6", "over leave 5,6", "end dock none 5,6"}},
      {dkDrag, true, {"start drag", "over enter 5,6", "drop 5,6", "end target 5,6"}}};
  for (const auto& [kind, drop, expected] : cases) {
    TDragScene s;
    TStartLog starts{&s.Log.log};
    s.Source->SetDragKind(kind);
    s.Source->OnStartDrag = TStartDragEvent(&starts, &TStartLog::Drag);
    s.Source->OnStartDock = TStartDockEvent(&starts, &TStartLog::Dock);
    s.Source->OnEndDock = TEndDockEvent(&starts, &TStartLog::EndDock);
    s.Source->BeginDrag(true);
    s.MoveTo(s.Target, 5, 6);
    EXPECT_EQ(s.Source->ControlState().Contains(csDocking), kind == dkDock) << kind;
    EXPECT_EQ(dynamic_cast<TDragDockObject*>(dragdrop::Current()) != nullptr, kind == dkDock) << kind;
    if (drop) s.Release(s.Target, 5, 6);
    if (!drop) s.Source->EndDrag(false);
    EXPECT_FALSE(s.Source->ControlState().Contains(csDocking)) << kind << drop;
    EXPECT_EQ(s.Log.log, expected);
  }
}
