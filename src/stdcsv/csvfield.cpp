// csvfield: fields and rows as RFC 4180 writes them.
#include "stdcsv.h"

namespace stdcsv {

void AppendField(std::string& row, const std::string& field, bool bLast) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    row += field;
  } else {
    row += '"';
    std::size_t at = 0;
    for (std::size_t q; (q = field.find('"', at)) != std::string::npos; at = q + 1) {
      row.append(field, at, q + 1 - at);
      row += '"';
    }
    row.append(field, at, std::string::npos);
    row += '"';
  }
  row += bLast ? "\r\n" : ",";
}

void AppendRow(std::string& out, const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) AppendField(out, fields[i], i + 1 == fields.size());
}

}  // namespace stdcsv
