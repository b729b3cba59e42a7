// Pictures and the registry of graphic file formats.
#include "framework/Picture.h"

#include <cwctype>
#include <mutex>

#include "framework/Bitmap.h"
#include "framework/CodePages.h"
#include "framework/Icon.h"
#include "framework/Streams.h"

namespace {

struct TFormatRegistry {
  std::mutex lock;
  std::vector<TGraphicFileFormat> formats{{L"bmp", L"Bitmaps", &TBitmap::StaticClassInfo()},
                                          {L"ico", L"Icons", &TIcon::StaticClassInfo()}};
};

TFormatRegistry& Registry() {
  static TFormatRegistry registry;
  return registry;
}

WideString NormalExtension(const WideString& extension) {
  WideString e = !extension.empty() && extension[0] == L'.' ? extension.substr(1) : extension;
  for (wchar_t& c : e) c = static_cast<wchar_t>(std::towlower(c));
  return e;
}

WideString ExtensionOf(const WideString& fileName) {
  size_t dot = fileName.find_last_of(L'.');
  size_t slash = fileName.find_last_of(L"\\/:");
  if (dot == WideString::npos || (slash != WideString::npos && dot < slash)) return WideString();
  return fileName.substr(dot + 1);
}

std::unique_ptr<TGraphic> NewGraphic(const TClassInfo& graphicClass) {
  std::unique_ptr<TObject> object(graphicClass.NewObject ? graphicClass.NewObject() : nullptr);
  auto* graphic = dynamic_cast<TGraphic*>(object.get());
  if (!graphic) throw EInvalidGraphic("Invalid graphic class " + graphicClass.Name);
  object.release();
  return std::unique_ptr<TGraphic>(graphic);
}

}  // namespace

// ---- the registry ----

void TPicture::RegisterFileFormat(const WideString& extension, const WideString& description,
                                  const TClassInfo& graphicClass) {
  TFormatRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  WideString e = NormalExtension(extension);
  for (TGraphicFileFormat& f : r.formats)
    if (f.Extension == e) {
      f.Description = description;
      f.GraphicClass = &graphicClass;
      return;
    }
  r.formats.push_back({e, description, &graphicClass});
}

void TPicture::UnregisterGraphicClass(const TClassInfo& graphicClass) {
  TFormatRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  std::erase_if(r.formats, [&](const TGraphicFileFormat& f) { return f.GraphicClass == &graphicClass; });
}

std::vector<TGraphicFileFormat> TPicture::FileFormats() {
  TFormatRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.formats;
}

const TClassInfo* TPicture::FindFileFormat(const WideString& extension) {
  WideString e = NormalExtension(extension);
  for (const TGraphicFileFormat& f : FileFormats())
    if (f.Extension == e) return f.GraphicClass;
  return nullptr;
}

// ---- TPicture ----

HV_PUBLISH(TPicture) {}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::Hold(std::unique_ptr<TGraphic> graphic) {
  if (graphic) graphic->OnChange = TNotifyEvent(this, &TPicture::Changed);
  graphic_ = std::move(graphic);
  Changed(this);
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) {
    SetGraphic(nullptr);
  } else if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    if (picture != this) SetGraphic(picture->Graphic());
  } else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(graphic);
  } else {
    TPersistent::Assign(Source);
  }
}

void TPicture::SetGraphic(TGraphic* value) {
  if (value == graphic_.get() && value) return;
  if (!value) {
    Hold(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> copy = NewGraphic(value->ClassInfo());
  copy->Assign(value);
  Hold(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(graphic_.get())) Hold(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(graphic_.get());
}

TIcon* TPicture::Icon() {
  if (!dynamic_cast<TIcon*>(graphic_.get())) Hold(std::make_unique<TIcon>());
  return static_cast<TIcon*>(graphic_.get());
}

int TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }
int TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::LoadFromFile(const WideString& FileName) {
  WideString extension = ExtensionOf(FileName);
  const TClassInfo* graphicClass = FindFileFormat(extension);
  if (!graphicClass) throw EInvalidGraphic(L"Unknown picture file extension (." + extension + L")");
  std::unique_ptr<TGraphic> graphic = NewGraphic(*graphicClass);
  graphic->LoadFromFile(FileName);
  Hold(std::move(graphic));
}

void TPicture::SaveToFile(const WideString& FileName) {
  if (graphic_) graphic_->SaveToFile(FileName);
}

void TPicture::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty(
      "Data", [this](TStream& stream) { ReadData(stream); }, [this](TStream& stream) { WriteData(stream); },
      graphic_ && !graphic_->Empty());
}

void TPicture::ReadData(TStream& stream) {
  uint8_t length = 0;
  stream.ReadBuffer(&length, 1);
  if (length == 0) {
    Hold(nullptr);
    return;
  }
  std::string name(length, '\0');
  stream.ReadBuffer(name.data(), length);
  const TClassInfo* graphicClass = nullptr;
  for (const TGraphicFileFormat& f : FileFormats())
    if (f.GraphicClass->Name == name) graphicClass = f.GraphicClass;
  if (!graphicClass) graphicClass = &FindClass(name);
  std::unique_ptr<TGraphic> graphic = NewGraphic(*graphicClass);
  graphic->LoadFromStream(&stream);
  Hold(std::move(graphic));
}

void TPicture::WriteData(TStream& stream) {
  std::string name = graphic_ ? graphic_->ClassName() : std::string();
  uint8_t length = static_cast<uint8_t>(name.size() < 255 ? name.size() : 255);
  stream.WriteBuffer(&length, 1);
  stream.WriteBuffer(name.data(), length);
  if (graphic_) graphic_->SaveToStream(&stream);
}
