// Fuzz target: CSV import into a general database (the bundled example card
// file). The first input byte picks the options
// (fuzzsets::ImportCards()).
#include "examples.h"
#include "import.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz::Initialize(argc, argv);
  fuzz::WriteFile(fuzz::PathOf("base.dat"), fixture::BuildExampleCards());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::ImportOne(fuzzsets::ImportCards(), data, size, false);
}
