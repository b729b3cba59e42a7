// TPicture: holds any graphic and picks its class by file extension from the registry of
// graphic file formats (bitmaps and icons are built in; other units register their own).
#pragma once

#include <memory>
#include <vector>

#include "framework/Graphics.h"

class TIcon;

struct TGraphicFileFormat {
  WideString Extension;  // without the dot, as registered
  WideString Description;
  const TClassInfo* GraphicClass = nullptr;
};

class TPicture : public TPersistent {
  HV_CLASS(TPicture, TPersistent)
 public:
  TPicture();
  ~TPicture() override;

  // Copies a picture or a graphic; null empties.
  void Assign(TPersistent* Source) override;

  // The graphic held, or null.
  TGraphic* Graphic() const { return graphic_.get(); }
  // Holds a copy of `value` (a new object of its class that Assigns it); null empties.
  void SetGraphic(TGraphic* value);
  // The graphic as a bitmap / an icon; anything else held is replaced by an empty one first.
  TBitmap* Bitmap();
  TIcon* Icon();
  int Width() const;
  int Height() const;

  // By the file's extension; an unknown one raises EInvalidGraphic "Unknown picture file
  // extension (.%s)". A file that fails to load leaves the picture as it was.
  void LoadFromFile(const WideString& FileName);
  void SaveToFile(const WideString& FileName);

  // Stored in form files as "Data": the graphic's class name (a length byte and the name)
  // followed by the graphic's own file format.
  void DefineProperties(TFiler* Filer) override;

  TNotifyEvent OnChange;

  // The registry: extensions compare without regard to case, with or without the dot; a new
  // registration of an extension replaces the old one.
  static void RegisterFileFormat(const WideString& extension, const WideString& description,
                                 const TClassInfo& graphicClass);
  static void UnregisterGraphicClass(const TClassInfo& graphicClass);
  static std::vector<TGraphicFileFormat> FileFormats();
  static const TClassInfo* FindFileFormat(const WideString& extension);

 protected:
  virtual void Changed(TObject* Sender);

 private:
  void Hold(std::unique_ptr<TGraphic> graphic);
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);

  std::unique_ptr<TGraphic> graphic_;
};
