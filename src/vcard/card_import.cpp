// card_import: ReadVCards, the import of --format=vcf. Each card becomes a
// row of the database's fields by the same table as the export; what has no
// field goes into the note as "label: value" lines, or is left out with a
// warning when the database has no note field. Every card is checked before
// anything is written.

#include <set>

#include "line_syntax.h"
#include "vcard.h"
#include "vcard_parts.h"

namespace vcard {

namespace {

struct ImportRun {
  const Columns& cols;
  TextCodec& codec;
  long lWarnings = 0;
  long lReplaced = 0;
};

// Properties that say nothing of the contact, or nothing a record keeps.
bool IsFrame(const std::string& name) {
  static const char* const kFrame[] = {"VERSION", "PRODID", "UID",     "REV",         "KIND",
                                       "SOURCE",  "NAME",   "PROFILE", "CLIENTPIDMAP"};
  for (const char* f : kFrame) {
    if (name == f) return true;
  }
  return false;
}

bool IsPicture(const std::string& name) {
  return name == "PHOTO" || name == "LOGO" || name == "SOUND" || name == "KEY";
}

Role PhoneRole(const Property& p) {
  if (p.HasType("cell") || p.HasType("car") || p.HasType("mobile")) return Role::kPhoneCell;
  if (p.HasType("fax")) return Role::kPhoneFax;
  if (p.HasType("pager")) return Role::kPhonePager;
  if (p.HasType("work")) return Role::kPhoneWork;
  if (p.HasType("home")) return Role::kPhoneHome;
  return Role::kPhone;
}

// YYYY-MM-DD of a date value (3.0 YYYY-MM-DD or 4.0 YYYYMMDD, a time after
// T left out); false for a date without its year or day.
bool DateText(const std::string& value, std::string* pOut) {
  std::string d = value.substr(0, value.find('T'));
  const auto digits = [&d](std::size_t b, std::size_t n) {
    for (std::size_t i = b; i < b + n; ++i) {
      if (d[i] < '0' || d[i] > '9') return false;
    }
    return true;
  };
  if (d.size() == 8 && digits(0, 8)) d = d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6);
  if (d.size() != 10 || d[4] != '-' || d[7] != '-' || !digits(0, 4) || !digits(5, 2) || !digits(8, 2)) return false;
  *pOut = d;
  return true;
}

std::string Joined(const std::vector<std::string>& parts, std::size_t from, const char* szSep) {
  std::string s;
  for (std::size_t i = from; i < parts.size(); ++i) {
    if (parts[i].empty()) continue;
    s += (s.empty() ? "" : szSep) + parts[i];
  }
  return s;
}

// One card into one value per column.
class CardFields {
 public:
  CardFields(ImportRun& run, const Card& card) : run_(run), card_(card) {
    texts_.assign(run.cols.list.size(), std::string());
    lines_.assign(run.cols.list.size(), card.lLine);
    for (const Property& p : card.properties) {
      if (p.name == "VERSION") bV4_ = p.value == "4.0";
      if (p.name == "FN") szName_ = UnescapedText(p.value);
      if (p.name == "ADR") bAddress_ = true;
    }
  }

  // The row, or false when nothing of the card has a field.
  bool Take(stdcsv::Row* pRow) {
    for (const Property& p : card_.properties) Put(p);
    if (!extras_.empty()) PutExtras();
    bool bAny = false;
    pRow->clear();
    for (std::size_t c = 0; c < texts_.size(); ++c) {
      bAny = bAny || !texts_[c].empty();
      pRow->push_back(stdcsv::Field{texts_[c], lines_[c]});
    }
    return bAny;
  }

  const std::vector<std::string>& Texts() const { return texts_; }

  void Warn(long lLine, const std::string& what) {
    ++run_.lWarnings;
    std::fprintf(stderr, "Warning: %s line %ld (card \"%s\"): %s.\n", files.szFilenameIN.c_str(), lLine,
                 szName_.c_str(), what.c_str());
  }

 private:
  void Put(const Property& p) {
    const std::string& n = p.name;
    if (IsFrame(n) || (n == "LABEL" && bAddress_)) return;
    if (IsPicture(n)) {
      Warn(p.lLine, n + " left out: the organiser keeps no pictures, sounds or keys");
      return;
    }
    if (n == "FN") {
      if (NamesNoPerson()) return;
      if (!To(Role::kName, szName_, p.lLine) && !HasRole(Role::kGiven) && !HasRole(Role::kFamily)) {
        Extra("Name", szName_, p.lLine);
      }
    } else if (n == "N") {
      PutName(p);
    } else if (n == "ORG") {
      const std::vector<std::string> parts = SplitValue(p.value, ';');
      Or(Role::kCompany, "Company", parts[0], p.lLine);
      Or(Role::kDepartment, "Department", Joined(parts, 1, ", "), p.lLine);
    } else if (n == "TITLE") {
      Or(Role::kTitle, "Title", UnescapedText(p.value), p.lLine);
    } else if (n == "TEL") {
      PutPhone(p);
    } else if (n == "EMAIL") {
      const std::string address = UnescapedText(p.value);
      if (!ToNamed(p, address)) Or(Role::kEmail, "E-mail", address, p.lLine);
    } else if (n == "URL") {
      if (!ToNamed(p, p.value)) Or(Role::kUrl, "Web", p.value, p.lLine);
    } else if (n == "ADR") {
      PutAddress(p);
    } else if (n == "BDAY") {
      PutDate(Role::kBirthday, "Birthday", p);
    } else if (n == "ANNIVERSARY" || n == "X-ANNIVERSARY") {
      PutDate(Role::kAnniversary, "Anniversary", p);
    } else if (n == "CATEGORIES") {
      PutCategory(p);
    } else if (n == "NOTE") {
      PutNote(UnescapedText(p.value), p.lLine);
    } else if (n == "X-KALVERT-FIELD") {
      PutNamed(p);
    } else {
      Extra(Label(p), UnescapedText(p.value), p.lLine);
    }
  }

  // A card of a company or an address alone: its FN is the company, an
  // e-mail address or a phone number, and N names nobody.
  bool NamesNoPerson() const {
    bool bOther = false;
    for (const Property& p : card_.properties) {
      if (p.name == "N" && !Joined(SplitValue(p.value, ';'), 0, "").empty()) return false;
      const bool bReach = p.name == "EMAIL" || p.name == "TEL";
      const std::string v = p.name == "ORG" ? SplitValue(p.value, ';')[0] : bReach ? UnescapedText(p.value) : "";
      bOther = bOther || (!v.empty() && v == szName_);
    }
    return bOther;
  }

  bool HasRole(Role r) const {
    for (const Role x : run_.cols.roles) {
      if (x == r) return true;
    }
    return false;
  }

  // Into the first empty column of role r; false when there is none.
  bool To(Role r, const std::string& text, long lLine) {
    for (std::size_t c = 0; c < texts_.size(); ++c) {
      if (run_.cols.roles[c] != r || !texts_[c].empty()) continue;
      Set(c, text, lLine);
      return true;
    }
    return false;
  }

  void Or(Role r, const std::string& label, const std::string& text, long lLine) {
    if (!To(r, text, lLine)) Extra(label, text, lLine);
  }

  // A line break of vCard is one LF; the organiser's is CR LF.
  void Set(std::size_t c, const std::string& text, long lLine) {
    // A NUL byte of a decoded value (=00 of quoted-printable, a wide CHARSET).
    if (text.find('\0') != std::string::npos) {
      CardLineError(lLine, "the value holds a NUL byte, which the organiser cannot store");
    }
    if (run_.codec.PassThrough() && !IsAscii(text)) {
      CardLineError(lLine, "the text holds non-ASCII characters, and the organiser's code page is not known. " +
                               std::string(kNameTheEncoding));
    }
    std::string crlf;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
      crlf += text[i];
    }
    texts_[c] = run_.codec.HeldUtf8(crlf, &run_.lReplaced);
    lines_[c] = lLine;
  }

  void PutName(const Property& p) {
    const std::vector<std::string> parts = SplitValue(p.value, ';');
    const std::string family = parts[0];
    const std::string given = parts.size() > 1 ? parts[1] : std::string();
    const bool bParts = HasRole(Role::kGiven) || HasRole(Role::kFamily);
    To(Role::kFamily, family, p.lLine);
    To(Role::kGiven, given, p.lLine);
    if (!szName_.empty() || bParts) return;
    // No FN: the name as people write it, titles around it.
    std::vector<std::string> whole = {parts.size() > 3 ? parts[3] : "", JoinName(given, family),
                                      parts.size() > 4 ? parts[4] : ""};
    szName_ = Joined(whole, 0, " ");
    if (!To(Role::kName, szName_, p.lLine)) Extra("Name", szName_, p.lLine);
  }

  void PutPhone(const Property& p) {
    std::string number = bV4_ ? UnescapedText(p.value) : p.value;
    if (number.compare(0, 4, "tel:") == 0) number = number.substr(4);
    if (ToNamed(p, number) || To(PhoneRole(p), number, p.lLine) || To(Role::kPhone, number, p.lLine)) return;
    Extra(Label(p), number, p.lLine);
  }

  // Into the empty field that X-NAME names: a second field of a role, or a
  // field under its own name.
  bool ToNamed(const Property& p, const std::string& text) {
    const std::string name = p.Param("X-NAME");
    if (name.empty()) return false;
    const std::string key = FoldedName(name);
    const std::vector<std::string>& keys = run_.cols.keys;
    for (std::size_t c = 0; c < texts_.size(); ++c) {
      const bool bNamed = keys[2 * c] == key || keys[2 * c + 1] == key;
      if (!bNamed || !texts_[c].empty()) continue;
      Set(c, text, p.lLine);
      return true;
    }
    return false;
  }

  // The post-office box, extended address and street go to the street; a
  // part without a field of its own goes there too.
  void PutAddress(const Property& p) {
    std::vector<std::string> parts = SplitValue(p.value, ';');
    parts.resize(7);
    std::vector<std::string> street = {parts[0], parts[1], parts[2]};
    static const Role kParts[] = {Role::kCity, Role::kRegion, Role::kPostalCode, Role::kCountry};
    for (std::size_t i = 0; i < 4; ++i) {
      if (!To(kParts[i], parts[3 + i], p.lLine)) street.push_back(parts[3 + i]);
    }
    Or(Role::kStreet, "Address", Joined(street, 0, ", "), p.lLine);
  }

  void PutDate(Role r, const char* szLabel, const Property& p) {
    std::string date;
    if (DateText(p.value, &date) && To(r, date, p.lLine)) return;
    Extra(szLabel, p.value, p.lLine);
  }

  // A radio group takes a category that is one of its buttons.
  void PutCategory(const Property& p) {
    const std::string text = Joined(SplitValue(p.value, ','), 0, ",");
    for (std::size_t c = 0; c < texts_.size(); ++c) {
      if (run_.cols.roles[c] != Role::kCategory || !texts_[c].empty()) continue;
      if (!IsButton(c, text)) continue;
      Set(c, text, p.lLine);
      return;
    }
    Extra("Category", text, p.lLine);
  }

  bool IsButton(std::size_t c, const std::string& text) const {
    const stdcsv::CardColumn& col = run_.cols.list[c];
    if (col.pfdc->pfd->cFieldType != kFieldGroupStart) return true;
    for (const PFDC b : col.buttons) {
      if (FoldedName(run_.codec.ToUtf8(stdcsv::ShownFieldName(b->szName))) == FoldedName(text)) return true;
    }
    return false;
  }

  void PutNote(const std::string& text, long lLine) {
    const std::size_t c = NoteColumn();
    if (c == texts_.size()) {
      Warn(lLine, "NOTE left out: the database has no note field");
      return;
    }
    Set(c, texts_[c].empty() ? text : texts_[c] + "\n" + text, lLine);
  }

  // X-KALVERT-FIELD: back into the field of its name.
  void PutNamed(const Property& p) {
    const std::string text = UnescapedText(p.value);
    if (!ToNamed(p, text)) Extra(p.Param("X-NAME"), text, p.lLine);
  }

  std::size_t NoteColumn() const {
    for (std::size_t c = 0; c < texts_.size(); ++c) {
      if (run_.cols.roles[c] == Role::kNote) return c;
    }
    return texts_.size();
  }

  static std::string Label(const Property& p) {
    std::string label = p.name == "TEL" ? "Phone" : p.name;
    std::string types;
    for (const std::string& t : p.types) types += (types.empty() ? "" : ", ") + t;
    return types.empty() ? label : label + " (" + types + ")";
  }

  void Extra(const std::string& label, const std::string& text, long lLine) {
    if (text.empty()) return;
    if (NoteColumn() == texts_.size()) {
      Warn(lLine, label + " \"" + text + "\" left out: no field of the database takes it, and it has no note field");
      return;
    }
    extras_ += label + ": " + text + "\n";
    lExtraLine_ = lLine;
  }

  void PutExtras() {
    extras_.pop_back();
    PutNote(extras_, lExtraLine_);
  }

  ImportRun& run_;
  const Card& card_;
  std::vector<std::string> texts_;
  std::vector<long> lines_;
  std::string szName_;  // FN, or the name N makes
  bool bV4_ = false;
  bool bAddress_ = false;
  std::string extras_;
  long lExtraLine_ = 0;
};

}  // namespace

}  // namespace vcard

void ReadVCards(PFDC start_fdc, SeekInfoLists* pSeekInfo) {
  TextCodec codec(opt.szEncoding);
  const vcard::Columns cols = vcard::DatabaseColumns(start_fdc, codec);
  const std::vector<vcard::Card> cards = vcard::ReadCards(files.fpin);
  // The contacts already there; with -m the copy starts without them.
  std::set<std::string> known;
  if (!opt.iMerge) {
    stdcsv::ForEachCard(cols.list, codec, [&](const std::vector<std::string>& fields, const auto&) {
      known.insert(vcard::CardKey(cols, fields));
    });
  }
  vcard::ImportRun run{cols, codec};
  std::vector<stdcsv::Row> rows;
  long lKnown = 0;
  long lLeftOut = 0;
  for (const vcard::Card& card : cards) {
    vcard::CardFields fields(run, card);
    stdcsv::Row row;
    if (!fields.Take(&row)) {
      fields.Warn(card.lLine, "left out: nothing of the card has a field of the database");
      ++lLeftOut;
      continue;
    }
    const std::string key = vcard::CardKey(cols, fields.Texts());
    if (key != "card\n\n" && known.count(key) != 0) {
      ++lKnown;
      continue;
    }
    rows.push_back(std::move(row));
  }
  stdcsv::ImportCardRows(rows, cols.list, cols.names, pSeekInfo, codec);
  const char* szFile = files.szFilenameIN.c_str();
  std::fprintf(stderr, "%s: %zu card(s) added, %ld already in the database, %ld left out.\n", szFile, rows.size(),
               lKnown, lLeftOut);
  if (run.lWarnings > 0) {
    std::fprintf(stderr, "Warning: %ld warning(s) about the cards of %s, each named above.\n", run.lWarnings, szFile);
  }
  stdcsv::ReportChangedValues();
  if (run.lReplaced > 0) {
    std::fprintf(stderr, "Warning: %ld character(s) of %s that %s can't hold were written as '?'.\n", run.lReplaced,
                 szFile, codec.Name().c_str());
  }
}
