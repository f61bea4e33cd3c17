// output_file: the steps of the output file that every system takes alike;
// the system's own are in output_file_posix.cpp and output_file_windows.cpp.
#include <cerrno>
#include <cstdio>

#include "driver.h"
#include "output_file_parts.h"

bool OpenOutput() {
  if (files.iOutErr == kNotRegular) {
    std::fprintf(stderr, "Can't replace %s: not a regular file.\n", files.szFilenameOUT.c_str());
    return false;
  }
  if (files.iOutErr == 0) files.fpout = CreateTemporary(FolderOf(files.szTarget));
  if (files.fpout) return true;
  ReportCantOpen(files.szFilenameOUT, files.iOutErr != 0 ? files.iOutErr : errno);
  DiscardOutput();
  return false;
}
