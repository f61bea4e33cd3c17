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
  uint32_t v[5] = {h[0], h[1], h[2], h[3], h[4]};  // a, b, c, d, e
  for (int i = 0; i < 80; ++i) {
    const uint32_t b = v[1], c = v[2], d = v[3];
    uint32_t f = b ^ c ^ d;
    uint32_t k = i < 40 ? 0x6ED9EBA1u : 0xCA62C1D6u;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999u;
    } else if (i >= 40 && i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDCu;
    }
    const uint32_t t = Rotl(v[0], 5) + f + v[4] + k + w[i];
    v[4] = d;
    v[3] = c;
    v[2] = Rotl(b, 30);
    v[1] = v[0];
    v[0] = t;
  }
  for (int i = 0; i < 5; ++i) h[i] += v[i];
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
