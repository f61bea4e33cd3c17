// csvfield: fields and rows as RFC 4180 writes them.
#include "stdcsv.h"

namespace stdcsv {

void AppendField(std::string& row, const std::string& field, bool bLast) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    row += field;
  } else {
    row += '"';
    for (const char c : field) {
      if (c == '"') row += '"';
      row += c;
    }
    row += '"';
  }
  row += bLast ? "\r\n" : ",";
}

void AppendRow(std::string& out, const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) AppendField(out, fields[i], i + 1 == fields.size());
}

}  // namespace stdcsv
