// csv_syntax: fields and rows as RFC 4180 writes them (a field quoted when it
// holds a comma, a double quote, CR or LF; rows ending in CR LF), and the
// reader that parses a CSV file row by row.

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "csv_parts.h"

namespace stdcsv {

void AppendField(std::string& row, const std::string& field, bool bLast, char cSep) {
  const char special[] = {cSep, '"', '\r', '\n', '\0'};
  if (field.find_first_of(special) == std::string::npos) {
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
  if (bLast) {
    row += "\r\n";
  } else {
    row += cSep;
  }
}

void AppendRow(std::string& out, const std::vector<std::string>& fields, char cSep) {
  for (std::size_t i = 0; i < fields.size(); ++i) AppendField(out, fields[i], i + 1 == fields.size(), cSep);
}

namespace {

constexpr std::size_t kChunk = 65536;
constexpr char kNulWhy[] = "the field holds a NUL byte, which the organiser cannot store";

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Every unit of `width` bytes in the first n holds one byte that is not NUL,
// at its low end (little-endian) or its high end: ASCII in UTF-16 or UTF-32.
bool AsciiUnits(std::string_view s, std::size_t width, bool bLittle) {
  const std::size_t n = std::min<std::size_t>(s.size(), 64) / width * width;
  if (n < 2 * width) return false;
  for (std::size_t at = 0; at < n; ++at) {
    const bool bChar = at % width == (bLittle ? 0 : width - 1);
    if ((s[at] != '\0') != bChar) return false;
  }
  return true;
}

// UTF-16 or UTF-32 by the byte order mark, or by the NUL bytes of ASCII
// characters; nullptr for neither.
const char* WideForm(std::string_view s) {
  using namespace std::string_view_literals;
  if (StartsWith(s, "\xFF\xFE\0\0"sv) || StartsWith(s, "\0\0\xFE\xFF"sv)) return "UTF-32";
  if (StartsWith(s, "\xFF\xFE"sv) || StartsWith(s, "\xFE\xFF"sv)) return "UTF-16";
  if (AsciiUnits(s, 4, true) || AsciiUnits(s, 4, false)) return "UTF-32";
  if (AsciiUnits(s, 2, true) || AsciiUnits(s, 2, false)) return "UTF-16";
  return nullptr;
}

}  // namespace

CsvReader::CsvReader(std::FILE* f) : f_(f) {
  Have(kChunk);
  if (const char* form = WideForm(buf_)) {
    Fatal("%s is %s text; save it as CSV in UTF-8.\n", files.szFilenameIN.c_str(), form);
  }
  if (StartsWith(buf_, "\xEF\xBB\xBF")) i_ = 3;
  // The mark of UTF-8 read as Latin-1 and written again as UTF-8: the rest
  // is read as UTF-8 (each field is checked), with a warning.
  if (StartsWith(std::string_view(buf_).substr(i_), "\xC3\xAF\xC2\xBB\xC2\xBF")) {
    std::fprintf(
        stderr,
        "Warning: %s line 1: the header begins with \xC3\xAF\xC2\xBB\xC2\xBF, a UTF-8 byte order mark that was "
        "read as Latin-1 and saved again; read as a byte order mark (check the texts that are not ASCII).\n",
        files.szFilenameIN.c_str());
    i_ += 6;
  }
}

std::string_view CsvReader::FirstLine() const {
  const std::string_view rest = std::string_view(buf_).substr(i_);
  return rest.substr(0, rest.find_first_of("\r\n"));
}

bool CsvReader::Have(std::size_t n) {
  while (buf_.size() - i_ < n && !bEnd_) {
    buf_.erase(0, i_);
    i_ = 0;
    const std::size_t old = buf_.size();
    buf_.resize(old + kChunk);
    const std::size_t got = std::fread(&buf_[old], 1, kChunk, f_);
    buf_.resize(old + got);
    if (got > 0) continue;
    if (std::ferror(f_)) Fatal("Failed read file.\n  %s: %s\n", files.szFilenameIN.c_str(), std::strerror(errno));
    bEnd_ = true;
  }
  return buf_.size() - i_ >= n;
}

int CsvReader::Peek(std::size_t k) { return Have(k + 1) ? static_cast<unsigned char>(buf_[i_ + k]) : -1; }

void CsvReader::Bad(long lLine, std::size_t iField, const std::string& why) const {
  const bool bNamed = header_ && iField < header_->size();
  RowError(lLine, static_cast<int>(iField) + 1, bNamed ? (*header_)[iField] : std::string(), why);
}

bool CsvReader::Next(Row* row, std::size_t nMax) {
  for (;;) {
    row->clear();
    if (Peek() < 0) return false;
    bool bQuoted = false;
    for (;;) {
      Field f;
      f.lLine = lLine_;
      const bool bThisQuoted = Peek() == '"';
      if (bThisQuoted) {
        Quoted(&f, row->size());
      } else {
        Plain(&f, row->size());
      }
      bQuoted = bQuoted || bThisQuoted;
      row->push_back(std::move(f));
      // The caller refuses a row wider than nMax; the rest of it is not read.
      if (row->size() > nMax) return true;
      if (Peek() != cSep_) break;
      ++i_;
    }
    EndOfLine();
    // A line that holds nothing is no row.
    if (row->size() == 1 && row->front().text.empty() && !bQuoted) continue;
    return true;
  }
}

bool CsvReader::AtLineEnd() {
  const int c = Peek();
  return c < 0 || c == '\r' || c == '\n';
}

// CR LF, LF or CR.
void CsvReader::EndOfLine() {
  if (AtLineEnd() && Peek() >= 0) {
    if (Peek() == '\r' && Peek(1) == '\n') ++i_;
    ++i_;
    ++lLine_;
  }
}

// Appends the bytes up to the first of `stops` (or all there are) to out.
bool CsvReader::TakeUntil(std::string_view stops, std::string* out) {
  while (Have(1)) {
    const std::size_t stop = buf_.find_first_of(stops.data(), i_, stops.size());
    const std::size_t end = stop == std::string::npos ? buf_.size() : stop;
    out->append(buf_, i_, end - i_);
    i_ = end;
    if (stop != std::string::npos) return true;
  }
  return false;
}

void CsvReader::Plain(Field* f, std::size_t iField) {
  const char stops[] = {cSep_, '"', '\r', '\n', '\0'};
  if (!TakeUntil(std::string_view(stops, sizeof stops), &f->text)) return;
  if (buf_[i_] == '"') Bad(f->lLine, iField, "a double quote inside a field that does not begin with one");
  if (buf_[i_] == '\0') Bad(lLine_, iField, kNulWhy);
}

void CsvReader::Quoted(Field* f, std::size_t iField) {
  using namespace std::string_view_literals;
  ++i_;
  for (;;) {
    if (!TakeUntil("\"\r\n\0"sv, &f->text))
      Bad(f->lLine, iField, "the double quote that begins this field is never closed");
    const char c = buf_[i_];
    if (c == '\0') Bad(lLine_, iField, kNulWhy);
    if (c == '"') {
      if (Peek(1) != '"') break;
      f->text += '"';
      i_ += 2;
      continue;
    }
    if (c == '\n' || (c == '\r' && Peek(1) != '\n')) ++lLine_;
    f->text += c;
    ++i_;
  }
  ++i_;
  if (AtLineEnd() || Peek() == cSep_) return;
  if (Peek() == '\0') Bad(lLine_, iField, kNulWhy);
  Bad(f->lLine, iField, "text after the double quote that closes a field");
}

}  // namespace stdcsv
