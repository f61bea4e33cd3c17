// card_export: WriteVCards, one vCard per record of a general database, in
// the version --vcard asks for, with a UID that stays the same on every export.

#include <algorithm>
#include <cstdio>
#include <map>

#include "line_syntax.h"
#include "vcard.h"
#include "vcard_parts.h"

namespace vcard {

namespace {

using Fields = std::vector<std::string>;

// A date as the card writes it, false for a text that is no day of the
// calendar (the bytes of a date field may make none). The text is the
// date's bytes as digits: a month or day past 99 makes it longer than 10.
bool CardDate(const std::string& ymd, bool bBasic, std::string* pOut) {
  if (ymd.size() != 10) return false;
  const long m = std::stol(ymd.substr(5, 2));
  const long d = std::stol(ymd.substr(8, 2));
  if (m < 1 || m > 12 || d < 1 || d > DaysInMonth(std::stol(ymd.substr(0, 4)), m)) return false;
  *pOut = bBasic ? ymd.substr(0, 4) + ymd.substr(5, 2) + ymd.substr(8, 2) : ymd;
  return true;
}

// A value written without TEXT escapes (a 3.0 phone number, a URL) can't
// hold a control character, a blank at an end or a backslash.
bool TakesRawValue(const std::string& v) {
  if (v.front() == ' ' || v.back() == ' ') return false;
  for (const char c : v) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\') return false;
  }
  return true;
}

// A parameter value: in double quotes when it holds ; : or ,; a double
// quote and a caret as RFC 6868 writes them.
std::string ParamValue(const std::string& s) {
  std::string v;
  bool bQuote = false;
  for (const char c : s) {
    if (c == '"') {
      v += "^'";
    } else if (c == '^') {
      v += "^^";
    } else if (c == '\r' || c == '\n') {
      v += "^n";
    } else {
      bQuote = bQuote || c == ';' || c == ':' || c == ',';
      v += c;
    }
  }
  return bQuote ? '"' + v + '"' : v;
}

class CardWriter {
 public:
  CardWriter(const Columns& cols, bool bV4) : cols_(cols), bV4_(bV4) {}

  std::string Card(const Fields& f, const std::string& uid) {
    text_.clear();
    Line("BEGIN:VCARD");
    Line(bV4_ ? "VERSION:4.0" : "VERSION:3.0");
    Line((bV4_ ? "UID:urn:uuid:" : "UID:") + uid);
    Names(f);
    const std::string company = Single(cols_, f, Role::kCompany);
    const std::string unit = Single(cols_, f, Role::kDepartment);
    if (!company.empty() || !unit.empty()) Line("ORG:" + Text(company) + (unit.empty() ? "" : ";" + Text(unit)));
    Property("TITLE", Single(cols_, f, Role::kTitle));
    for (std::size_t c = 0; c < f.size(); ++c) Repeated(cols_.roles[c], f[c], c);
    Address(f);
    DateProperty("BDAY", Role::kBirthday, f);
    DateProperty(bV4_ ? "ANNIVERSARY" : "X-ANNIVERSARY", Role::kAnniversary, f);
    Property("CATEGORIES", Single(cols_, f, Role::kCategory));
    Property("NOTE", Single(cols_, f, Role::kNote));
    for (std::size_t c = 0; c < f.size(); ++c) {
      if (cols_.roles[c] == Role::kNone || std::find(asField_.begin(), asField_.end(), c) != asField_.end()) {
        Field(c, f[c]);
      }
    }
    asField_.clear();
    Line("END:VCARD");
    return text_;
  }

  long Controls() const { return lControls_; }

 private:
  void Line(const std::string& line) { AppendFolded(&text_, line); }
  std::string Text(const std::string& utf8) { return EscapedText(utf8, &lControls_); }

  void Property(const char* szName, const std::string& v) {
    if (!v.empty()) Line(std::string(szName) + ":" + Text(v));
  }

  void Names(const Fields& f) {
    Line("FN:" + Text(FormattedName(cols_, f)));
    PersonName n;
    const std::string whole = Single(cols_, f, Role::kName);
    if (!whole.empty()) {
      n = SplitName(whole);
    } else {
      n.given = Single(cols_, f, Role::kGiven);
      n.family = Single(cols_, f, Role::kFamily);
    }
    const bool bAny = !(n.family + n.given + n.prefix + n.suffix).empty();
    if (!bAny && bV4_) return;  // 3.0 asks for N on every card
    Line("N:" + Text(n.family) + ";" + Text(n.given) + ";;" + Text(n.prefix) + ";" + Text(n.suffix));
  }

  // A second field of a role names itself (X-NAME), so that the import puts
  // its value back there and not into the first field of the role.
  std::string Named(std::size_t c) const {
    for (std::size_t k = 0; k < c; ++k) {
      if (cols_.roles[k] == cols_.roles[c]) return ";X-NAME=" + ParamValue(cols_.names[c]);
    }
    return std::string();
  }

  void Repeated(Role r, const std::string& v, std::size_t c) {
    if (v.empty()) return;
    // A phone of no kind has no TYPE: a voice number is what TEL means alone.
    static const char* const kTel3[] = {"",           ";TYPE=WORK,VOICE", ";TYPE=HOME,VOICE",
                                        ";TYPE=CELL", ";TYPE=FAX",        ";TYPE=PAGER"};
    static const char* const kTel4[] = {"",          ";TYPE=\"work,voice\"", ";TYPE=\"home,voice\"", ";TYPE=cell",
                                        ";TYPE=fax", ";TYPE=pager"};
    if (r >= Role::kPhone && r <= Role::kPhonePager) {
      const auto i = static_cast<std::size_t>(r) - static_cast<std::size_t>(Role::kPhone);
      if (bV4_) {
        Line("TEL" + std::string(kTel4[i]) + Named(c) + ":" + Text(v));
      } else if (TakesRawValue(v)) {
        Line("TEL" + std::string(kTel3[i]) + Named(c) + ":" + v);
      } else {
        asField_.push_back(c);
      }
    } else if (r == Role::kEmail) {
      Line((bV4_ ? "EMAIL" : "EMAIL;TYPE=INTERNET") + Named(c) + ":" + Text(v));
    } else if (r == Role::kUrl) {
      if (TakesRawValue(v)) {
        Line("URL" + Named(c) + ":" + v);
      } else {
        asField_.push_back(c);
      }
    }
  }

  void Address(const Fields& f) {
    std::string adr = "ADR:;;";
    bool bAny = false;
    for (const Role r : {Role::kStreet, Role::kCity, Role::kRegion, Role::kPostalCode, Role::kCountry}) {
      const std::string v = Single(cols_, f, r);
      bAny = bAny || !v.empty();
      adr += Text(v) + (r == Role::kCountry ? "" : ";");
    }
    if (bAny) Line(adr);
  }

  void DateProperty(const char* szName, Role r, const Fields& f) {
    for (std::size_t c = 0; c < f.size(); ++c) {
      if (cols_.roles[c] != r || f[c].empty()) continue;
      std::string date;
      if (CardDate(f[c], bV4_, &date)) {
        Line(std::string(szName) + ":" + date);
      } else {
        asField_.push_back(c);  // a date the organiser holds with unknown bytes
      }
    }
  }

  void Field(std::size_t c, const std::string& v) {
    if (v.empty()) return;
    Line("X-KALVERT-FIELD;X-NAME=" + ParamValue(cols_.names[c]) + ":" + Text(v));
  }

  const Columns& cols_;
  const bool bV4_;
  std::string text_;
  std::vector<std::size_t> asField_;  // fields of a role whose value the property can't hold
  long lControls_ = 0;
};

}  // namespace

}  // namespace vcard

void CheckVCardRun() {
  if (state.iFileType == 2) {
    Fatal(
        "--format=vcf exports general databases (file types D and N), such as card files; this file is an "
        "appointment book.\n");
  }
}

void WriteVCards(PFDC start_fdc) {
  using vcard::Fields;
  TextCodec codec(opt.szEncoding);
  for (const stdcsv::CardColumn& c : stdcsv::CardColumns(start_fdc)) {
    if (codec.PassThrough() && !IsAscii(c.name)) RefuseNonAscii("The field names");
  }
  const vcard::Columns cols = vcard::DatabaseColumns(start_fdc, codec);
  // Without a code page every text must be ASCII; refused before anything is written.
  if (codec.PassThrough()) {
    stdcsv::ForEachCard(cols.list, codec, [](const Fields& fields, const std::function<std::string()>& where) {
      for (const std::string& f : fields) {
        if (!IsAscii(f)) RefuseNonAscii(where());
      }
    });
  }
  vcard::CardWriter writer(cols, opt.cVCardVersion == 4);
  using vcard::CardKey;
  std::map<std::string, int> seen;  // cards of one name and first address, numbered
  std::string out;
  stdcsv::ForEachCard(cols.list, codec, [&](const Fields& fields, const std::function<std::string()>&) {
    const std::string name = CardKey(cols, fields);
    const int n = seen[name]++;
    out += writer.Card(fields, NameUuid(n == 0 ? name : name + "\n" + std::to_string(n)));
  });
  std::fwrite(out.data(), 1, out.size(), stdout);
  codec.ReportReplacements();
  ReportControls(writer.Controls());
}
