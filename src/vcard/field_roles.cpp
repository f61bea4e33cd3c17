// field_roles: which field of a card file is which part of a card, by the
// field's name (in English and in the organiser's own phone-book names), and
// --vcard-map for the names the table does not know.

#include <cctype>

#include "layout.h"
#include "vcard_parts.h"

namespace vcard {

namespace {

struct NamedRole {
  const char* szName;  // folded
  Role role;
};

constexpr NamedRole kTable[] = {
    {"name", Role::kName},
    {"full name", Role::kName},
    {"contact", Role::kName},
    {"first name", Role::kGiven},
    {"given name", Role::kGiven},
    {"first", Role::kGiven},
    {"last name", Role::kFamily},
    {"family name", Role::kFamily},
    {"surname", Role::kFamily},
    {"last", Role::kFamily},
    {"company", Role::kCompany},
    {"organisation", Role::kCompany},
    {"organization", Role::kCompany},
    {"firm", Role::kCompany},
    {"department", Role::kDepartment},
    {"dept", Role::kDepartment},
    {"dept.", Role::kDepartment},
    {"title", Role::kTitle},
    {"job title", Role::kTitle},
    {"position", Role::kTitle},
    {"phone", Role::kPhone},
    {"telephone", Role::kPhone},
    {"tel", Role::kPhone},
    {"tel.", Role::kPhone},
    {"phone number", Role::kPhone},
    {"other", Role::kPhone},
    {"other phone", Role::kPhone},
    {"business", Role::kPhoneWork},
    {"business phone", Role::kPhoneWork},
    {"bus. phone", Role::kPhoneWork},
    {"work", Role::kPhoneWork},
    {"work phone", Role::kPhoneWork},
    {"office", Role::kPhoneWork},
    {"office phone", Role::kPhoneWork},
    {"home", Role::kPhoneHome},
    {"home phone", Role::kPhoneHome},
    {"private", Role::kPhoneHome},
    {"mobile", Role::kPhoneCell},
    {"mobile phone", Role::kPhoneCell},
    {"cell", Role::kPhoneCell},
    {"cell phone", Role::kPhoneCell},
    {"car", Role::kPhoneCell},
    {"car phone", Role::kPhoneCell},
    {"fax", Role::kPhoneFax},
    {"fax number", Role::kPhoneFax},
    {"business fax", Role::kPhoneFax},
    {"pager", Role::kPhonePager},
    {"e-mail", Role::kEmail},
    {"email", Role::kEmail},
    {"e-mail address", Role::kEmail},
    {"email address", Role::kEmail},
    {"mail", Role::kEmail},
    {"web", Role::kUrl},
    {"web page", Role::kUrl},
    {"web site", Role::kUrl},
    {"website", Role::kUrl},
    {"homepage", Role::kUrl},
    {"home page", Role::kUrl},
    {"url", Role::kUrl},
    {"address", Role::kStreet},
    {"street", Role::kStreet},
    {"street address", Role::kStreet},
    {"city", Role::kCity},
    {"town", Role::kCity},
    {"state", Role::kRegion},
    {"region", Role::kRegion},
    {"province", Role::kRegion},
    {"county", Role::kRegion},
    {"zip", Role::kPostalCode},
    {"zip code", Role::kPostalCode},
    {"postal code", Role::kPostalCode},
    {"postcode", Role::kPostalCode},
    {"country", Role::kCountry},
    {"birthday", Role::kBirthday},
    {"date of birth", Role::kBirthday},
    {"birth date", Role::kBirthday},
    {"anniversary", Role::kAnniversary},
    {"category", Role::kCategory},
    {"categories", Role::kCategory},
    {"group", Role::kCategory},
    {"note", Role::kNote},
    {"notes", Role::kNote},
};

// The words of --vcard-map, each the property (and its part) it writes.
constexpr NamedRole kProperties[] = {
    {"fn", Role::kName},
    {"n.given", Role::kGiven},
    {"n.family", Role::kFamily},
    {"org", Role::kCompany},
    {"org.unit", Role::kDepartment},
    {"title", Role::kTitle},
    {"tel", Role::kPhone},
    {"tel.work", Role::kPhoneWork},
    {"tel.home", Role::kPhoneHome},
    {"tel.cell", Role::kPhoneCell},
    {"tel.fax", Role::kPhoneFax},
    {"tel.pager", Role::kPhonePager},
    {"email", Role::kEmail},
    {"url", Role::kUrl},
    {"adr", Role::kStreet},
    {"adr.street", Role::kStreet},
    {"adr.city", Role::kCity},
    {"adr.region", Role::kRegion},
    {"adr.code", Role::kPostalCode},
    {"adr.country", Role::kCountry},
    {"bday", Role::kBirthday},
    {"anniversary", Role::kAnniversary},
    {"categories", Role::kCategory},
    {"note", Role::kNote},
    {"x", Role::kNone},
};

template <std::size_t N>
bool Find(const NamedRole (&table)[N], const std::string& szFolded, Role* pRole) {
  for (const NamedRole& r : table) {
    if (szFolded == r.szName) {
      *pRole = r.role;
      return true;
    }
  }
  return false;
}

bool Repeats(Role r) { return (r >= Role::kPhone && r <= Role::kUrl) || r == Role::kNone; }

constexpr bool IsTextType(uint8_t t) { return (t >= 2 && t <= 6) || t == 13 || t == 15; }

// Whether a field of type t can hold the role's value.
bool Takes(Role r, uint8_t t) {
  switch (r) {
    case Role::kNone:
      return true;
    case Role::kBirthday:
    case Role::kAnniversary:
      return t == kFieldDate;
    case Role::kNote:
      return t == kFieldNote || IsTextType(t);
    case Role::kCategory:
      return t == kFieldGroupStart || IsTextType(t);
    default:
      return IsTextType(t);
  }
}

// The pairs of --vcard-map, each applied to the column it names.
void ApplyMap(const std::vector<stdcsv::CardColumn>& columns, const std::vector<std::string>& shown,
              const std::vector<std::string>& names, const std::string& szMap, std::vector<Role>* pRoles) {
  std::size_t i = 0;
  while (i <= szMap.size()) {
    std::size_t iEnd = szMap.find(',', i);
    if (iEnd == std::string::npos) iEnd = szMap.size();
    const std::string pair = szMap.substr(i, iEnd - i);
    i = iEnd + 1;
    const std::size_t eq = pair.rfind('=');
    if (eq == std::string::npos) Fatal("Option --vcard-map: \"%s\" is not FIELD=PROPERTY.\n", pair.c_str());
    const std::string field = FoldedName(pair.substr(0, eq));
    Role role{};
    if (!Find(kProperties, FoldedName(pair.substr(eq + 1)), &role)) {
      Fatal(
          "Option --vcard-map: %s is no property kalvert writes; one of FN N.GIVEN N.FAMILY ORG ORG.UNIT TITLE TEL "
          "TEL.WORK TEL.HOME TEL.CELL TEL.FAX TEL.PAGER EMAIL URL ADR.STREET ADR.CITY ADR.REGION ADR.CODE "
          "ADR.COUNTRY BDAY ANNIVERSARY CATEGORIES NOTE X.\n",
          Trimmed(pair.substr(eq + 1)).c_str());
    }
    bool bFound = false;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (FoldedName(names[c]) != field && FoldedName(shown[c]) != field) continue;
      if (!Takes(role, columns[c].pfdc->pfd->cFieldType)) {
        Fatal("Option --vcard-map: field %s can't be %s: its type holds no such value.\n", names[c].c_str(),
              Trimmed(pair.substr(eq + 1)).c_str());
      }
      // A single property taken by another field leaves that field to X.
      for (Role& other : *pRoles) {
        if (other == role && !Repeats(role)) other = Role::kNone;
      }
      (*pRoles)[c] = role;
      bFound = true;
    }
    if (!bFound) Fatal("Option --vcard-map: the database has no field %s.\n", Trimmed(pair.substr(0, eq)).c_str());
  }
}

}  // namespace

std::string Trimmed(const std::string& s) {
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string FoldedName(const std::string& szShownName) {
  std::string s = Trimmed(szShownName);
  if (!s.empty() && s.back() == ':') s = Trimmed(s.substr(0, s.size() - 1));
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<Role> ColumnRoles(const std::vector<stdcsv::CardColumn>& columns, const std::vector<std::string>& shown,
                              const std::vector<std::string>& names, const std::string& szMap) {
  std::vector<Role> roles(columns.size(), Role::kNone);
  std::vector<bool> taken(static_cast<std::size_t>(Role::kNote) + 1, false);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    Role role{};
    if (!Find(kTable, FoldedName(shown[c]), &role)) continue;
    if (!Takes(role, columns[c].pfdc->pfd->cFieldType)) continue;
    if (taken[static_cast<std::size_t>(role)] && !Repeats(role)) continue;
    taken[static_cast<std::size_t>(role)] = true;
    roles[c] = role;
  }
  if (!szMap.empty()) ApplyMap(columns, shown, names, szMap, &roles);
  return roles;
}

}  // namespace vcard

namespace vcard {

Columns DatabaseColumns(PFDC start_fdc, TextCodec& codec) {
  Columns cols;
  cols.list = stdcsv::CardColumns(start_fdc);
  for (const stdcsv::CardColumn& c : cols.list) {
    cols.names.push_back(codec.ToUtf8(c.name));
    cols.shown.push_back(codec.ToUtf8(stdcsv::ShownFieldName(c.pfdc->szName)));
    cols.keys.push_back(FoldedName(cols.names.back()));
    cols.keys.push_back(FoldedName(cols.shown.back()));
  }
  cols.roles = ColumnRoles(cols.list, cols.shown, cols.names, opt.szVCardMap);
  return cols;
}

std::string Single(const Columns& cols, const std::vector<std::string>& fields, Role r) {
  for (std::size_t c = 0; c < cols.roles.size(); ++c) {
    if (cols.roles[c] == r) return fields[c];
  }
  return std::string();
}

std::string FormattedName(const Columns& cols, const std::vector<std::string>& fields) {
  const std::string whole = Single(cols, fields, Role::kName);
  if (!whole.empty()) return whole;
  const std::string joined = JoinName(Single(cols, fields, Role::kGiven), Single(cols, fields, Role::kFamily));
  if (!joined.empty()) return joined;
  const std::string company = Single(cols, fields, Role::kCompany);
  if (!company.empty()) return company;
  return FirstReach(cols, fields);
}

std::string FirstReach(const Columns& cols, const std::vector<std::string>& fields) {
  for (const bool bMail : {true, false}) {
    for (std::size_t c = 0; c < fields.size(); ++c) {
      const Role r = cols.roles[c];
      const bool bMatch = bMail ? r == Role::kEmail : (r >= Role::kPhone && r <= Role::kPhonePager);
      if (bMatch && !fields[c].empty()) return fields[c];
    }
  }
  return std::string();
}

std::string CardKey(const Columns& cols, const std::vector<std::string>& fields) {
  return "card\n" + FormattedName(cols, fields) + "\n" + FirstReach(cols, fields);
}

}  // namespace vcard
