#include "engine/api/UApiTypes.h"

namespace vellomar {

void NewOneDir(TOneDir*& p, const TOneDir& src) {
  p = new TOneDir(src);
}

void FreeOneDir(TOneDir*& p) {
  delete p;
  p = nullptr;
}

void CopyOneDir(const TOneDir& src, TOneDir& dest) {
  dest = src;
}

void NewOneFile(TOneFile*& p, const TOneFile& src) {
  p = new TOneFile(src);
}

void FreeOneFile(TOneFile*& p) {
  delete p;
  p = nullptr;
}

void CopyOneFile(const TOneFile& src, TOneFile& dest) {
  dest = src;
}

}  // namespace vellomar
