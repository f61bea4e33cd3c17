// csv_syntax: fields and rows as RFC 4180 writes them (a field quoted when it
// holds a comma, a double quote, CR or LF; rows ending in CR LF), and the
// parser of a whole CSV text.

#include "csv_parts.h"

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

namespace stdcsv {

namespace {

class Parser {
 public:
  explicit Parser(const std::string& text) : s_(text) {
    if (s_.compare(0, 3, "\xEF\xBB\xBF") == 0) i_ = 3;
  }

  bool Run(std::vector<Row>* rows, long* pBadLine, std::string* why) {
    while (i_ < s_.size()) {
      Row row;
      bool bQuoted = false;
      for (;;) {
        Field f;
        f.lLine = lLine_;
        const bool bThisQuoted = i_ < s_.size() && s_[i_] == '"';
        if (!(bThisQuoted ? Quoted(&f.text, why) : Plain(&f.text, why))) {
          *pBadLine = f.lLine;
          return false;
        }
        bQuoted = bQuoted || bThisQuoted;
        row.push_back(std::move(f));
        if (i_ < s_.size() && s_[i_] == ',') {
          ++i_;
          continue;
        }
        EndOfLine();
        break;
      }
      // A line that holds nothing is no row.
      if (row.size() == 1 && row[0].text.empty() && !bQuoted) continue;
      rows->push_back(std::move(row));
    }
    return true;
  }

 private:
  bool AtLineEnd() const { return i_ >= s_.size() || s_[i_] == '\r' || s_[i_] == '\n'; }

  // CR LF, LF or CR.
  void EndOfLine() {
    if (i_ >= s_.size()) return;
    if (s_[i_] == '\r' && i_ + 1 < s_.size() && s_[i_ + 1] == '\n') ++i_;
    ++i_;
    ++lLine_;
  }

  bool Plain(std::string* out, std::string* why) {
    const std::size_t start = i_;
    while (!AtLineEnd() && s_[i_] != ',') {
      if (s_[i_] == '"') {
        *why = "a double quote inside a field that does not begin with one";
        return false;
      }
      ++i_;
    }
    out->assign(s_, start, i_ - start);
    return true;
  }

  bool Quoted(std::string* out, std::string* why) {
    ++i_;
    for (;;) {
      if (i_ >= s_.size()) {
        *why = "the double quote that begins this field is never closed";
        return false;
      }
      const char c = s_[i_];
      if (c == '"') {
        if (i_ + 1 < s_.size() && s_[i_ + 1] == '"') {
          *out += '"';
          i_ += 2;
          continue;
        }
        ++i_;
        break;
      }
      if (c == '\n' || (c == '\r' && (i_ + 1 >= s_.size() || s_[i_ + 1] != '\n'))) ++lLine_;
      *out += c;
      ++i_;
    }
    if (!AtLineEnd() && s_[i_] != ',') {
      *why = "text after the double quote that closes a field";
      return false;
    }
    return true;
  }

  const std::string& s_;
  std::size_t i_ = 0;
  long lLine_ = 1;
};

}  // namespace

bool ParseCsv(const std::string& text, std::vector<Row>* rows, long* pBadLine, std::string* why) {
  return Parser(text).Run(rows, pBadLine, why);
}

}  // namespace stdcsv
