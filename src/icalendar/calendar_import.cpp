// calendar_import: ReadICalendar, the import of --format=ics. The whole file
// is read, parsed by libical and turned into items, and the items counted
// against the room of the output, before any of them is filed.

#include <map>

#include "import_parts.h"

namespace ical {
namespace {

struct CalendarFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using CalendarPtr = std::unique_ptr<icalcomponent, CalendarFree>;

// The first X-LIC-ERROR libical left in comp or the components inside it.
const char* ParseError(icalcomponent* comp) {
  if (icalproperty* p = icalcomponent_get_first_property(comp, ICAL_XLICERROR_PROPERTY)) {
    return icalproperty_get_xlicerror(p);
  }
  for (icalcomponent* c = icalcomponent_get_first_component(comp, ICAL_ANY_COMPONENT); c;
       c = icalcomponent_get_next_component(comp, ICAL_ANY_COMPONENT)) {
    if (const char* why = ParseError(c)) return why;
  }
  return nullptr;
}

// The line of a parse error: the first of the calendar's lines that libical
// can't read alone, else the calendar's BEGIN line.
long ErrorLine(const CalendarFile& file, const LineRange& calendar) {
  for (std::size_t i = calendar.first + 1; i + 1 < calendar.end; ++i) {
    const std::string& text = file.lines[i].text;
    if (text.compare(0, 6, "BEGIN:") == 0 || text.compare(0, 4, "END:") == 0) continue;
    icalproperty* p = icalproperty_new_from_string(text.c_str());
    const bool bRead = p && !icalproperty_get_first_parameter(p, ICAL_XLICERRORTYPE_PARAMETER);
    if (p) icalproperty_free(p);
    if (!bRead) return file.lines[i].lLine;
  }
  return calendar.lLine;
}

CalendarPtr Parse(const CalendarFile& file, std::size_t k) {
  const LineRange& range = file.calendars[k];
  std::string text;
  for (std::size_t i = range.first; i < range.end; ++i) text.append(file.lines[i].text).append("\r\n");
  CalendarPtr cal(icalparser_parse_string(text.c_str()));
  if (!cal) LineError(range.lLine, "the calendar can't be read");
  if (const char* why = ParseError(cal.get())) {
    LineError(ErrorLine(file, range), std::string("the line can't be read (") + why + ")");
  }
  return cal;
}

std::string Text(const char* value) { return value ? value : std::string(); }

// The calendar's VEVENT and VTODO components with their lines; the others
// (but time zones) are left out with a warning, counted in *plLeftOut.
std::vector<Source> Sources(ImportRun& run, icalcomponent* cal, const std::vector<LineRange>& ranges, long* plLeftOut) {
  std::vector<Source> sources;
  std::size_t i = 0;
  for (icalcomponent* c = icalcomponent_get_first_component(cal, ICAL_ANY_COMPONENT); c;
       c = icalcomponent_get_next_component(cal, ICAL_ANY_COMPONENT), ++i) {
    Source src;
    src.comp = c;
    src.range = i < ranges.size() ? ranges[i] : run.file->calendars.front();
    src.szUid = Text(icalcomponent_get_uid(c));
    src.szSummary = Text(icalcomponent_get_summary(c));
    const icalcomponent_kind kind = icalcomponent_isa(c);
    if (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTODO_COMPONENT) {
      sources.push_back(src);
    } else if (kind != ICAL_VTIMEZONE_COMPONENT) {
      ItemWarning(
          run, src,
          std::string("a ") + icalcomponent_kind_to_string(kind) + " is no item of the appointment book; left out");
      ++*plLeftOut;
    }
  }
  return sources;
}

bool IsOverride(const Source& src) {
  return icalcomponent_get_first_property(src.comp, ICAL_RECURRENCEID_PROPERTY) != nullptr;
}

// The UIDs an export of the book gives its items.
std::set<std::string> BookUids(const StartCSV& scsv) {
  std::vector<PCSVD> items;
  ForEachFiled(scsv, [&items](PCSVD p) { items.push_back(p); });
  const std::vector<std::string> uids = Uids(items);
  return std::set<std::string>(uids.begin(), uids.end());
}

struct Counts {
  long lAdded = 0, lAlready = 0, lLeftOut = 0;
};

// A master component and the overrides of its UID, into *pItems; nothing
// when the book has the item already.
void AddGroup(ImportRun& run, const Source& master, const std::vector<Source>& overrides,
              const std::set<std::string>& known, std::vector<std::unique_ptr<BookItem>>* pItems, Counts* pCounts) {
  std::unique_ptr<BookItem> item = ComponentItem(run, master);
  if (!item) {
    ++pCounts->lLeftOut;
    return;
  }
  const std::size_t nBefore = pItems->size();
  AddSeries(run, master, std::move(item), overrides, pItems);
  if (pItems->size() == nBefore) return;  // a series expanded to no occurrence, as its warning said
  const BookItem& first = *(*pItems)[nBefore];
  const long lItems = static_cast<long>(pItems->size() - nBefore);
  if (known.count(master.szUid) != 0 || known.count(NameUuid(UidName(first))) != 0) {
    pItems->resize(nBefore);
    pCounts->lAlready += lItems;
    return;
  }
  pCounts->lAdded += lItems;
}

// The items of one VCALENDAR: each UID's master with its overrides, in the
// order of the file; an override without its master is an item of its own.
void AddCalendar(ImportRun& run, std::vector<Source> sources, const std::set<std::string>& known,
                 std::vector<std::unique_ptr<BookItem>>* pItems, Counts* pCounts) {
  std::map<std::string, std::vector<Source>> overrides;
  std::set<std::string> masters;
  for (const Source& src : sources) {
    if (IsOverride(src) && !src.szUid.empty()) overrides[src.szUid].push_back(src);
    if (!IsOverride(src)) masters.insert(src.szUid);
  }
  static const std::vector<Source> kNone;
  for (const Source& src : sources) {
    const bool bOrphan = IsOverride(src) && masters.count(src.szUid) == 0;
    if (IsOverride(src) && !bOrphan) continue;
    const auto found = overrides.find(src.szUid);
    const bool bOwn = !bOrphan && !src.szUid.empty() && found != overrides.end();
    AddGroup(run, src, bOwn ? found->second : kNone, known, pItems, pCounts);
    if (bOwn) overrides.erase(found);  // a second master of the UID takes none
  }
}

// With -o, the records the items take must fit the output's lookup table
// beside what is written already and the book's own items.
void CheckRoom(const StartCSV& scsv, const SeekInfoLists& seekInfo,
               const std::vector<std::unique_ptr<BookItem>>& items) {
  if (!opt.iOutAppt) return;
  constexpr long kClosing = 3;  // the two chain records and the view point table
  long lUsed = static_cast<long>(seekInfo.nodes.size()) + kClosing;
  ForEachFiled(scsv, [&lUsed](PCSVD p) { lUsed += p->pnra->iNoteRecNum != -1 ? 2 : 1; });
  std::size_t nFit = 0;
  for (const auto& item : items) {
    lUsed += item->pnra->iNoteRecNum != -1 ? 2 : 1;
    if (lUsed > kMaxLookUpEntries) break;
    ++nFit;
  }
  if (nFit == items.size()) return;
  Fatal(
      "%s: its %zu items do not fit the output database, which has room for %zu of them (a database holds %d "
      "records); nothing was written.\n",
      files.szFilenameIN.c_str(), items.size(), nFit, kMaxLookUpEntries);
}

}  // namespace
}  // namespace ical

void ReadICalendar(PSCSV start_scsv, SeekInfoLists* pSeekInfo) {
  using namespace ical;
  ImportRun run(opt.szEncoding);
  run.zone = OrganiserZone(&run.szZone);
  const CalendarFile file = ReadContentLines(files.fpin);
  run.file = &file;
  const std::set<std::string> known = BookUids(*start_scsv);
  std::vector<std::unique_ptr<BookItem>> items;
  Counts counts;
  for (std::size_t k = 0; k < file.calendars.size(); ++k) {
    const CalendarPtr cal = Parse(file, k);
    AddCalendar(run, Sources(run, cal.get(), file.components[k], &counts.lLeftOut), known, &items, &counts);
  }
  CheckRoom(*start_scsv, *pSeekInfo, items);
  for (auto& item : items) FileItem(start_scsv, std::move(item), pSeekInfo);
  if (run.lReplaced != 0) {
    std::fprintf(stderr, "Warning: %ld character(s) of %s that %s can't hold were written as '?'.\n", run.lReplaced,
                 files.szFilenameIN.c_str(), run.codec.Name().c_str());
  }
  if (run.lWarnings != 0) {
    std::fprintf(stderr, "Warning: %ld warning(s) about the items of %s, each named above.\n", run.lWarnings,
                 files.szFilenameIN.c_str());
  }
  std::fprintf(stderr, "%s: %ld item(s) added, %ld already in the book, %ld left out.\n", files.szFilenameIN.c_str(),
               counts.lAdded, counts.lAlready, counts.lLeftOut);
}

bool ICalendarImportBuilt() { return true; }
