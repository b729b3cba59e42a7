// What the graphics tests share: the off-screen test picture, filers that collect binary
// properties and counters of change events.
#pragma once

#include <cstdint>

#include "framework/Colors.h"
#include "framework/GdiHandles.h"
#include "tests/common/TestPicture.h"

#include <functional>
#include <map>
#include <string>

#include "framework/Persistent.h"
#include "framework/Streams.h"

// A filer that only collects what DefineProperties declares, so that tests can run the
// writers and readers of binary properties themselves.
class TCollectingFiler : public TFiler {
 public:
  explicit TCollectingFiler(bool reading) : TFiler(reading) {}
  void DefineProperty(const std::string&, TReaderProc, TWriterProc, bool) override {}
  void DefineBinaryProperty(const std::string& name, TStreamProc read, TStreamProc write, bool hasData) override {
    readers[name] = read;
    writers[name] = write;
    hasDataOf[name] = hasData;
  }
  std::map<std::string, TStreamProc> readers;
  std::map<std::string, TStreamProc> writers;
  std::map<std::string, bool> hasDataOf;
};

// Counts the change events of a graphic object.
struct ChangeCounter {
  int changes = 0;
  void Changed(TObject*) { ++changes; }
};
