// Fuzz target: CSV import into an appointment book (the bundled example
// book). The first input byte picks the options
// (fuzzsets::ImportBook()).
#include "examples.h"
#include "import.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz::Initialize(argc, argv);
  fuzz::WriteFile(fuzz::PathOf("base.dat"), fixture::BuildExampleBook());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::ImportOne(fuzzsets::ImportBook(), data, size, true);
}
