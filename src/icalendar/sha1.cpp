// sha1: Sha1, the digest that name-based UUIDs are made of.
#include "icalendar.h"

namespace ical {
namespace {

uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void Block(const unsigned char* p, uint32_t (&h)[5]) {
  uint32_t w[80];
  for (int i = 0; i < 16; ++i) {
    w[i] = static_cast<uint32_t>(p[4 * i]) << 24 | static_cast<uint32_t>(p[4 * i + 1]) << 16 |
           static_cast<uint32_t>(p[4 * i + 2]) << 8 | p[4 * i + 3];
  }
  for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d), k = 0x5A827999u;
    } else if (i < 40) {
      f = b ^ c ^ d, k = 0x6ED9EBA1u;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d, k = 0xCA62C1D6u;
    }
    const uint32_t t = Rotl(a, 5) + f + e + k + w[i];
    e = d, d = c, c = Rotl(b, 30), b = a, a = t;
  }
  h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
}

}  // namespace

std::array<uint8_t, 20> Sha1(const std::string& data) {
  uint32_t h[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  std::string msg = data;
  msg += '\x80';
  while (msg.size() % 64 != 56) msg += '\0';
  const uint64_t bits = static_cast<uint64_t>(data.size()) * 8;
  for (int i = 7; i >= 0; --i) msg += static_cast<char>(bits >> (8 * i) & 0xFF);
  for (std::size_t i = 0; i < msg.size(); i += 64) Block(reinterpret_cast<const unsigned char*>(msg.data() + i), h);
  std::array<uint8_t, 20> out{};
  for (int i = 0; i < 20; ++i) out[static_cast<std::size_t>(i)] = static_cast<uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  return out;
}

}  // namespace ical
