// cardrow: the columns of a general database and the fields of one record:
// one column per field that holds a value, one per radio-button group.
#include "stdcsv.h"

namespace stdcsv {

namespace {

constexpr uint8_t kFlagIndirect = 0x20;
constexpr uint8_t kGroupStart = 11;
constexpr uint8_t kRadioButton = 9;

bool HasColumn(uint8_t t) { return FieldMakesColumn(t) || t == kGroupStart; }

// Where the field's value lies in the body.
long ValueAt(const RecordBody& body, const FieldDefine& fd) {
  if (fd.cFlags & kFlagIndirect) return static_cast<int16_t>(BodyU16(body, fd.iDataOffset));
  return fd.iDataOffset;
}

std::string GroupValue(const CardColumn& c, const RecordBody& body, TextCodec& codec) {
  if (c.buttons.empty()) return std::string();
  const uint16_t v = BodyU16(body, c.buttons.front()->pfd->iDataOffset);
  for (const PFDC b : c.buttons) {
    if (b->pfd->cReserved1 == v) return codec.ToUtf8(ShownFieldName(b->szName));
  }
  return std::to_string(v);
}

std::string NoteValue(const RecordBody& body, long lAt, const std::string* noteText, TextCodec& codec) {
  const uint16_t link = BodyU16(body, lAt);
  if (link == 0xFFFF) return std::string();
  return codec.ToUtf8(noteText ? *noteText : ReadStoredNote(static_cast<int16_t>(link)));
}

}  // namespace

std::string ShownFieldName(const std::string& szName) {
  const std::string s(szName.c_str());
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
    } else if (i + 1 < s.size() && s[i + 1] == '&') {
      out += '&';
      ++i;
    }
  }
  return out;
}

std::vector<CardColumn> CardColumns(PFDC start_fdc) {
  std::vector<CardColumn> columns;
  bool bInGroup = false;
  for (PFDC fdc = start_fdc; fdc; fdc = fdc->pnext_fdc) {
    const uint8_t t = fdc->pfd->cFieldType;
    if (t == kRadioButton && bInGroup) {
      columns.back().buttons.push_back(fdc);
      continue;
    }
    bInGroup = t == kGroupStart;
    if (!HasColumn(t)) continue;
    CardColumn c;
    c.name = ShownFieldName(fdc->szName);
    c.pfdc = fdc;
    columns.push_back(std::move(c));
  }
  // Every header name is told apart from the others.
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name.empty()) columns[i].name = "field " + std::to_string(i + 1);
    for (std::size_t j = 0; j < i; ++j) {
      if (columns[j].name == columns[i].name) columns[i].name += " " + std::to_string(i + 1);
    }
  }
  return columns;
}

std::vector<std::string> CardRow(const std::vector<CardColumn>& columns, const RecordBody& body,
                                 const std::string* noteText, TextCodec& codec) {
  std::vector<std::string> f;
  f.reserve(columns.size());
  for (const CardColumn& c : columns) {
    const FieldDefine& fd = *c.pfdc->pfd;
    switch (fd.cFieldType) {
      case kGroupStart:
        f.push_back(GroupValue(c, body, codec));
        continue;
      case kRadioButton:
        f.push_back(YesNo(BodyU8(body, fd.iDataOffset) == fd.cReserved1));
        continue;
      default:
        break;
    }
    const long lAt = ValueAt(body, fd);
    switch (fd.cFieldType) {
      case 0:
      case 1:
        f.push_back(std::to_string(BodyU16(body, lAt)));
        break;
      case 7:
        f.push_back(TimeText(BodyU8(body, lAt), BodyU8(body, lAt + 1)));
        break;
      case 8:
        CheckBody(body, lAt, 3);
        f.push_back(DateText(BodyU8(body, lAt), BodyU8(body, lAt + 1), BodyU8(body, lAt + 2)));
        break;
      case 10:
        f.push_back(NoteValue(body, lAt, noteText, codec));
        break;
      default:
        f.push_back(codec.ToUtf8(BodyText(body, lAt)));
        break;
    }
  }
  return f;
}

}  // namespace stdcsv
