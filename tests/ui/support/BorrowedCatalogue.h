#pragma once

#include "ui/common/UCatalogueGateway.h"

namespace vellomar::test {

// A gateway over a handle that the test's fixture owns, closes and opens again; it gives the
// handle back instead of closing it.
class BorrowedCatalogue {
 public:
  explicit BorrowedCatalogue(TDBase* handle) : gateway_(handle) {}
  ~BorrowedCatalogue() { gateway_.release(); }
  BorrowedCatalogue(const BorrowedCatalogue&) = delete;
  BorrowedCatalogue& operator=(const BorrowedCatalogue&) = delete;

  CatalogueGateway& get() { return gateway_; }

 private:
  CatalogueGateway gateway_;
};

}  // namespace vellomar::test
