// heading: the heading line of field names (-h). The appointment book shows
// the names of the columns of the kind chosen for output; a general database
// shows the name of every field that makes a column.

#include <cstdio>

#include "legacy_text.h"

namespace {

// A name is shown up to its first NUL.
std::string ShownName(const FieldDefineChain& fdc) { return std::string(fdc.szName.c_str()); }

enum class Role { kNone, kColumn, kLast };

Role ApptRole(uint8_t t) {
  if (t == 2 || t == 7 || t == 19 || t == 23) return Role::kColumn;
  return t == 10 ? Role::kLast : Role::kNone;
}

Role EventRole(uint8_t t) {
  if (t == 2 || t == 19 || t == 23) return Role::kColumn;
  return t == 10 ? Role::kLast : Role::kNone;
}

Role TodoRole(uint8_t t, const std::string& szName) {
  if (t == 2) return szName.find("Lo&cation") == std::string::npos ? Role::kColumn : Role::kNone;
  if (t == 8 || t == 19 || t == 22 || t == 23) return Role::kColumn;
  return t == 10 ? Role::kLast : Role::kNone;
}

// Type-23 fields have a name in the heading but no column in the lines.
bool IsGeneralColumn(uint8_t t) { return FieldMakesColumn(t) || t == 23; }

// The general heading ends at its last name. Type-23 fields show a name but
// have no column in the data lines, so the count of data columns
// (iFileDefNum) cannot tell where the heading ends when they are present.
int CountGeneralNames(PFDC start_fdc) {
  int n = 0;
  for (PFDC fdc = start_fdc; fdc; fdc = fdc->pnext_fdc) n += IsGeneralColumn(fdc->pfd->cFieldType) ? 1 : 0;
  return n;
}

}  // namespace

void PrintHeader(PFDC start_fdc) {
  if (opt.iHeader == 0) return;
  std::string line;
  int iField = 1;
  const int iLastField = CountGeneralNames(start_fdc);
  for (PFDC fdc = start_fdc; fdc; fdc = fdc->pnext_fdc) {
    const uint8_t t = fdc->pfd->cFieldType;
    const std::string szName = ShownName(*fdc);
    Role role = Role::kNone;
    if (opt.iAppt != 0 && state.iFileType == 2) {
      role = ApptRole(t);
    } else if (opt.iEvent != 0 && state.iFileType == 2) {
      role = EventRole(t);
    } else if (opt.iToDo != 0 && state.iFileType == 2) {
      role = TodoRole(t, szName);
    } else if (IsGeneralColumn(t)) {
      role = iField == iLastField ? Role::kLast : Role::kColumn;
      ++iField;
    }
    if (role != Role::kNone) PrintString(szName, line, role == Role::kLast ? FieldEnd::kLineEnd : FieldEnd::kSeparator);
  }
  std::fwrite(line.data(), 1, line.size(), stdout);
}
