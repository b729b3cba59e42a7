// The print preview's bar of a document frame: its dock and skinned toolbar, the items in their
// order with their actions, images and hints, the frame's editor settings taken from the form,
// and disabled buttons drawn in their disabled look.
#include <algorithm>
#include <cstdlib>

#include "app/MainDataModule.h"
#include "controls/PngImageList.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/ListControls.h"
#include "framework/StdCtrls.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/TestPicture.h"
#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"
#include "toolbars/BarItem.h"

namespace {

class PrintPreviewBar : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    module_.reset(New<TMainDataModule>(nullptr));
    Make();
    frame_ = form_->ActiveFrame();
  }
  void TearDown() override {
    DocumentTest::TearDown();
    module_.reset();
  }
  void Pump() {
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  }
  std::unique_ptr<TMainDataModule> module_;
  TDocumentFrame* frame_ = nullptr;
};

enum TKind { kSpacer, kLabel, kButton, kBlank, kSeparator, kControl };

struct TBarRow {
  TKind Kind;
  const wchar_t* Caption;  // labels and buttons
  const char* ActionName;  // buttons
  int ImageIndex;          // buttons: the image of the print-preview list, -1 none
  bool NoAutoHint;
  const char* ControlName;  // control items
};

// The bar from left to right.
const TBarRow barRows[] = {
    {kSpacer, L"", nullptr, -1, false, nullptr},
    {kLabel, L"Page:", nullptr, -1, true, nullptr},
    {kButton, L"First page", "actnFirstPage", 0, false, nullptr},
    {kButton, L"Previous page", "actnPreviousPage", 1, false, nullptr},
    {kBlank, L"", nullptr, -1, false, nullptr},
    {kControl, L"", nullptr, -1, false, "edtPage"},
    {kBlank, L"", nullptr, -1, false, nullptr},
    {kLabel, L"of 1", nullptr, -1, true, nullptr},
    {kButton, L"Next page", "actnNextPage", 2, false, nullptr},
    {kButton, L"Last page", "actnLastPage", 3, false, nullptr},
    {kSeparator, L"", nullptr, -1, false, nullptr},
    {kLabel, L"Scale:", nullptr, -1, true, nullptr},
    {kControl, L"", nullptr, -1, false, "cmbxScale"},
    {kSeparator, L"", nullptr, -1, false, nullptr},
    {kButton, L"Close", "actnClose", -1, true, nullptr},
};

// The brightness (0 to 765) of the darkest pixel inside R.
long Darkest(const TTestPicture& Picture, const TRect& R) {
  long darkest = 765;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) {
      const uint32_t c = Picture.At(x, y);
      darkest = std::min<long>(darkest, (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF));
    }
  return darkest;
}

}  // namespace

TEST_F(PrintPreviewBar, TheDockHoldsAWrappingFullSizeToolbarOfTheDataModulesImages) {
  TSkinToolbar* bar = frame_->tlbrPrintPreview;
  ASSERT_NE(bar, nullptr);
  ASSERT_NE(frame_->dckPrintPreview, nullptr);
  EXPECT_EQ(bar->Parent(), frame_->dckPrintPreview);
  EXPECT_EQ(frame_->dckPrintPreview->Parent(), frame_->stndrdpgPrintPreview);
  EXPECT_TRUE(bar->FullSize());
  EXPECT_EQ(bar->ShrinkMode(), tbsmWrap);
  EXPECT_EQ(bar->Images(), static_cast<TCustomImageList*>(MainDataModule->pngmglstPrintPreview));
  EXPECT_EQ(MainDataModule->pngmglstPrintPreview->Count(), 4);
  EXPECT_EQ(frame_->cmbxScale->DropDownCount(), 15);
  EXPECT_EQ(frame_->cmbxScale->Text(), L"25%");
}

TEST_F(PrintPreviewBar, TheItemsStandInTheirOrderWithActionsImagesAndHints) {
  TBarCustomItem* items = frame_->tlbrPrintPreview->Items();
  ASSERT_EQ(items->Count(), static_cast<int>(std::size(barRows)));
  for (int i = 0; i < items->Count(); ++i) {
    const TBarRow& row = barRows[i];
    TBarCustomItem* item = items->Items(i);
    SCOPED_TRACE(testing::Message() << "item " << i << " " << item->Name());
    switch (row.Kind) {
      case kSpacer: EXPECT_NE(dynamic_cast<TSkinRightAlignSpacerItem*>(item), nullptr); break;
      case kBlank:
      case kSeparator: {
        auto* separator = dynamic_cast<TSkinSeparatorItem*>(item);
        ASSERT_NE(separator, nullptr);
        EXPECT_EQ(separator->Blank(), row.Kind == kBlank);
        break;
      }
      case kControl: {
        auto* control = dynamic_cast<TBarControlItem*>(item);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->Control(), frame_->FindComponent(row.ControlName));
        break;
      }
      case kLabel:
      case kButton: {
        auto* skin = dynamic_cast<TSkinCustomItem*>(item);
        ASSERT_NE(skin, nullptr);
        EXPECT_EQ(dynamic_cast<TSkinCustomLabelItem*>(item) != nullptr, row.Kind == kLabel);
        EXPECT_EQ(skin->Caption(), row.Caption);
        EXPECT_EQ(item->Options().Contains(tboNoAutoHint), row.NoAutoHint);
        if (row.Kind == kButton) {
          EXPECT_EQ(item->Action(), frame_->FindComponent(row.ActionName));
          EXPECT_EQ(item->ImageIndex(), row.ImageIndex);
        }
        break;
      }
    }
  }
  // The page buttons' pictures, by index.
  TPngImageCollectionItems* images = MainDataModule->pngmglstPrintPreview->PngImages();
  const char* const names[] = {"FirstPage", "PreviousPage", "NextPage", "LastPage"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<TPngImageCollectionItem*>(images->Items(i))->Name(), names[i]);
  EXPECT_EQ(frame_->lblitmPage, items->Items(1));
  EXPECT_EQ(frame_->lblitmFrom, items->Items(7));
  EXPECT_EQ(frame_->lblitmScale, items->Items(11));
}

// The editor's scroll hint names the line ("Line: %d", not the editor's own "Top Line: %d"), and
// its bookmarks are drawn with the data module's ten bookmark images.
TEST_F(PrintPreviewBar, TheFramesEditorTakesTheFormsScrollHintAndBookmarkImages) {
  TTxtEdit* e = frame_->edtDocument;
  EXPECT_EQ(e->ScrollHintFormatText(), "Line: %d");
  EXPECT_EQ(e->BookMarkOptions()->BookmarkImages(), static_cast<TCustomImageList*>(MainDataModule->pngmglstBookmarks));
  EXPECT_EQ(MainDataModule->pngmglstBookmarks->Count(), 10);
  // An editor of its own keeps the default.
  TTxtEdit plain(nullptr);
  EXPECT_EQ(plain.ScrollHintFormatText(), "Top Line: %d");
}

// A disabled page button is drawn light, not dark like an enabled one: Previous (disabled) and
// Next (enabled) are mirror pictures, so their darkest pixels differ only by the disabled look.
TEST_F(PrintPreviewBar, DisabledButtonsLookDisabled) {
  form_->Show();
  form_->ActiveDocument()->SetViewMode(1);
  Pump();
  frame_->actnPreviousPage->SetEnabled(false);
  frame_->actnNextPage->SetEnabled(true);
  Pump();
  EXPECT_FALSE(frame_->tbitmPreviousPage->Enabled());
  EXPECT_TRUE(frame_->tbitmNextPage->Enabled());
  TSkinToolbar* bar = frame_->tlbrPrintPreview;
  ASSERT_TRUE(bar->HandleAllocated());
  TBarItemViewer* previous = bar->View()->Find(frame_->tbitmPreviousPage);
  TBarItemViewer* next = bar->View()->Find(frame_->tbitmNextPage);
  ASSERT_TRUE(previous && next);
  ASSERT_EQ(previous->BoundsRect().Width(), next->BoundsRect().Width());
  TTestPicture picture(bar->ClientWidth(), bar->ClientHeight(), 0xFFFFFF);
  bar->View()->PaintViewers(picture.Canvas());
  const long disabled = Darkest(picture, previous->BoundsRect());
  const long enabled = Darkest(picture, next->BoundsRect());
  EXPECT_LT(enabled, 450) << "disabled " << disabled;
  EXPECT_GT(disabled, enabled + 120) << "disabled " << disabled << ", enabled " << enabled;
  // Enabled again, it is drawn as its twin.
  frame_->actnPreviousPage->SetEnabled(true);
  Pump();
  picture.Fill(0xFFFFFF);
  bar->View()->PaintViewers(picture.Canvas());
  EXPECT_LT(std::labs(Darkest(picture, previous->BoundsRect()) - enabled), 6);
}
