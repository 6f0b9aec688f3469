// Status texts and refusals are worded by the shipped language file.
#include <gtest/gtest.h>

#include "settings/GlobStrings.h"

namespace {

class TLanguage : public ::testing::Environment {
 public:
  void SetUp() override { quenby::LoadLanguage(QUENBY_SOURCE_DIR "/lang/english.ini"); }
};

[[maybe_unused]] const auto* const kLanguage = ::testing::AddGlobalTestEnvironment(new TLanguage);

}  // namespace
