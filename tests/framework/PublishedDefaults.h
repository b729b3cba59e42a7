// Checks published defaults against a new instance: the value the instance starts with and the
// default its property declares, so that a form file leaves the property out.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "framework/Object.h"

struct TPublishedDefault {
  const char* Name;
  int64_t Value;
};

inline void ExpectPublishedDefaults(TObject* Obj, std::initializer_list<TPublishedDefault> Rows) {
  for (const TPublishedDefault& row : Rows) {
    const std::string where = Obj->ClassName() + "." + row.Name;
    const TPropInfo* prop = GetPropInfo(Obj, row.Name);
    if (!prop) {
      ADD_FAILURE() << where << " is not published";
      continue;
    }
    EXPECT_EQ(GetOrdProp(Obj, *prop), row.Value) << where;
    EXPECT_TRUE(prop->HasDefault) << where;
    EXPECT_EQ(prop->Default, row.Value) << where << " declares another default";
  }
}

// Sets, by their text ("a,b").
struct TPublishedSetDefault {
  const char* Name;
  const char* Text;
};

inline void ExpectPublishedSetDefaults(TObject* Obj, std::initializer_list<TPublishedSetDefault> Rows) {
  for (const TPublishedSetDefault& row : Rows) {
    const std::string where = Obj->ClassName() + "." + row.Name;
    const TPropInfo* prop = GetPropInfo(Obj, row.Name);
    if (!prop) {
      ADD_FAILURE() << where << " is not published";
      continue;
    }
    EXPECT_EQ(GetSetProp(Obj, *prop), row.Text) << where;
    EXPECT_TRUE(prop->HasDefault) << where;
    EXPECT_EQ(SetToString(*prop->PropType, prop->DefaultSet), row.Text) << where << " declares another default";
  }
}
