// make-sample-project DIR: writes the generated sample game project.
#include <cstdio>
#include <string>

#include "tools/toolkit/SampleProject.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-sample-project DIR\n");
    return 2;
  }
  std::string error;
  if (!tools::MakeSampleProject(argv[1], &error)) {
    std::fprintf(stderr, "make-sample-project: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
