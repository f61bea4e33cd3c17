// getstr: an owned copy of a text (an empty text gives a new empty text).
#include "kalvert.h"

std::string GetString(std::string pszData) { return pszData; }
