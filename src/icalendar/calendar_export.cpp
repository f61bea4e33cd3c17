// calendar_export: WriteICalendar, the one VCALENDAR of an export, and
// CheckICalendarRun, the refusals of an iCalendar run made before anything of
// the input is read.

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "calendar_parts.h"

namespace ical {

// The UID's name: the item's kind, date, start time (appointments) and
// description, as stored, so that it does not change with --encoding.
std::string UidName(const BookItem& csvd) {
  const NonRepeaAppt& nra = *csvd.pnra;
  const bool bTimed = csvd.cKind == KIND_APPT;
  const char key[6] = {static_cast<char>(csvd.cKind),
                       static_cast<char>(nra.cYear),
                       static_cast<char>(nra.cMonth),
                       static_cast<char>(nra.cDay),
                       static_cast<char>(bTimed ? nra.cStartTimePri1 : 0xFF),
                       static_cast<char>(bTimed ? nra.cStartTimePri2 : 0xFF)};
  return std::string(key, sizeof key) + csvd.pszDescription;
}

namespace {

// Everything of the item but what a copy renumbers or packs anew (its links
// and offsets), to order the items of one name.
std::string ContentKey(const BookItem& csvd) {
  NonRepeaAppt nra = *csvd.pnra;
  nra.iLength = nra.iOsCategory = nra.iOsLocation = nra.iOsRepeat = 0;
  nra.iNoteRecNum = nra.iPrevRecNum = nra.iNextRecNum = 0;
  unsigned char fixed[layout::nra::kSize + layout::ria::kSize] = {};
  EncodeNRA(nra, fixed);
  if (csvd.pria) EncodeRIA(*csvd.pria, fixed + layout::nra::kSize);
  std::string key(reinterpret_cast<const char*>(fixed), sizeof fixed);
  for (const std::string* text : {&csvd.pszDescription, &csvd.pszLocation, &csvd.pszCategory, &csvd.pszStoredNote}) {
    key += *text;
    key += '\0';
  }
  return key.append(csvd.pszDelRepeat.begin(), csvd.pszDelRepeat.end());
}

// The items the legacy walk would write, in its order.
std::vector<PCSVD> Chosen(PSCSV start_scsv) {
  std::vector<PCSVD> items;
  ForEachFiled(*start_scsv, [&items](PCSVD p) {
    if (WantsItem(*p)) items.push_back(p);
  });
  return items;
}

// Without --encoding every text must be ASCII; refused before anything is
// written.
void RequireAsciiTexts(const BookItem& csvd) {
  const NonRepeaAppt& nra = *csvd.pnra;
  for (const std::string& text : {csvd.pszDescription, csvd.pszLocation, csvd.pszCategory, NoteOf(csvd)}) {
    RequireAscii(csvd, text);
  }
  if (csvd.cKind == KIND_TODO) {
    RequireAscii(csvd, std::string{static_cast<char>(nra.cStartTimePri1), static_cast<char>(nra.cStartTimePri2)});
  }
}

std::string UtcStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  gmtime_s(&tm, &now);
#else
  gmtime_r(&now, &tm);
#endif
  char sz[32];
  std::strftime(sz, sizeof sz, "%Y%m%dT%H%M%SZ", &tm);
  return sz;
}

void Write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace

// Items of one name are told apart by a counter, given in the order of their
// content, so that the order of the file does not matter.
std::vector<std::string> Uids(const std::vector<PCSVD>& items) {
  std::vector<std::pair<std::string, std::size_t>> named;
  for (std::size_t i = 0; i < items.size(); ++i) named.emplace_back(UidName(*items[i]), i);
  std::sort(named.begin(), named.end(), [&items](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return std::make_pair(ContentKey(*items[a.second]), a.second) <
           std::make_pair(ContentKey(*items[b.second]), b.second);
  });
  std::vector<std::string> uids(items.size());
  for (std::size_t k = 0, n = 0; k < named.size(); ++k) {
    n = k > 0 && named[k].first == named[k - 1].first ? n + 1 : 0;
    uids[named[k].second] = NameUuid(named[k].first + (n == 0 ? std::string() : "\n" + std::to_string(n)));
  }
  return uids;
}

}  // namespace ical

void WriteICalendar(PSCSV start_scsv) {
  using namespace ical;
  TextContext ctx(opt.szEncoding);
  const std::vector<PCSVD> items = Chosen(start_scsv);
  if (ctx.codec.PassThrough()) {
    for (const PCSVD p : items) RequireAsciiTexts(*p);
  }
  const std::vector<std::string> uids = Uids(items);
  const std::string szStamp = "DTSTAMP:" + UtcStamp() + "\r\n";
  std::string out;
  AppendFolded(&out, "BEGIN:VCALENDAR");
  AppendFolded(&out, "VERSION:2.0");
  AppendFolded(&out, std::string("PRODID:-//") + kProgramName + "//" + kProgramName + " " + kProgramVersion + "//EN");
  AppendFolded(&out, "CALSCALE:GREGORIAN");
  Write(out);
  std::vector<Component> comps;
  for (std::size_t i = 0; i < items.size(); ++i) {
    Series series;
    if (!PlanSeries(*items[i], &series)) continue;
    comps.clear();
    if (items[i]->cKind == KIND_TODO) {
      TodoComponents(ctx, *items[i], series, &comps);
    } else {
      EventComponents(ctx, *items[i], series, &comps);
    }
    out.clear();
    for (const Component& comp : comps) {
      out.append("BEGIN:").append(comp.szKind).append("\r\nUID:").append(uids[i]).append("\r\n").append(szStamp);
      out.append(comp.text).append("END:").append(comp.szKind).append("\r\n");
    }
    Write(out);
  }
  Write("END:VCALENDAR\r\n");
  ctx.codec.ReportReplacements();
  ReportControls(ctx.lControls);
}

void CheckICalendarRun() {
  if (state.iFileType != 2) {
    Fatal("--format=ics exports appointment books (file type 2); this file is a general database.\n");
  }
  if (opt.bBom) Fatal("--bom with --format=ics: an iCalendar file has no byte order mark.\n");
}
