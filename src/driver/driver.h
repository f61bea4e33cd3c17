// driver: the command line, the run sequence and the output file's way to its
// destination. KalvertMain is the whole run; main adds what only a process
// needs (standard descriptors, signals).
#pragma once

#include "book_items.h"
#include "database_file.h"
#include "icalendar.h"
#include "kalvert.h"
#include "legacy_text.h"
#include "passes.h"
#include "standard_csv.h"
#include "vcard.h"

// The whole run; returns the exit status.
int KalvertMain(int argc, char** argv);
// Puts the run's state back to its defaults and releases what a previous run held.
void ResetGlobals();
// The command line into the options and the files' names; 0 after a refusal
// (its message printed).
int ReadOption(int iArg, char** ppArg);
// Opens the input database, the CSV file and the output database; false
// after the message of the one that failed.
bool OpenFiles();
void usage();

// console (console.cpp, console_windows.cpp): standard output as the system
// and a terminal see it.
// Standard output in binary mode for the formats that write their own CR LF,
// text mode (the system's line ends) for the legacy text.
void SetTextOutputMode(bool bBinary);
// The character set of the terminal standard output is, as iconv names it;
// false when standard output is no terminal.
bool TerminalCharset(std::string* pCharset);

// output_file (output_file.cpp, with output_file_posix.cpp or
// output_file_windows.cpp): the files' names
// and the output database's way to its destination.
// Opens a file by its name in UTF-8 (Windows takes such names as UTF-16).
std::FILE* OpenNamed(const std::string& szName, const char* mode);
// Follows the destination's links and locks it (waiting for another run that
// holds it); a failure is kept for OpenOutput, so that the input's are told first.
void PrepareOutput();
// True when the destination PrepareOutput locked is the file open at fd.
bool OutputIsFile(int fd);
// Reports what PrepareOutput found, or creates the temporary file (mode 0600).
bool OpenOutput();
// Syncs the temporary file, gives it the destination's mode, owner and
// extended attributes, renames it over the destination and syncs the folder.
void CommitOutput();
// Closes and removes the temporary file, and releases the lock.
void DiscardOutput();
// SIGINT, SIGTERM and SIGHUP remove the temporary file before they end the run.
void InstallSignalCleanup();
