// SPDX-License-Identifier: GPL-3.0-or-later
#include "row_pool.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace velmora::retest {
namespace {

constexpr std::size_t kSpares = 8;
// Values per buffer: larger rows cost far more to build than to allocate.
constexpr std::size_t kLargestKept = 1u << 13;

using Spares = std::vector<std::unique_ptr<rows::CoefficientRow>>;

Spares& threadSpares() {
  thread_local Spares spares;
  return spares;
}

void keep(rows::CoefficientRow* done) {
  std::unique_ptr<rows::CoefficientRow> row(done);
  Spares& spares = threadSpares();
  if (spares.size() < kSpares && row->bufferA.capacity() <= kLargestKept) spares.push_back(std::move(row));
}

}  // namespace

std::shared_ptr<rows::CoefficientRow> pooledRow() {
  Spares& spares = threadSpares();
  std::unique_ptr<rows::CoefficientRow> row;
  if (!spares.empty()) {
    row = std::move(spares.back());
    spares.pop_back();
  } else {
    row = std::make_unique<rows::CoefficientRow>();
  }
  return {row.release(), [](rows::CoefficientRow* done) { keep(done); }};
}

}  // namespace velmora::retest
