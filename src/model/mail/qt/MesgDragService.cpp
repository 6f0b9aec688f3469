#include "model/mail/qt/MesgDragService.h"

namespace quenby {

namespace {
IMesgDragService* Service = nullptr;  // GUI thread only
}  // namespace

void SetMesgDragService(IMesgDragService* service) {
  Service = service;
}

IMesgDragService* MesgDragService() {
  return Service;
}

}  // namespace quenby
