// time_zones: the organiser's time zone and the wall time of a calendar's
// time in it. The organiser keeps local times without a zone.

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "import_parts.h"

namespace ical {
namespace {

// A zone name from a path into the zone database (/usr/share/zoneinfo/Area/City).
std::string AfterZoneinfo(const std::string& path) {
  const std::size_t at = path.find("zoneinfo/");
  return at == std::string::npos ? path : path.substr(at + 9);
}

std::string MachineZoneName() {
  const char* tz = std::getenv("TZ");
  if (tz && *tz) return AfterZoneinfo(tz[0] == ':' ? tz + 1 : tz);
  std::error_code err;
  const std::string target = std::filesystem::read_symlink("/etc/localtime", err).string();
  if (!err && !target.empty()) return AfterZoneinfo(target);
  std::ifstream f("/etc/timezone");
  std::string name;
  if (std::getline(f, name) && !name.empty()) return name;
  return "UTC";
}

}  // namespace

icaltimezone* OrganiserZone(std::string* pName) {
  *pName = opt.szTimeZone.empty() ? MachineZoneName() : opt.szTimeZone;
  for (const char* utc : {"UTC", "Etc/UTC", "GMT", "Etc/GMT", "UCT", "Zulu", "Universal"}) {
    if (*pName == utc) return icaltimezone_get_utc_timezone();
  }
  icaltimezone* zone = icaltimezone_get_builtin_timezone(pName->c_str());
  if (zone) return zone;
  if (!opt.szTimeZone.empty()) {
    Fatal("Unknown time zone %s: --timezone needs a zone name as Europe/Berlin or America/New_York.\n", pName->c_str());
  }
  std::fprintf(stderr,
               "Warning: the machine's time zone %s is not known; times are taken in UTC (name the zone "
               "with --timezone).\n",
               pName->c_str());
  *pName = "UTC";
  return icaltimezone_get_utc_timezone();
}

icaltimetype InZone(const icaltimetype& t, icaltimezone* zone) {
  if (t.is_date || (!icaltime_is_utc(t) && t.zone == nullptr)) return t;
  icaltimetype local = icaltime_convert_to_zone(t, zone);
  local.zone = nullptr;  // a wall time of the organiser's, with no zone of its own
  return local;
}

}  // namespace ical
