#pragma once
// Names parameterised test rows after their Name field.
#include <gtest/gtest.h>

#include <string>

namespace quenby::test {

struct ByName {
  template <class T>
  std::string operator()(const ::testing::TestParamInfo<T>& row) const {
    return row.param.Name;
  }
};

}  // namespace quenby::test
