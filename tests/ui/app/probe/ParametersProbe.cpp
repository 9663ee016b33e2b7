// Prints the parameters the program takes from its command line, one a line, after the
// application object has taken its own options out, as the program's main does.
#include <QApplication>
#include <cstdio>

#include "ui/app/UCommandLine.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  for (const std::string& parameter : vellomar::programParameters(argc, argv)) {
    std::printf("%s\n", parameter.c_str());
  }
  return 0;
}
