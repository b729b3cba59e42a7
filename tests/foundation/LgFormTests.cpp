// A shown window switched to Russian and back: the window's own text and the captions its
// controls paint. With HV_LG_SHOW_MS set, each state stays on screen that long (for a look).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "foundation/LgLanguage.h"
#include "framework/CodePages.h"
#include "framework/FileRoutines.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"

namespace {

class TLgLabel : public TGraphicControl {
  HV_CLASS(TLgLabel, TGraphicControl)
 public:
  explicit TLgLabel(TComponent* Owner) : TGraphicControl(Owner) {}

 protected:
  void Paint() override {
    Canvas()->Font()->SetSize(14);
    Canvas()->TextOut(4, 4, Caption());
  }
};
HV_PUBLISH(TLgLabel) { p.Prop("Caption", &T::Caption, &T::SetCaption); }

void Pump(int Milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(Milliseconds);
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  } while (static_cast<int>(GetTickCount() - end) < 0);
}

WideString WindowText(HWND Wnd) {
  wchar_t text[256] = {};
  GetWindowTextW(Wnd, text, 256);
  return text;
}

TEST(LgLanguageForm, ShownWindowSwitchesToRussianAndBack) {
  const char* show = std::getenv("HV_LG_SHOW_MS");
  const int hold = show ? std::atoi(show) : 0;
  TTempDirectory dir(L"lgform");
  {
    const WideString ru = L"LANGID=1049\r\n[Options]\r\n1=\x041F\x0430\x0440\x0430\x043C\x0435\x0442\x0440\x044B\r\n"
                          L"2=\x041E\x0442\x043A\x0440\x044B\x0442\x044C \x0444\x0430\x0439\x043B\r\n"
                          L"3=\x0417\x0430\x043A\x0440\x044B\x0442\x044C \x043E\x043A\x043D\x043E\r\n";
    std::ofstream f(WideToUtf8(dir.File(L"ru.lng")), std::ios::binary);
    f << "\xFF\xFE" << std::string(reinterpret_cast<const char*>(ru.data()), ru.size() * 2);
  }
  LangManager().ClearLanguageFiles();
  ASSERT_TRUE(LangManager().RegisterLanguageFile(dir.File(L"ru.lng")));

  auto* form = new TForm(nullptr, CreateNew);
  form->SetName("Options");
  form->SetBounds(40, 40, 360, 160);
  form->SetCaption(L"Options");
  const wchar_t* captions[] = {L"Open file", L"Close window"};
  TLgLabel* labels[2];
  for (int i = 0; i < 2; ++i) {
    labels[i] = new TLgLabel(form);
    labels[i]->SetName("Label" + std::to_string(i + 1));
    labels[i]->SetBounds(10, 10 + 40 * i, 300, 32);
    labels[i]->SetCaption(captions[i]);
    labels[i]->SetParent(form);
  }
  auto* lang = new TLgLanguageController(form);
  lang->UpdateEntries(true);
  ASSERT_EQ(lang->LangSourceLines(), (std::vector<WideString>{L"Caption=00000001,Options", L"Label1.Caption=00000002,Open file",
                                                              L"Label2.Caption=00000003,Close window"}));
  form->Show();
  Pump(hold + 100);

  LangManager().SetLanguageID(1049);
  form->Repaint();
  EXPECT_EQ(WindowText(form->Handle()), L"\x041F\x0430\x0440\x0430\x043C\x0435\x0442\x0440\x044B");
  EXPECT_EQ(labels[1]->Caption(), L"\x0417\x0430\x043A\x0440\x044B\x0442\x044C \x043E\x043A\x043D\x043E");
  Pump(hold + 100);

  LangManager().SetLanguageID(1033);
  form->Repaint();
  EXPECT_EQ(WindowText(form->Handle()), L"Options");
  EXPECT_EQ(labels[0]->Caption(), L"Open file");
  Pump(hold);
  delete form;
  LangManager().ClearLanguageFiles();
}

}  // namespace
