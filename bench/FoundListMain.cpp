// Writes the found lists of the benchmark's name searches, and of a few that take the other
// paths of the matcher, one hit a line, so that a change to the search can be checked against
// the lists it made before:
//   vellomar_foundlist DATABASE [N...] > lists.txt
// N: only the Nth of the searches (from 1), to profile one.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "bench/BenchEngine.h"
#include "bench/TreeGenerator.h"
#include "engine/api/UApiSearch.h"

namespace vellomar {
namespace {

struct FoundListCase {
  std::string mask;
  bool wildcards = false, phrase = false, dates = false, caseSensitive = false, strict = false;
};

TSearchDlgData requestOf(const FoundListCase& c) {
  TSearchDlgData r = searchRequest(c.mask);
  r.AddWildcards = c.wildcards;
  r.Phrase = c.phrase;
  r.CaseSensitive = c.caseSensitive;
  r.StrictMask = c.strict;
  r.FolderNames = true;
  if (c.dates) limitToYears2001And2002(r);
  return r;
}

void writeFound(TDBase* handle) {
  TFoundItemView v;
  for (int32_t i = 0; ApiViewFoundItem(handle, i, v); ++i) {
    std::cout << v.DiskName << '|' << v.FolderPath << '|' << v.Name << '|' << v.Data.Ext.view()
              << '|' << v.Data.Size << '|' << v.Data.DateTime << '|' << v.Data.Attr << '|'
              << v.EntryOffset << '|' << v.ShortDesc << '\n';
  }
}

}  // namespace
}  // namespace vellomar

int main(int argc, char** argv) {
  using namespace vellomar;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DATABASE [N...]\n", argv[0]);
    return 2;
  }
  const std::vector<FoundListCase> cases = {
      {"*.txt"},
      {kNameWord, true},
      {kNamePhrase, true, true},
      {"*", false, false, true},
      {"report summer", false},
      {"*.TXT", false, false, false, true},
      {"r?port*", false, false, false, false, true},
      {"straße münchen zürich москва 東京", true},
      {"*ÜRICH* ?ller*", false},
  };
  try {
    BenchDatabase database(argv[1]);
    for (size_t i = 0; i < cases.size(); ++i) {
      const FoundListCase& c = cases[i];
      if (argc > 2 && std::find_if(argv + 2, argv + argc, [i](const char* n) {
                        return std::atoi(n) == static_cast<int>(i + 1);
                      }) == argv + argc) {
        continue;
      }
      ApiSearch(database.get(), requestOf(c));
      std::cout << "# " << c.mask << ": " << ApiFoundCount(database.get()) << "\n";
      writeFound(database.get());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
