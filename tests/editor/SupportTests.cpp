// The editor's small classes: the callback chain, the mark list, the option groups, the glyph and
// the strips of built-in images.
#include <gtest/gtest.h>

#include <string>

#include "editor/TxtEditBookMarkOpt.h"
#include "editor/TxtEditGlyph.h"
#include "editor/TxtEditGutter.h"
#include "editor/TxtEditMarks.h"
#include "editor/TxtEditMethodChain.h"
#include "editor/TxtEditSelectedColor.h"
#include "framework/ImageList.h"
#include "tests/framework/GraphicsTestSupport.h"
#include "tests/framework/Raised.h"

namespace {

struct Recorder : TObject {
  std::string log;
  TObject* lastSender = nullptr;
  TTxtNotifyEventChain* chain = nullptr;
  bool continueAfterError = true;
  bool handlerRaises = false;

  void A(TObject* Sender) {
    log += "A";
    lastSender = Sender;
  }
  void B(TObject*) { log += "B"; }
  void Raise(TObject*) {
    log += "!";
    throw Exception("boom");
  }
  void AddsB(TObject*) {
    log += "+";
    chain->Add(TNotifyEvent(this, &Recorder::B));
  }
  void OnError(TObject*, Exception& E, bool& Continue) {
    log += "[" + std::string(E.what()) + "]";
    if (handlerRaises) throw Exception("again");
    Continue = continueAfterError;
  }
};

struct CountedMark : TTxtEditMark {
  explicit CountedMark(int* freed, int line) : freed_(freed) { SetLine(line); }
  ~CountedMark() override { ++*freed_; }
  int* freed_;
};

}  // namespace

TEST(MethodChain, FiresInOrderWithItsSender) {
  Recorder r;
  TTxtNotifyEventChain chain(r);
  chain.Add(TNotifyEvent(&r, &Recorder::A));
  chain.Add(TNotifyEvent(&r, &Recorder::B));
  chain.Add(TNotifyEvent(&r, &Recorder::A));
  chain.Fire();
  EXPECT_EQ(r.log, "ABA");
  EXPECT_EQ(r.lastSender, &r);
  // Remove takes out every equal entry.
  chain.Remove(TNotifyEvent(&r, &Recorder::A));
  r.log.clear();
  chain.Fire();
  EXPECT_EQ(r.log, "B");
  EXPECT_EQ(chain.Count(), 1);
}

TEST(MethodChain, RejectsUnassignedCallbacks) {
  TTxtNotifyEventChain chain;
  EXPECT_EQ(Raised<ETxtMethodChain>([&] { chain.Add(TNotifyEvent()); }),
            "TTxtNotifyEventChain.Entry : the parameter `AEvent' must be specified.");
  EXPECT_EQ(Raised<ETxtMethodChain>([&] { chain.Remove(TNotifyEvent()); }),
            "TTxtNotifyEventChain.Remove: the parameter `AEvent' must be specified.");
}

TEST(MethodChain, CallbacksAddedWhileFiringAreReached) {
  Recorder r;
  TTxtNotifyEventChain chain(r);
  r.chain = &chain;
  chain.Add(TNotifyEvent(&r, &Recorder::AddsB));
  chain.Fire();
  EXPECT_EQ(r.log, "+B");
}

TEST(MethodChain, TheExceptionHandlerDecidesWhetherTheWalkGoesOn) {
  Recorder r;
  TTxtNotifyEventChain chain(r);
  chain.Add(TNotifyEvent(&r, &Recorder::Raise));
  chain.Add(TNotifyEvent(&r, &Recorder::B));
  EXPECT_THROW(chain.Fire(), Exception);  // without a handler
  EXPECT_EQ(r.log, "!");
  r.log.clear();
  chain.OnException = TTxtExceptionEvent(&r, &Recorder::OnError);
  chain.Fire();
  EXPECT_EQ(r.log, "![boom]B");
  r.log.clear();
  r.continueAfterError = false;
  chain.Fire();
  EXPECT_EQ(r.log, "![boom]");
  r.handlerRaises = true;
  EXPECT_EQ(Raised<ETxtMethodChain>([&] { chain.Fire(); }),
            "TTxtNotifyEventChain.DoHandleException : MUST NOT occur any kind of exception in ExceptionHandler");
}

// Adding, removing and clearing tell the owner (a clear once); deleting one and the destructor
// do not: the owner that frees the list is going itself.
TEST(MarkList, OwnsItsMarks) {
  int freed = 0;
  Recorder owner;
  {
    TTxtEditMarkList marks;
    marks.OnChange = TNotifyEvent(&owner, &Recorder::B);
    auto* a = new CountedMark(&freed, 1);
    EXPECT_EQ(marks.Add(a), 0);
    marks.Add(new CountedMark(&freed, 2));
    marks.Add(new CountedMark(&freed, 3));
    marks.Delete(1);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(marks.Remove(a), 0);
    EXPECT_EQ(freed, 2);
    marks.Add(new CountedMark(&freed, 4));
    marks.Clear();
    EXPECT_EQ(freed, 4);
    marks.Add(new CountedMark(&freed, 5));
    EXPECT_EQ(owner.log, "BBBBBBB");
  }
  EXPECT_EQ(freed, 5);  // the destructor frees what is left
  EXPECT_EQ(owner.log, "BBBBBBB");
}

TEST(MarkList, RemovingAMarkThatIsNotInTheListFailsAndChangesNothing) {
  int freed = 0;
  TTxtEditMarkList marks;
  marks.Add(new CountedMark(&freed, 1));
  CountedMark stranger(&freed, 1);
  EXPECT_EQ(Raised<EListError>([&] { marks.Remove(&stranger); }), "List index out of bounds (-1)");
  EXPECT_EQ(marks.Count(), 1);
  EXPECT_EQ(freed, 0);
}

TEST(MarkList, MarksForALineAreCutAtSeventeen) {
  int freed = 0;
  TTxtEditMarkList marks;
  for (int i = 0; i < 20; ++i) {
    marks.Add(new CountedMark(&freed, 7));
    marks.Add(new CountedMark(&freed, 8));
  }
  TTxtEditMarks found;
  found.fill(reinterpret_cast<TTxtEditMark*>(1));
  marks.GetMarksForLine(7, found);
  for (size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i], marks.Items(static_cast<int>(2 * i)));
  marks.GetMarksForLine(9, found);
  for (TTxtEditMark* m : found) EXPECT_EQ(m, nullptr);
}

// ---- selection colours and gutter ----

TEST(Gutter, LineNumbersWithStartZeroStartAndLeadingZeros) {
  TTxtGutter g;
  EXPECT_EQ(g.FormatLineNumber(7), "   7");
  g.SetLeadingZeros(true);
  EXPECT_EQ(g.FormatLineNumber(7), "0007");
  EXPECT_EQ(g.FormatLineNumber(123456), "123456");  // never cut
  g.SetLeadingZeros(false);
  g.SetZeroStart(true);
  EXPECT_EQ(g.FormatLineNumber(1), "   0");
  g.SetLineNumberStart(10);
  EXPECT_EQ(g.FormatLineNumber(1), "  10");
  g.SetLineNumberStart(-5);
  EXPECT_TRUE(g.ZeroStart());
  EXPECT_EQ(g.LineNumberShown(1), 0);
}

TEST(Gutter, DigitsFollowTheLineCountOnlyWhenSizingItself) {
  TTxtGutter g;
  g.AutoSizeDigitCount(12345);
  EXPECT_EQ(g.AutoSizeDigitCount(), 4);
  EXPECT_EQ(g.RealGutterWidth(8), 30);
  g.SetAutoSize(true);
  g.SetShowLineNumbers(true);
  g.AutoSizeDigitCount(12345);
  EXPECT_EQ(g.AutoSizeDigitCount(), 5);
  EXPECT_EQ(g.RealGutterWidth(8), 16 + 2 + 5 * 8 + 2);
  g.AutoSizeDigitCount(10);
  EXPECT_EQ(g.AutoSizeDigitCount(), 4);  // never below DigitCount
  g.SetVisible(false);
  EXPECT_EQ(g.RealGutterWidth(8), 0);
  g.AutoSizeDigitCount(1000000);
  EXPECT_EQ(g.AutoSizeDigitCount(), 4);
}

// ---- bookmark options, glyph and internal images ----

namespace {

struct NotifiedOwner : TComponent {
  using TComponent::TComponent;
  TComponent* removed = nullptr;
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) removed = AComponent;
  }
};

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

// Rows of a column band that hold a colour.
std::pair<int, int> RowsWith(const TTestPicture& s, uint32_t color) {
  int first = -1, last = -1;
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      if (s.Pixel(x, y) == color) {
        if (first < 0) first = y;
        last = y;
      }
  return {first, last};
}

}  // namespace

TEST(BookMarkOpt, TheOwnerHearsWhenTheImageListGoes) {
  NotifiedOwner owner(nullptr);
  TTxtBookMarkOpt a(&owner);
  auto* images = new TImageList(nullptr);
  a.SetBookmarkImages(images);
  delete images;
  EXPECT_EQ(owner.removed, images);
  a.SetBookmarkImages(nullptr);  // what the owner does when told
}

TEST(Glyph, TheBuiltInPictureIsDrawnCentredWithItsMaskTransparent) {
  TTxtGlyph glyph(Module(), L"TxtEditWrapped", clLime);
  ASSERT_NE(glyph.InternalGlyph(), nullptr);
  const int w = glyph.InternalGlyph()->Width(), h = glyph.InternalGlyph()->Height();

  TTestPicture tall(w + 4, h + 10, 0xFFFFFF);
  { glyph.Draw(tall.Canvas(), 2, 0, h + 10); }
  EXPECT_EQ(tall.Count(0x00FF00), 0);    // the mask colour shows nothing
  auto rows = RowsWith(tall, 0x800000);  // the ink: navy
  EXPECT_GE(rows.first, 5);
  EXPECT_LT(rows.second, 5 + h);

  // A line lower than the picture shows the middle band.
  TTestPicture low(w + 4, h / 2, 0xFFFFFF);
  { glyph.Draw(low.Canvas(), 0, 0, h / 2); }
  EXPECT_GT(low.Count(0x800000), 0);
}

TEST(Glyph, AUserPictureWins) {
  TTxtGlyph glyph(Module(), L"TxtEditWrapped", clLime);
  TBitmap own;
  own.SetSize(5, 4);
  own.Canvas()->Brush()->SetColor(clRed);
  own.Canvas()->FillRect(Rect(0, 0, 5, 4));
  own.Canvas()->SetPixels(0, 0, clFuchsia);
  glyph.SetGlyph(&own);
  glyph.SetMaskColor(clFuchsia);

  TTestPicture s(8, 4, 0xFFFFFF);
  { glyph.Draw(s.Canvas(), 0, 0, 4); }
  EXPECT_EQ(s.Count(0x0000FF), 5 * 4 - 1);
  EXPECT_EQ(s.Pixel(0, 0), 0xFFFFFFu);  // the mask colour
}

TEST(Glyph, AMissingResourceIsAnError) {
  EXPECT_THROW(TTxtGlyph(Module(), L"NoSuchBitmap", clLime), EResNotFound);
  TTxtGlyph none(Module(), L"", clLime);
  EXPECT_EQ(none.InternalGlyph(), nullptr);
  TTestPicture s(4, 4, 0xFFFFFF);
  none.Draw(s.Canvas(), 0, 0, 4);  // nothing to draw
  EXPECT_EQ(s.Count(0xFFFFFF), 16);
}

TEST(InternalImage, StripsOfOneResourceShareTheBitmap) {
  const int cached = TTxtInternalImage::CachedBitmaps();
  auto a = std::make_unique<TTxtInternalImage>(Module(), L"TxtEditInternalImages", 10);
  TTxtInternalImage b(Module(), L"TXTEDITINTERNALIMAGES", 10);
  EXPECT_EQ(a->Images(), b.Images());
  EXPECT_EQ(TTxtInternalImage::CachedBitmaps(), cached + 1);
  a.reset();
  EXPECT_EQ(TTxtInternalImage::CachedBitmaps(), cached + 1);

  // Image 3, centred on a taller line, is the fourth cell of the strip.
  const int w = b.Width(), h = b.Height();
  TTestPicture s(w, h + 6, 0x123456);
  {
    b.Draw(s.Canvas(), 3, 0, 0, h + 6);
    b.Draw(s.Canvas(), 10, 0, 0, h + 6);  // outside the strip: nothing
    b.Draw(s.Canvas(), -1, 0, 0, h + 6);
  }
  TCanvas* strip = b.Images()->Canvas();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(s.Pixel(x, y + 3), static_cast<uint32_t>(strip->Pixels(3 * w + x, y)));
  EXPECT_THROW(TTxtInternalImage(Module(), L"NoSuchStrip", 10), EResNotFound);
  EXPECT_EQ(TTxtInternalImage::CachedBitmaps(), cached + 1);
}
