// card_rows: the columns of a general database, a record as a row of fields
// (CardRow), and a row checked and turned into a record body (RowCard).

#include <cctype>

#include "csv_parts.h"

namespace stdcsv {

namespace {

constexpr uint8_t kRadioButton = 9;

bool HasColumn(uint8_t t) { return FieldMakesColumn(t) || t == kFieldGroupStart; }

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
    } else if (s.compare(i + 1, 1, "&") == 0) {
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
    bInGroup = t == kFieldGroupStart;
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
    // A group and a lone button have no slot of their own.
    if (fd.cFieldType == kFieldGroupStart) {
      f.push_back(GroupValue(c, body, codec));
      continue;
    }
    if (fd.cFieldType == kRadioButton) {
      f.push_back(YesNo(BodyU8(body, fd.iDataOffset) == fd.cReserved1));
      continue;
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
    }
  }
  return f;
}

void ForEachCard(const std::vector<CardColumn>& columns, TextCodec& codec, const CardEmit& emit) {
  files.in.Seek(state.lFirst);
  RecordHeader rh{};
  RecordBody body;
  while (NextDataRecord(&rh, &body, [] {})) {
    emit(CardRow(columns, body, nullptr, codec), [&body] { return "Data record " + std::to_string(body.iRecord); });
  }
  for (const auto& card : state.importedCards) {
    emit(CardRow(columns, card.first, &card.second, codec), [] { return std::string("An imported record"); });
  }
}

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

class CardBuilder {
 public:
  CardBuilder(const std::vector<std::string>& header, TextCodec& codec) : header_(header), codec_(codec) {
    const long lFixed = state.iOffsetLength > 0 ? state.iOffsetLength : 0;
    body_.assign(static_cast<std::size_t>(lFixed) + 1, 0);
  }

  void Column(const CardColumn& c, const Field& f, int iColumn) {
    f_ = &f;
    iColumn_ = iColumn;
    pszName_ = &c.name;
    const FieldDefine& fd = *c.pfdc->pfd;
    std::string why;
    switch (fd.cFieldType) {
      case 11:
        if (!c.buttons.empty()) Put16(c.buttons.front()->pfd->iDataOffset, GroupValue(c));
        break;
      case 9:
        Put8(fd.iDataOffset, Flag() ? fd.cReserved1 : 0);
        break;
      case 0:
      case 1:
        Put16(fd.iDataOffset, Word());
        break;
      case 7: {
        uint16_t t{};
        bool bDropped{};
        if (!ParseTime(f.text, &t, &why, &bDropped)) Bad(why);
        if (bDropped) RowWarning(f.lLine, iColumn_, Name(), kSecondsDropped);
        Put16(fd.iDataOffset, t);
        break;
      }
      case 8: {
        Date3 d;
        if (!ParseDate(f.text, &d, &why)) Bad(why);
        Put8(fd.iDataOffset, d.y);
        Put8(fd.iDataOffset + 1, d.m);
        Put8(fd.iDataOffset + 2, d.d);
        break;
      }
      case 10:
        note_ = Text(kMaxNote, Breaks::kCrLf);
        lNoteAt_ = fd.iDataOffset;
        Put16(fd.iDataOffset, 0xFFFF);  // the writer puts the note's number here
        break;
      default:
        PutText(fd);
    }
  }

  CardRecord Finish() {
    CardRecord rec;
    rec.body.bytes = body_;
    rec.body.bytes.insert(rec.body.bytes.end(), texts_.begin(), texts_.end());
    rec.body.bytes.push_back(0);
    rec.note = note_;
    rec.lNoteAt = note_.empty() ? -1 : lNoteAt_;
    return rec;
  }

 private:
  // The header's name of the column; a column the file leaves out (0) has none.
  const std::string& Name() const {
    static const std::string kNone;
    return iColumn_ > 0 ? header_[static_cast<std::size_t>(iColumn_ - 1)] : kNone;
  }

  [[noreturn]] void Bad(const std::string& why) const { RowError(f_->lLine, iColumn_, Name(), why); }

  std::string Text(std::size_t nMax, Breaks breaks = Breaks::kKept) const {
    return RowText(*f_, iColumn_, Name(), nMax, codec_, breaks);
  }

  bool Flag() const {
    bool b{};
    std::string why;
    if (!ParseYesNo(f_->text, false, &b, &why)) Bad(why);
    return b;
  }

  // A flag word: a number, or yes and no.
  uint16_t Word() const {
    long v{};
    std::string why;
    if (ParseNumber(f_->text, 0, 65535, 0, &v, &why)) return static_cast<uint16_t>(v);
    bool b{};
    if (!ParseYesNo(f_->text, false, &b, &why))
      Bad("\"" + f_->text + "\" is neither a number from 0 to 65535 nor yes or no");
    return b ? 1 : 0;
  }

  // The chosen button by its name, or the group's value as a number; none
  // chosen: the first button.
  uint16_t GroupValue(const CardColumn& c) const {
    if (f_->text.empty()) return c.buttons.front()->pfd->cReserved1;
    for (const PFDC b : c.buttons) {
      if (Lower(codec_.ToUtf8(ShownFieldName(b->szName))) == Lower(f_->text)) return b->pfd->cReserved1;
    }
    long v{};
    std::string why;
    if (!ParseNumber(f_->text, 0, 65535, 0, &v, &why)) Bad("\"" + f_->text + "\" is none of the group's buttons");
    return static_cast<uint16_t>(v);
  }

  void PutText(const FieldDefine& fd) {
    const std::string s = Text(0);
    if (!(fd.cFlags & kFlagIndirect)) {
      if (!s.empty())
        Bad("this field keeps its text inside the fixed part of the record, which the import can't write");
      return;
    }
    const std::size_t fixed = body_.size() - 1;
    if (s.empty()) {
      Put16(fd.iDataOffset, static_cast<uint16_t>(fixed));
      return;
    }
    Put16(fd.iDataOffset, static_cast<uint16_t>(fixed + 1 + texts_.size()));
    texts_ += s;
    texts_ += '\0';
    if (opt.iOutAppt && static_cast<long>(body_.size() + texts_.size()) + kSizeRHDR > recwrite::kMaxRecordLength)
      Bad(kRecordTooLong);
  }

  void Put8(long lAt, unsigned v) {
    if (lAt < 0 || static_cast<std::size_t>(lAt) + 1 >= body_.size()) {
      Fatal("The definition of field %s lies outside the record's fixed part.\n", pszName_->c_str());
    }
    body_[static_cast<std::size_t>(lAt)] = static_cast<unsigned char>(v);
  }
  void Put16(long lAt, unsigned v) {
    Put8(lAt, v & 0xFF);
    Put8(lAt + 1, v >> 8);
  }

  const std::vector<std::string>& header_;
  TextCodec& codec_;
  std::vector<unsigned char> body_;  // the fixed part and its NUL
  std::string texts_;
  std::string note_;
  long lNoteAt_ = -1;
  const Field* f_ = nullptr;
  int iColumn_{};  // from 1; 0 when the file has no such column (its text is then empty)
  const std::string* pszName_ = nullptr;
};

}  // namespace

CardRecord RowCard(const Row& row, const std::vector<CardColumn>& columns, const std::vector<int>& iColumnOf,
                   const std::vector<std::string>& header, TextCodec& codec) {
  CardBuilder b(header, codec);
  for (std::size_t k = 0; k < columns.size(); ++k) {
    const int i = iColumnOf[k];
    Field absent;
    absent.lLine = row.front().lLine;
    b.Column(columns[k], i < 0 ? absent : row[static_cast<std::size_t>(i)], i + 1);
  }
  return b.Finish();
}

}  // namespace stdcsv
