// vcard_parts: the pieces of the vCard export, for this folder's files only
// (its interface is vcard.h).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "standard_csv.h"

namespace vcard {

// What a field is in a card. A single role takes the first field that has
// it; a phone, e-mail or web role takes any number.
enum class Role : uint8_t {
  kNone,  // X-KALVERT-FIELD under the field's name
  kName,  // the whole name, split into N
  kGiven,
  kFamily,
  kCompany,
  kDepartment,
  kTitle,
  kPhone,
  kPhoneWork,
  kPhoneHome,
  kPhoneCell,
  kPhoneFax,
  kPhonePager,
  kEmail,
  kUrl,
  kStreet,  // also a one-field address
  kCity,
  kRegion,
  kPostalCode,
  kCountry,
  kBirthday,
  kAnniversary,
  kCategory,
  kNote,
};

// The role of each column: the table of field names (shown: as the
// database names them), then --vcard-map, which names a field either way or
// as the column's name told apart from the others (names). A map naming no
// field of the database or no property, or a property that does not take the
// field's type, ends the run. All names in UTF-8.
std::vector<Role> ColumnRoles(const std::vector<stdcsv::CardColumn>& columns, const std::vector<std::string>& shown,
                              const std::vector<std::string>& names, const std::string& szMap);
// The columns of the database and what each is in a card.
struct Columns {
  std::vector<stdcsv::CardColumn> list;
  std::vector<std::string> names;  // in UTF-8, told apart as the CSV header tells them
  std::vector<std::string> shown;  // in UTF-8, as the database names them
  std::vector<std::string> keys;   // names and shown as FoldedName compares them, two a column
  std::vector<Role> roles;
};
// The columns with their roles, --vcard-map applied.
Columns DatabaseColumns(PFDC start_fdc, TextCodec& codec);
// The one field of a single role in a record's fields, empty when the
// database has none.
std::string Single(const Columns& cols, const std::vector<std::string>& fields, Role r);
// A card's formatted name: the name as written, else given and family name,
// else the company, else the first e-mail address or phone number.
std::string FormattedName(const Columns& cols, const std::vector<std::string>& fields);
// The first e-mail address, else the first phone number.
std::string FirstReach(const Columns& cols, const std::vector<std::string>& fields);
// What tells contacts apart: the formatted name and the first e-mail address
// or phone number. The UID is made of it, and the import adds no card whose
// key a record of the database has.
std::string CardKey(const Columns& cols, const std::vector<std::string>& fields);

// A field name as the table compares it: without '&' marks, blanks around it
// and a trailing colon, ASCII letters in lower case.
std::string FoldedName(const std::string& szShownName);

// Without blanks at either end.
std::string Trimmed(const std::string& s);

// A name as N holds it.
struct PersonName {
  std::string family, given, prefix, suffix;
};
// A name split the way people write it: "Family, Given"; "Given Family" with
// titles before it (Dr.) and after it (Jr.) and particles of the family name
// (van, de); one word a given name, or after a title a family name; a name in
// Chinese, Japanese or Korean script family name first.
PersonName SplitName(const std::string& utf8);
// The full name of separate given and family names, in the order of their
// script.
std::string JoinName(const std::string& given, const std::string& family);

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

// One property of a card: its name in upper case without a group, its
// parameters (names in upper case; a 2.1 parameter without a name is a
// TYPE), its TYPE values in lower case, and its value in UTF-8, quoted-printable
// and CHARSET= undone but TEXT escapes kept.
struct Property {
  std::string name;
  std::vector<std::pair<std::string, std::string>> params;
  std::vector<std::string> types;
  std::string value;
  long lLine = 0;

  bool HasType(const char* szType) const;
  std::string Param(const char* szName) const;
};

struct Card {
  long lLine = 0;  // of BEGIN:VCARD
  std::vector<Property> properties;
};

// The cards of a vCard file (2.1, 3.0 or 4.0). A file that is not vCard, a
// line that is no content line, a card without its end or a value that can't
// be read ends the run with the file's name and line.
std::vector<Card> ReadCards(std::FILE* f);
[[noreturn]] void CardLineError(long lLine, const std::string& why);

// A structured value (N, ADR, ORG) split at each unescaped semicolon, or a
// list (CATEGORIES) at each unescaped comma; each part unescaped.
std::vector<std::string> SplitValue(const std::string& value, char cSep);

}  // namespace vcard
