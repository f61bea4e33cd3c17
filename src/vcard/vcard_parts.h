// vcard_parts: the pieces of the vCard export, for this folder's files only
// (its interface is vcard.h).
#pragma once

#include <cstdint>
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
// (van, de); a name in Chinese, Japanese or Korean script family name first.
PersonName SplitName(const std::string& utf8);
// The full name of separate given and family names, in the order of their
// script.
std::string JoinName(const std::string& given, const std::string& family);

}  // namespace vcard
