// icuid: NameUuid, a version 5 UUID: the same name always gives the same UID,
// on every export and on every copy of the file.
#include "icalendar.h"

namespace ical {

std::string NameUuid(const std::string& name) {
  // kalvert's namespace: a random UUID drawn once.
  static const unsigned char kNamespace[16] = {0x67, 0xe2, 0x31, 0xb3, 0x3c, 0x2f, 0x48, 0xf1,
                                               0x87, 0xa4, 0x7e, 0x13, 0xbf, 0x0a, 0x4d, 0x78};
  std::string input(reinterpret_cast<const char*>(kNamespace), sizeof kNamespace);
  std::array<uint8_t, 20> h = Sha1(input.append(name));
  h[6] = static_cast<uint8_t>((h[6] & 0x0F) | 0x50);
  h[8] = static_cast<uint8_t>((h[8] & 0x3F) | 0x80);
  static const char kHex[] = "0123456789abcdef";
  char sz[36];
  char* p = sz;
  for (std::size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) *p++ = '-';
    *p++ = kHex[h[i] >> 4];
    *p++ = kHex[h[i] & 0x0F];
  }
  return std::string(sz, sizeof sz);
}

}  // namespace ical
