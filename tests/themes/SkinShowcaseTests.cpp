// A form to look at: a skinned menu bar, a toolbar with Cyrillic captions and an open skinned
// popup menu. It runs only when VERDAN_SKIN_SHOWCASE names the seconds to keep the menu open,
// so that a screenshot of the display can be taken meanwhile.
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "framework/ImageList.h"
#include "tests/framework/MessagePump.h"
#include "themes/SkinToolbar.h"

namespace {

UINT_PTR closeTimer = 0;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, closeTimer);
  PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
}

TSkinItem* Item(TComponent* Owner, const WideString& Caption, int Image = -1) {
  auto* item = new TSkinItem(Owner);
  item->SetCaption(Caption);
  item->SetImageIndex(Image);
  return item;
}

TEST(SkinShowcase, MenuBarCyrillicToolbarAndOpenPopup) {
  const char* seconds = std::getenv("VERDAN_SKIN_SHOWCASE");
  if (!seconds) GTEST_SKIP() << "set VERDAN_SKIN_SHOWCASE to the seconds the menu stays open";
  TForm form(nullptr, CreateNew);
  form.SetCaption(L"Skinned items");
  form.SetBounds(20, 20, 560, 300);
  TImageList images(&form);
  TBitmap strip;
  strip.SetSize(48, 16);
  const TColor colours[] = {clBlue, clGreen, clRed};
  for (int i = 0; i < 3; ++i) {
    strip.Canvas()->Brush()->SetColor(clFuchsia);
    strip.Canvas()->FillRect(Bounds(i * 16, 0, 16, 16));
    strip.Canvas()->Brush()->SetColor(colours[i]);
    strip.Canvas()->FillRect(Bounds(i * 16 + 3, 2, 10, 12));
  }
  images.AddMasked(&strip, clFuchsia);

  auto* dock = new TSkinDock(&form);
  dock->SetPosition(dpTop);
  dock->SetParent(&form);
  auto* menuBar = new TSkinToolbar(&form);
  menuBar->SetMenuBar(true);
  menuBar->SetHideWhenInactive(false);
  menuBar->SetDockRow(0);
  menuBar->SetParent(dock);
  for (const wchar_t* caption : {L"&\x0424\x0430\x0439\x043B", L"&\x041F\x0440\x0430\x0432\x043A\x0430", L"&Help"}) {
    auto* sub = new TSkinSubmenuItem(&form);
    sub->SetCaption(caption);
    sub->Add(Item(&form, L"Item"));
    menuBar->Items()->Add(sub);
  }
  auto* toolbar = new TSkinToolbar(&form);
  toolbar->SetHideWhenInactive(false);
  toolbar->SetDockRow(1);
  toolbar->SetImages(&images);
  toolbar->SetParent(dock);
  toolbar->Items()->Add(Item(&form, L"\x041E\x0442\x043A\x0440\x044B\x0442\x044C", 0));
  toolbar->Items()->Add(Item(&form, L"\x0421\x043E\x0445\x0440\x0430\x043D\x0438\x0442\x044C", 1));
  toolbar->Items()->Add(new TSkinSeparatorItem(&form));
  toolbar->Items()->Add(Item(&form, L"\x041F\x0435\x0447\x0430\x0442\x044C", 2));
  toolbar->SetDisplayMode(tbdmImageAboveCaption);
  form.Show();
  PumpMessagesFor(300);

  TSkinPopupMenu menu(&form);
  menu.SetImages(&images);
  menu.Items()->Add(Item(&form, L"\x041E\x0442\x043A\x0440\x044B\x0442\x044C...\tCtrl+O", 0));
  menu.Items()->Add(Item(&form, L"&Save\tCtrl+S", 1));
  menu.Items()->Add(new TSkinSeparatorItem(&form));
  auto* checked = Item(&form, L"Word &wrap");
  checked->SetChecked(true);
  menu.Items()->Add(checked);
  auto* more = new TSkinSubmenuItem(&form);
  more->SetCaption(L"\x0415\x0449\x0451");
  more->Add(Item(&form, L"One"));
  menu.Items()->Add(more);
  closeTimer = SetTimer(nullptr, 0, static_cast<UINT>(std::atoi(seconds) * 1000), &CloseMenu);
  menu.InternalPopup(200, 140, false);
  for (TSkinToolbar* t : {menuBar, toolbar}) {
    for (int k = t->Items()->Count(); k-- > 0;) t->Items()->Delete(k);
    delete t;
  }
}

}  // namespace
