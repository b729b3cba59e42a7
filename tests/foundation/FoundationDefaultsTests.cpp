// The published defaults of the foundation's components as a new instance has them, and how
// stored numbers read as booleans.
#include <memory>

#include "StorageTestSupport.h"
#include "foundation/ApAppInstances.h"
#include "foundation/ApFormPlacement.h"
#include "foundation/ApWndHook.h"
#include "framework/Forms.h"
#include "tests/framework/PublishedDefaults.h"

TEST(FoundationDefaults, IniStorageAndItsOptions) {
  TApAppIniFileStorage storage(nullptr);
  ExpectPublishedDefaults(&storage, {{"AutoFlush", false},
                                     {"AutoReload", false},
                                     {"FlushOnDestroy", true},
                                     {"Location", flExeFile},
                                     {"ReadOnly", false}});
  EXPECT_EQ(storage.DefaultSection(), "");
  TApAppStorageOptions* options = storage.StorageOptions();
  ExpectPublishedDefaults(options, {{"BooleanAsString", true},
                                    {"EnumerationAsString", true},
                                    {"TypedIntegerAsString", true},
                                    {"SetAsString", false},
                                    {"DateTimeAsString", true},
                                    {"FloatAsString", false},
                                    {"DefaultIfReadConvertError", false},
                                    {"DefaultIfValueNotExists", true},
                                    {"ReplaceCRLF", false},
                                    {"PreserveLeadingTrailingBlanks", false}});
  EXPECT_EQ(options->BooleanStringTrueValues(), "TRUE, YES, Y");
  EXPECT_EQ(options->BooleanStringFalseValues(), "FALSE, NO, N");
}

TEST(FoundationDefaults, FormPlacementOnAFormAndAlone) {
  TForm form(nullptr, CreateNew);
  auto* onForm = new TApFormPlacement(&form);  // the form frees it
  ExpectPublishedDefaults(
      onForm, {{"Active", true}, {"PreventResize", false}, {"Version", 0}, {"VersionCheck", fpvcCheckGreaterEqual}});
  EXPECT_EQ(onForm->Options(), (TPlacementOptions{fpState, fpSize, fpLocation}));
  EXPECT_EQ(onForm->AppStorage(), nullptr);
  TApFormStorage alone(nullptr);
  EXPECT_TRUE(alone.Options().Empty());
  EXPECT_TRUE(alone.Active());
}

TEST(FoundationDefaults, WindowHookAndInstanceRegistry) {
  TApWindowHook hook(nullptr);
  ExpectPublishedDefaults(&hook, {{"Active", true}});
  EXPECT_EQ(hook.Control(), nullptr);
  TApAppInstances instances(nullptr);
  ExpectPublishedDefaults(&instances,
                          {{"Active", true}, {"AutoActivate", true}, {"MaxInstances", 1}, {"SendCmdLine", true}});
}

TEST_F(StorageTest, StoredNumbersReadAsBooleansAreTrueUnlessZero) {
  const struct {
    const char* Text;
    bool Value;
  } cases[] = {{"0", false}, {"1", true}, {"-1", true}, {"-7", true}, {"2", true}, {"-2147483648", true}};
  AnsiString file = "[B]\r\n";
  for (size_t i = 0; i < std::size(cases); ++i) file += "k" + std::to_string(i) + "=" + cases[i].Text + "\r\n";
  WriteFile(file);
  for (bool asString : {false, true}) {
    auto r = Open();
    // As text a number is in neither list, so it is read as a number.
    r->StorageOptions()->SetBooleanAsString(asString);
    for (size_t i = 0; i < std::size(cases); ++i)
      for (bool fallback : {false, true})
        EXPECT_EQ(r->ReadBoolean("B\\k" + std::to_string(i), fallback), cases[i].Value)
            << cases[i].Text << (asString ? " as text" : "");
  }
}
