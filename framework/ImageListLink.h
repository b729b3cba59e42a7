// A component's link to the image list it draws from: moving the link from one list to another
// takes the change handler and the free notification along.
#pragma once

#include "framework/ImageList.h"

// Points Field at Value: the old list forgets OnChange and the client, the new one hears of
// both; nothing happens when Field already holds Value. True when the link moved.
inline bool LinkImageList(TCustomImageList*& Field, TCustomImageList* Value, const TNotifyEvent& OnChange,
                          TComponent* Client) {
  if (Field == Value) return false;
  if (Field) {
    Field->UnRegisterChanges(OnChange);
    Field->RemoveFreeNotification(Client);
  }
  Field = Value;
  if (Field) {
    Field->RegisterChanges(OnChange);
    Field->FreeNotification(Client);
  }
  return true;
}
