#include "model/ThreadObjects.h"

namespace quenby {

TThreadObject::TThreadObject(TThreadObjectList* owner) : TSyncItem(owner) {}

TThreadObjectList::TThreadObjectList(
    TItemClass itemClass, std::function<void(TThreadObjectList*, TThreadObject*)> onCreate)
    : ItemClass_(std::move(itemClass)), OnCreateObject_(std::move(onCreate)) {
  MainObject_ = CreateObject();
  MainObject_->ThreadID = MainThreadSerial();
}

TThreadObject* TThreadObjectList::CreateObject() {
  TThreadObject* object = ItemClass_(this);
  object->ThreadID = CurrentThreadSerial();
  Add(object);
  if (OnCreateObject_) OnCreateObject_(this, object);
  return object;
}

TThreadObject* TThreadObjectList::CurrentObject() {
  if (IsMainThread()) return MainObject_;
  // Only the calling thread creates its own object, so a miss under the
  // read lock cannot race with another creation of the same object.
  if (TThreadObject* object = FindObject(CurrentThreadSerial())) return object;
  return CreateObject();
}

TThreadObject* TThreadObjectList::FindObject(TThreadSerial id) const {
  TReadLock read(Lock());
  for (std::int32_t i = 0; i < RawCount(); ++i) {
    auto* object = static_cast<TThreadObject*>(RawItems(i));
    if (object->ThreadID == id) return object;
  }
  return nullptr;
}

}  // namespace quenby
