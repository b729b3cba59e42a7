// The status reports of whole-text selection: what SelectAll and its command announce.
#include <gtest/gtest.h>

#include "editor/TxtEdit.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

struct TStatusRecorder {
  void Changed(TObject*, TTxtStatusChanges Changes) {
    ++calls;
    last = Changes;
  }
  int calls = 0;
  TTxtStatusChanges last;
};

}  // namespace

TEST(EditSelection, SelectingEverythingReportsTheSelectionOnce) {
  const struct {
    const char* Text;
    TBufferCoord End;
  } cases[] = {{"", {1, 1}}, {"one", {4, 1}}, {"ab\r\ncde", {4, 2}}, {"ab\r\n\r\n", {1, 2}}};
  for (bool byCommand : {false, true})
    for (const auto& c : cases) {
      TEditorHost host(c.Text);
      TTxtEdit& edit = host.Edit();
      TStatusRecorder log;
      edit.OnStatusChange = TStatusChangeEvent(&log, &TStatusRecorder::Changed);
      edit.SetCaretXY({2, 1});
      log = TStatusRecorder();
      if (byCommand)
        edit.CommandProcessor(ecSelectAll, '\0', nullptr);
      else
        edit.SelectAll();
      EXPECT_EQ(log.calls, 1) << c.Text;
      EXPECT_TRUE(log.last.Contains(scSelection)) << c.Text;
      EXPECT_EQ(edit.BlockBegin(), (TBufferCoord{1, 1})) << c.Text;
      EXPECT_EQ(edit.BlockEnd(), c.End) << c.Text;
    }
}
