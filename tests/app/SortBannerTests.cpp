// The sort dialog's banner: shown over a selection, in the info colours, with the data module's
// banner icon 1 drawn beside its text.
#include "app/MainDataModule.h"
#include "app/SortFrm.h"
#include "controls/PngImageList.h"
#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/TestPicture.h"
#include "themes/SkinControls.h"

namespace {

class SortBanner : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    module_.reset(New<TMainDataModule>(nullptr));
    Make();
  }
  void TearDown() override {
    DocumentTest::TearDown();
    module_.reset();
  }
  std::unique_ptr<TMainDataModule> module_;
};

// Whether a pixel is of the icon's warm yellow (red and green high, blue well below).
bool Yellow(uint32_t C) {
  const int r = C & 0xFF, g = (C >> 8) & 0xFF, b = (C >> 16) & 0xFF;
  return r > 200 && g > 140 && b < 120;
}

}  // namespace

TEST_F(SortBanner, ASelectionShowsTheBannerWithItsIconInTheInfoColours) {
  TTxtEdit* editor = Editor(0);
  editor->Lines()->SetText("b\r\na\r\nc");
  // Without a selection the banner stays hidden.
  {
    std::unique_ptr<TSortForm> form(New<TSortForm>(nullptr, Doc(0)));
    EXPECT_FALSE(form->pnlBanner->Visible());
  }
  editor->SelectAll();
  std::unique_ptr<TSortForm> form(New<TSortForm>(nullptr, Doc(0)));
  ASSERT_TRUE(form->pnlBanner->Visible());
  TSkinLabel* text = form->lblText;
  EXPECT_EQ(text->Caption(), L"You are working with the selected fragment.");
  EXPECT_EQ(text->Images(), static_cast<TCustomImageList*>(MainDataModule->pngmglstBanner));
  EXPECT_EQ(text->ImageIndex(), 1);
  EXPECT_EQ(form->pnlBanner->Color(), clInfoBk);
  EXPECT_EQ(text->Font()->Color(), clInfoText);

  // Painted, the banner holds the icon left of the text on the info background.
  form->Show();
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  TPanel* banner = form->pnlBanner;
  TTestPicture picture(banner->Width(), banner->Height(), 0x000000);
  banner->PaintTo(picture.DC(), 0, 0);
  const int iconRight = text->Left() + 24;
  int yellowIcon = 0, yellowElsewhere = 0;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x)
      (x < iconRight ? yellowIcon : yellowElsewhere) += Yellow(picture.At(x, y));
  EXPECT_GT(yellowIcon, 20);
  EXPECT_EQ(yellowElsewhere, 0);
  const uint32_t info = static_cast<uint32_t>(ColorToRGB(clInfoBk));
  EXPECT_EQ(picture.At(picture.Width() - 2, 1), info);
  // Some text is drawn right of the icon.
  int ink = 0;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = iconRight; x < picture.Width(); ++x) ink += picture.At(x, y) != info;
  EXPECT_GT(ink, 40);
  form->Hide();
}
