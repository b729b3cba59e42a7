// Header and footer bands: macro expansion, preparation and painting.
#include "editor/TxtEditPrintHeaderFooter.h"

#include <algorithm>
#include <cctype>

#include "framework/DateTime.h"
#include "framework/StrRoutines.h"

HV_PUBLISH(THeaderFooter) {
  p.Prop("FrameTypes", &T::FrameTypes, &T::SetFrameTypes).Default(TFrameTypes{ftLine});
  p.Prop("ShadedColor", &T::ShadedColor, &T::SetShadedColor).Default(clSilver);
  p.Prop("LineColor", &T::LineColor, &T::SetLineColor).Default(clBlack);
  p.Prop("DefaultFont", &T::DefaultFont, &T::SetDefaultFont);
  p.Prop("RomanNumbers", &T::RomanNumbers, &T::SetRomanNumbers).Default(false);
  p.Prop("MirrorPosition", &T::MirrorPosition, &T::SetMirrorPosition).Default(false);
}
HV_PUBLISH(THeader) {}
HV_PUBLISH(TFooter) {}

void SetFontPixelsPerInch(TFont* Font, int PixelsPerInch) {
  if (PixelsPerInch <= 0 || Font->PixelsPerInch() == PixelsPerInch) return;
  const int size = Font->Size();
  Font->SetPixelsPerInch(PixelsPerInch);
  Font->SetSize(size);
}

// ---- THeaderFooterItem ----

THeaderFooterItem::THeaderFooterItem() : font_(std::make_unique<TFont>()) {}
THeaderFooterItem::~THeaderFooterItem() = default;

void THeaderFooterItem::SetFont(TFont* Value) { font_->Assign(Value); }

AnsiString THeaderFooterItem::ExpandText(int PageCount, int PageNum, bool Roman, const AnsiString& Title,
                                         const AnsiString& ATime, const AnsiString& ADate) const {
  if (Trim(text_).empty()) return {};
  auto number = [Roman](int n) { return Roman ? IntToRoman(n) : std::to_string(n); };
  AnsiString result;
  size_t i = 0;
  const size_t n = text_.size();
  while (i < n) {
    if (text_[i] != '$') {
      result += text_[i++];
      continue;
    }
    const size_t close = text_.find('$', i + 1);
    if (close == AnsiString::npos) {
      result.append(text_, i, AnsiString::npos);
      break;
    }
    AnsiString name = text_.substr(i, close - i + 1);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    bool matched = true;
    if (name == "$PAGENUM$")
      result += number(PageNum);
    else if (name == "$PAGECOUNT$")
      result += number(PageCount);
    else if (name == "$TITLE$")
      result += Title;
    else if (name == "$DATE$")
      result += ADate;
    else if (name == "$TIME$")
      result += ATime;
    else if (name == "$DATETIME$")
      result += ADate + " " + ATime;
    else if (name == "$TIMEDATE$")
      result += ATime + " " + ADate;
    else
      matched = false;
    if (matched) {
      i = close + 1;
    } else {
      // The closing sign may open the next macro.
      result.append(text_, i, close - i);
      i = close;
    }
  }
  return result;
}

// ---- THeaderFooter ----

THeaderFooter::THeaderFooter(THeaderFooterType Type) : type_(Type), defaultFont_(std::make_unique<TFont>()) {
  defaultFont_->SetName(L"Arial");
  defaultFont_->SetSize(10);
  defaultFont_->SetColor(clBlack);
}

THeaderFooter::~THeaderFooter() = default;

void THeaderFooter::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<THeaderFooter*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  if (src == this) return;
  type_ = src->type_;
  frameTypes_ = src->frameTypes_;
  shadedColor_ = src->shadedColor_;
  lineColor_ = src->lineColor_;
  // Items are replaced, not added to: assigning twice must not print every item twice.
  Clear();
  for (const auto& item : src->items_) Add(item->text_, item->font_.get(), item->alignment_, item->lineNumber_);
  defaultFont_->Assign(src->defaultFont_.get());
  romanNumbers_ = src->romanNumbers_;
  mirrorPosition_ = src->mirrorPosition_;
}

int THeaderFooter::Add(const AnsiString& Text, TFont* AFont, TAlignment Alignment, int LineNumber) {
  auto item = std::make_unique<THeaderFooterItem>();
  item->text_ = Text;
  item->font_->Assign(AFont ? AFont : defaultFont_.get());
  item->alignment_ = Alignment;
  item->lineNumber_ = LineNumber;
  item->bandLine_ = LineNumber;
  item->index_ = Count();
  items_.push_back(std::move(item));
  return Count() - 1;
}

void THeaderFooter::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  items_.erase(items_.begin() + Index);
}

void THeaderFooter::Clear() {
  items_.clear();
  lineInfo_.clear();
  frameHeight_ = -1;
}

THeaderFooterItem* THeaderFooter::Get(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return items_[static_cast<size_t>(Index)].get();
}

void THeaderFooter::SetPixelsPerInch(int Value) {
  for (auto& item : items_) SetFontPixelsPerInch(item->font_.get(), Value);
}

void THeaderFooter::SaveFontPenBrush(TCanvas* ACanvas) {
  oldFont_.Assign(ACanvas->Font());
  oldPen_.Assign(ACanvas->Pen());
  oldBrush_.Assign(ACanvas->Brush());
}

void THeaderFooter::RestoreFontPenBrush(TCanvas* ACanvas) {
  ACanvas->Font()->Assign(&oldFont_);
  ACanvas->Pen()->Assign(&oldPen_);
  ACanvas->Brush()->Assign(&oldBrush_);
}

void THeaderFooter::PrepareForPrint(TCanvas* ACanvas, int PageCount, TTxtEditPrintMargins* Margins,
                                    const AnsiString& Title) {
  SaveFontPenBrush(ACanvas);
  const TDateTime now = Now();
  date_ = DateToStr(now);
  time_ = TimeToStr(now);
  pageCount_ = PageCount;
  margins_ = Margins;
  title_ = Title;
  // The requested line numbers stay as given; ties keep the order in which items were added.
  std::stable_sort(items_.begin(), items_.end(), [](const auto& a, const auto& b) {
    return a->lineNumber_ != b->lineNumber_ ? a->lineNumber_ < b->lineNumber_ : a->index_ < b->index_;
  });
  lineInfo_.clear();
  int previous = 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (i == 0 || items_[i]->lineNumber_ != previous) {
      lineInfo_.emplace_back();
      previous = items_[i]->lineNumber_;
    }
    items_[i]->bandLine_ = static_cast<int>(lineInfo_.size());
  }
  frameHeight_ = -1;
  if (!items_.empty()) {
    int above = 0;  // height of the band lines before the current one
    int current = 1;
    for (auto& item : items_) {
      ACanvas->Font()->Assign(item->font_.get());
      if (item->bandLine_ != current) {
        above += lineInfo_[static_cast<size_t>(current - 1)].LineHeight;
        current = item->bandLine_;
      }
      TLineInfo& info = lineInfo_[static_cast<size_t>(item->bandLine_ - 1)];
      const int textHeight = ACanvas->TextHeight(AnsiString("W"));
      TEXTMETRICW metrics{};
      GetTextMetricsW(ACanvas->Handle(), &metrics);
      info.LineHeight = std::max(info.LineHeight, textHeight);
      info.MaxBaseDist = std::max(info.MaxBaseDist, static_cast<int>(metrics.tmHeight - metrics.tmDescent));
      frameHeight_ = std::max(frameHeight_, above + textHeight);
    }
    frameHeight_ += 2 * (margins_ ? margins_->PHFInternalMargin : 0);
  }
  RestoreFontPenBrush(ACanvas);
}

void THeaderFooter::DrawFrame(TCanvas* ACanvas) {
  if (frameTypes_.Empty() || !margins_) return;
  const int l = margins_->PLeft, r = margins_->PRight;
  const int hl = margins_->PHeader, fl = margins_->PFooter, fh = frameHeight_;
  ACanvas->Pen()->SetColor(lineColor_);
  ACanvas->Brush()->SetColor(shadedColor_);
  ACanvas->Brush()->SetStyle(frameTypes_.Contains(ftShaded) ? bsSolid : bsClear);
  ACanvas->Pen()->SetStyle(frameTypes_.Contains(ftBox) ? psSolid : psClear);
  if (frameTypes_.Contains(ftBox) || frameTypes_.Contains(ftShaded)) {
    if (type_ == hftHeader)
      ACanvas->Rectangle(l, hl - fh, r, hl);
    else
      ACanvas->Rectangle(l, fl, r, fl + fh);
  }
  if (frameTypes_.Contains(ftLine)) {
    ACanvas->Pen()->SetStyle(psSolid);
    const int y = type_ == hftHeader ? hl : fl;
    ACanvas->MoveTo(l, y);
    ACanvas->LineTo(r, y);
  }
}

void THeaderFooter::PaintBand(TCanvas* ACanvas, int PageNum) {
  if (frameHeight_ <= 0 || !margins_ || lineInfo_.empty()) return;
  SaveFontPenBrush(ACanvas);
  DrawFrame(ACanvas);
  ACanvas->Brush()->SetStyle(bsClear);
  int y = (type_ == hftHeader ? margins_->PHeader - frameHeight_ : margins_->PFooter) + margins_->PHFInternalMargin;
  int current = 1;
  HDC dc = ACanvas->Handle();
  const UINT oldAlign = SetTextAlign(dc, TA_BASELINE);
  for (auto& item : items_) {
    ACanvas->Font()->Assign(item->font_.get());
    if (item->bandLine_ != current) {
      y += lineInfo_[static_cast<size_t>(current - 1)].LineHeight;
      current = item->bandLine_;
    }
    const AnsiString text = item->ExpandText(pageCount_, PageNum, romanNumbers_, title_, time_, date_);
    TAlignment alignment = item->alignment_;
    if (mirrorPosition_ && PageNum % 2 == 0) {
      if (alignment == taLeftJustify)
        alignment = taRightJustify;
      else if (alignment == taRightJustify)
        alignment = taLeftJustify;
    }
    const int width = ACanvas->TextWidth(text);
    int x;
    switch (alignment) {
      case taRightJustify: x = margins_->PRightHFTextIndent - width; break;
      case taCenter: x = (margins_->PLeftHFTextIndent + margins_->PRightHFTextIndent - width) / 2; break;
      default: x = margins_->PLeftHFTextIndent; break;
    }
    ACanvas->TextOut(x, y + lineInfo_[static_cast<size_t>(current - 1)].MaxBaseDist, text);
  }
  SetTextAlign(ACanvas->Handle(), oldAlign);
  RestoreFontPenBrush(ACanvas);
}
