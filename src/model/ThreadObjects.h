#pragma once
// One object per calling thread. Objects are keyed by the thread's serial
// number, never by its system id: glibc reuses the id of an ended thread,
// which would hand a new thread the state of a dead one.

#include <functional>

#include "model/SyncList.h"
#include "platform/Threads.h"

namespace quenby {

class TThreadObjectList;

class TThreadObject : public TSyncItem {
 public:
  explicit TThreadObject(TThreadObjectList* owner);
  TThreadSerial ThreadID = 0;
};

class TThreadObjectList : public TSyncObjList {
 public:
  using TItemClass = std::function<TThreadObject*(TThreadObjectList*)>;

  // The first object is created at once and belongs to the main thread,
  // whichever thread creates the list.
  explicit TThreadObjectList(TItemClass itemClass,
                             std::function<void(TThreadObjectList*, TThreadObject*)> onCreate = {});

  TThreadObject* MainObject() const { return MainObject_; }
  // The calling thread's object, created on first use.
  TThreadObject* CurrentObject();
  TThreadObject* FindObject(TThreadSerial id) const;

 protected:
  virtual TThreadObject* CreateObject();

 private:
  TItemClass ItemClass_;
  std::function<void(TThreadObjectList*, TThreadObject*)> OnCreateObject_;
  TThreadObject* MainObject_ = nullptr;
};

}  // namespace quenby
