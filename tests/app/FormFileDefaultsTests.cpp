// Every class that form files may name: a new instance written to a form file writes no property
// its own construction did not change, so the defaults it publishes are the values a new
// instance has; and the published defaults of the program's own controls.
#include <gtest/gtest.h>

#include <map>

#include "app/AppControls.h"
#include "app/Global.h"
#include "controls/UcStdCtrls.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "tests/framework/PublishedDefaults.h"

namespace {

// New instances of the classes, made once each and freed together: components are owned by a
// form (some may only be placed on one), other objects are freed here.
class TInstances {
 public:
  TInstances() : owner_(nullptr, CreateNew) {}
  ~TInstances() {
    for (auto& [cls, object] : made_)
      if (object && !dynamic_cast<TComponent*>(object)) Free(object);
  }
  // Null for a class that cannot be made on its own (a form read only from its own file).
  TObject* Of(const TClassInfo* Class) {
    auto found = made_.find(Class);
    if (found != made_.end()) return found->second;
    TObject* object = nullptr;
    try {
      if (Class->NewComponent)
        object = Class->NewComponent(&owner_);
      else if (Class->NewObject)
        object = Class->NewObject();
    } catch (const EResNotFound&) {}
    made_[Class] = object;
    return object;
  }

 private:
  TForm owner_;
  std::map<const TClassInfo*, TObject*> made_;
};

bool IsOrdinal(TTypeKind Kind) {
  return Kind == tkInteger || Kind == tkChar || Kind == tkWChar || Kind == tkEnumeration || Kind == tkInt64;
}

bool SameValue(TObject* A, TObject* B, const TPropInfo& Prop) {
  const TPropInfo& other = FindPropInfo(B, Prop.Name);
  return Prop.Kind() == tkSet ? GetSetValueProp(A, Prop) == GetSetValueProp(B, other)
                              : GetOrdProp(A, Prop) == GetOrdProp(B, other);
}

// The published properties whose value a new instance of Class writes to a form file although no
// ancestor's construction gave it that value: its published default is not what it starts with.
std::vector<std::string> Disagreements(TInstances& Instances, const TClassInfo* Class) {
  std::vector<std::string> found;
  TObject* object = Instances.Of(Class);
  for (const TPropInfo* prop : GetPropList(object)) {
    if (!prop->HasGetter || !prop->HasSetter || !prop->HasDefault || !IsStoredProp(object, *prop)) continue;
    if (prop->Kind() == tkSet ? GetSetValueProp(object, *prop) == prop->DefaultSet
                              : !IsOrdinal(prop->Kind()) || GetOrdProp(object, *prop) == prop->Default)
      continue;
    // A value an ancestor does not start with was set by this class's construction on purpose.
    bool changedHere = false;
    for (const TClassInfo* a = Class->Parent; a && a->FindProp(prop->Name) && !changedHere; a = a->Parent)
      if (TObject* ancestor = Instances.Of(a)) changedHere = !SameValue(object, ancestor, *prop);
    if (!changedHere)
      found.push_back(Class->Name + "." + prop->Name + " starts as " +
                      (prop->Kind() == tkSet ? GetSetProp(object, *prop) : std::to_string(GetOrdProp(object, *prop))) +
                      ", published default " + std::to_string(prop->Default));
  }
  return found;
}

}  // namespace

TEST(FormFileDefaults, EveryRegisteredClassPublishesTheValuesItsConstructorSets) {
  RegisterAppClasses();
  RegisterUnicodeControlClasses();
  TInstances instances;
  std::vector<const TClassInfo*> classes = RegisteredClasses();
  ASSERT_GT(classes.size(), 80u);
  int checked = 0, notMade = 0;
  // The option objects that components own are checked through their own classes as well.
  for (size_t i = 0; i < classes.size(); ++i) {
    TObject* object = instances.Of(classes[i]);
    if (!object) {
      ++notMade;
      continue;
    }
    ++checked;
    for (const std::string& d : Disagreements(instances, classes[i])) ADD_FAILURE() << d;
    for (const TPropInfo* prop : GetPropList(object)) {
      if (prop->Kind() != tkClass || !prop->HasGetter) continue;
      TObject* part = GetObjectProp(object, *prop);
      if (!part || dynamic_cast<TComponent*>(part) || !part->ClassInfo().NewObject) continue;
      if (std::find(classes.begin(), classes.end(), &part->ClassInfo()) == classes.end())
        classes.push_back(&part->ClassInfo());
    }
  }
  EXPECT_LE(notMade, 3);  // the form and frame bases, made only from a file of their own
  EXPECT_GT(checked, 100);
}

TEST(FormFileDefaults, TheProgramsOwnControls) {
  TForm form(nullptr, CreateNew);
  ExpectPublishedDefaults(new TNSBvLabel(&form), {{"Offset", 4}, {"Alignment", taLeftJustify}, {"Transparent", false}});
  ExpectPublishedDefaults(new TNSInfoBar(&form), {{"Checked", false}});
}
