// wrtical: WriteICalendar, the whole VCALENDAR of the chosen items, built in
// memory and written at once, so that a run that fails writes nothing.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>

#include "icalendar.h"

namespace ical {
namespace {

// One item's components and what its UID is made of.
struct Entry {
  std::string szName;
  std::vector<Component> comps;
};

// The UID's name: the item's kind, date, start time (appointments) and
// description, as stored, so that it does not change with --encoding.
std::string UidName(const CSVData& csvd) {
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

void AddItem(TextContext& ctx, const CSVData& csvd, std::vector<Entry>* pEntries) {
  Series series;
  if (!PlanSeries(csvd, &series)) return;
  Entry entry{UidName(csvd), {}};
  if (csvd.cKind == KIND_TODO) {
    TodoComponents(ctx, csvd, series, &entry.comps);
  } else {
    EventComponents(ctx, csvd, series, &entry.comps);
  }
  pEntries->push_back(std::move(entry));
}

// The items the legacy walk would write, in its order.
std::vector<Entry> Collect(TextContext& ctx, PSCSV start_scsv) {
  std::vector<Entry> entries;
  for (PCSVD p = start_scsv->other_csvd; p; p = p->pnext_csvd) {
    if (WantsItem(*p)) AddItem(ctx, *p, &entries);
  }
  // The items of a down chain share their date head's date.
  for (PCSVD head = start_scsv->start_csvd; head; head = head->pnext_csvd) {
    if (WantsItem(*head)) AddItem(ctx, *head, &entries);
    for (PCSVD p = head->pdown_csvd; p; p = p->pnext_csvd) {
      if (WantsItem(*p)) AddItem(ctx, *p, &entries);
    }
  }
  return entries;
}

std::string Body(const Entry& entry) {
  std::string s;
  for (const Component& comp : entry.comps) {
    for (const std::string& prop : comp.props) s += prop + '\n';
  }
  return s;
}

// Items with the same name are told apart by a counter, given in the order
// of their whole content, so that the order of the file does not matter.
std::vector<std::string> Uids(const std::vector<Entry>& entries) {
  std::map<std::string, std::vector<std::size_t>> byName;
  for (std::size_t i = 0; i < entries.size(); ++i) byName[entries[i].szName].push_back(i);
  std::vector<std::string> uids(entries.size());
  for (auto& group : byName) {
    std::vector<std::size_t>& v = group.second;
    std::stable_sort(v.begin(), v.end(),
                     [&entries](std::size_t a, std::size_t b) { return Body(entries[a]) < Body(entries[b]); });
    for (std::size_t n = 0; n < v.size(); ++n) {
      uids[v[n]] = NameUuid(group.first + (n == 0 ? std::string() : "\n" + std::to_string(n)));
    }
  }
  return uids;
}

std::string UtcStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char sz[32];
  std::strftime(sz, sizeof sz, "%Y%m%dT%H%M%SZ", &tm);
  return sz;
}

}  // namespace
}  // namespace ical

void WriteICalendar(PSCSV start_scsv) {
  using namespace ical;
  TextContext ctx(opt.szEncoding);
  const std::vector<Entry> entries = Collect(ctx, start_scsv);
  const std::vector<std::string> uids = Uids(entries);
  const std::string szStamp = "DTSTAMP:" + UtcStamp();
  std::string out;
  AppendFolded(&out, "BEGIN:VCALENDAR");
  AppendFolded(&out, "VERSION:2.0");
  AppendFolded(&out, std::string("PRODID:-//") + kProgramName + "//" + kProgramName + " " + kProgramVersion + "//EN");
  AppendFolded(&out, "CALSCALE:GREGORIAN");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    for (const Component& comp : entries[i].comps) {
      AppendFolded(&out, std::string("BEGIN:") + comp.szKind);
      AppendFolded(&out, "UID:" + uids[i]);
      AppendFolded(&out, szStamp);
      for (const std::string& prop : comp.props) AppendFolded(&out, prop);
      AppendFolded(&out, std::string("END:") + comp.szKind);
    }
  }
  AppendFolded(&out, "END:VCALENDAR");
  std::fwrite(out.data(), 1, out.size(), stdout);
  ctx.codec.ReportReplacements();
  if (ctx.lControls != 0) {
    std::fprintf(stderr, "Warning: %ld control character(s) in texts were written as U+FFFD.\n", ctx.lControls);
  }
}
