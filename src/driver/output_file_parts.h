// output_file_parts: what each system's output file (output_file_posix.cpp,
// output_file_windows.cpp) gives the shared steps of output_file.cpp.
#pragma once

#include <cstdio>
#include <string>

// Not an errno: the destination is a pipe, a device or the like.
constexpr int kNotRegular = -1;

// The folder of a path (".", "/", or on Windows a drive's root).
std::string FolderOf(const std::string& path);
// A new file in `folder`, readable by its owner only, its name in
// files.szTempOUT; nullptr with errno set when none can be made.
std::FILE* CreateTemporary(const std::string& folder);
