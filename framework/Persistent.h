// Objects that can copy themselves (Assign) and store extra data in form files
// (DefineProperties through a filer).
#pragma once

#include <functional>
#include <string>

#include "framework/Object.h"

class TFiler;
class TReader;
class TWriter;
class TStream;

class TPersistent : public TObject {
  HV_CLASS(TPersistent, TObject)
 public:
  TPersistent() = default;
  // Copies Source into this object. Classes that know Source override it; otherwise Source
  // is asked to copy itself here (AssignTo), and when nobody knows how, EConvertError
  // "Cannot assign a <source class> to a <this class>" is raised ("nil" for a null source).
  virtual void Assign(TPersistent* Source);
  // The dotted path that names this object for the user ("Form1.Memo1.Font").
  virtual std::string GetNamePath();
  // Declares data stored in form files beyond the published properties.
  virtual void DefineProperties(TFiler* Filer);

 protected:
  virtual void AssignTo(TPersistent* Dest);
  virtual TPersistent* GetOwner();
  [[noreturn]] void AssignError(TPersistent* Source);
};

// What DefineProperties talks to while a form file is read or written.
class TFiler {
 public:
  using TReaderProc = std::function<void(TReader& reader)>;
  using TWriterProc = std::function<void(TWriter& writer)>;
  using TStreamProc = std::function<void(TStream& stream)>;

  virtual ~TFiler() = default;

  // A value with a name of its own. When reading, Read is called if the file holds the name;
  // when writing, Write is called if HasData is true.
  virtual void DefineProperty(const std::string& name, TReaderProc read, TWriterProc write, bool hasData) = 0;
  // Binary data; written as hex.
  virtual void DefineBinaryProperty(const std::string& name, TStreamProc read, TStreamProc write, bool hasData) = 0;

  // While writing an inherited form: the object of the ancestor that this one is compared with.
  TPersistent* Ancestor() const { return ancestor_; }
  void SetAncestor(TPersistent* ancestor) { ancestor_ = ancestor; }
  // The form or frame being read or written.
  TComponent* Root() const { return root_; }
  void SetRoot(TComponent* root) { root_ = root; }
  bool IsReading() const { return reading_; }

 protected:
  explicit TFiler(bool reading) : reading_(reading) {}

 private:
  TPersistent* ancestor_ = nullptr;
  TComponent* root_ = nullptr;
  bool reading_;
};
