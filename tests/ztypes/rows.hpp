// Table rows of the checker's tests: a text and the errors it must give
// ("LINE:COLUMN [paragraph] message"; none for a text that checks clean).
#pragma once

#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "check_text.hpp"

namespace tarn::ztypes {

struct Row {
  std::string text;
  std::vector<std::string> errors;
};

inline void ExpectRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) EXPECT_THAT(Errors(row.text), ::testing::ElementsAreArray(row.errors)) << row.text;
}

}  // namespace tarn::ztypes
