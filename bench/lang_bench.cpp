// Localization benchmark: a form created while a translation is current reads the whole
// language file again. Measures, on a file of about 150 KB, reading its lines (the floor),
// parsing it as a translation, and translating a form of 60 texts as its creation does.
#include <cstdio>
#include <memory>
#include <string>

#include "bench/BenchSupport.h"
#include "foundation/LgLanguage.h"
#include "framework/FileRoutines.h"
#include "framework/Streams.h"

namespace {

constexpr int kRuns = 9;
constexpr int kSections = 40;
constexpr int kTexts = 60;

class TBenchItem : public TComponent {
  HV_CLASS(TBenchItem, TComponent)
 public:
  explicit TBenchItem(TComponent* Owner) : TComponent(Owner) {}
  WideString Caption() const { return caption_; }
  void SetCaption(const WideString& V) { caption_ = V; }

 private:
  WideString caption_;
};
HV_PUBLISH(TBenchItem) { p.Prop("Caption", &T::Caption, &T::SetCaption); }

WideString MakeFile() {
  WideString text = L"; generated\r\nLANGID=1049\r\n";
  for (int s = 0; s < kSections; ++s) {
    text += L"\r\n[Form" + std::to_wstring(s) + L"]\r\n";
    for (int i = 1; i <= kTexts; ++i)
      text += std::to_wstring(i) + L"=\x0422\x0435\x043A\x0441\x0442 \x043D\x043E\x043C\x0435\x0440 " +
              std::to_wstring(i) + L" \x0434\x043B\x044F \x043E\x043A\x043D\x0430\\t\x2116" + std::to_wstring(s) +
              L"\r\n";
  }
  return text;
}

}  // namespace

int wmain() {
  TTempDirectory dir(L"langbench");
  const WideString file = dir.File(L"ru.lng");
  const WideString text = MakeFile();
  {
    TFileStream f(file, fmCreate);
    f.WriteBuffer("\xFF\xFE", 2);
    f.WriteBuffer(text.data(), static_cast<int>(text.size() * 2));
  }
  std::unique_ptr<TComponent> form = std::make_unique<TComponent>(nullptr);
  form->SetName("Form7");
  auto* lang = new TLgLanguageController(form.get());
  for (int i = 0; i < kTexts; ++i) {
    auto* item = new TBenchItem(form.get());
    item->SetName("Item" + std::to_string(i));
    item->SetCaption(L"Text " + std::to_wstring(i));
  }
  lang->UpdateEntries(true);
  LangManager().RegisterLanguageFile(file);

  const double lines = Median(
      kRuns, [] {},
      [&] {
        TUcStringList list;
        TFileStream f(file, fmOpenRead | fmShareDenyWrite);
        list.LoadFromStream(&f);
      });
  const double parse = Median(
      kRuns, [] {},
      [&] {
        TLgLang_CompTranslations t;
        LoadTranslationFile(t, file, false);
      });
  LangManager().SetLanguageID(1049);
  const double translate = Median(
      kRuns, [] {}, [&] { LangManager().TranslateOneController(lang); });
  LangManager().SetLanguageID(1033);

  std::printf("language file: %.0f KB, %d sections of %d texts; medians of %d runs\n",
              static_cast<double>(text.size() * 2) / 1024.0, kSections, kTexts, kRuns);
  std::printf("  read its lines (floor)        %8.2f ms\n", lines);
  std::printf("  parse as a translation        %8.2f ms\n", parse);
  std::printf("  translate a form of %d texts  %8.2f ms\n", kTexts, translate);
  return 0;
}
