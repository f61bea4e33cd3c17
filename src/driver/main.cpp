// Process entry point: the run itself is KalvertMain (module kalvert), so that
// tests and fuzzers can call it in-process. Exits are intercepted here too, so
// every run unwinds and releases what it owns before the process ends.
#include "kalvert.h"

int main(int argc, char** argv) {
  bInterceptExit = true;
  return KalvertMain(argc, argv);
}
