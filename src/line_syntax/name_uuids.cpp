// name_uuids: NameUuid, a version 5 UUID, so that the same name always gives the
// same UID on every export and every copy of the file, and the SHA-1 digest it
// is made of.

#include <cstring>

#include "line_syntax.h"

std::string NameUuid(const std::string& name) {
  // kalvert's namespace: a random UUID drawn once.
  static const unsigned char kNamespace[] = {0x67, 0xe2, 0x31, 0xb3, 0x3c, 0x2f, 0x48, 0xf1,
                                             0x87, 0xa4, 0x7e, 0x13, 0xbf, 0x0a, 0x4d, 0x78};
  std::string input(reinterpret_cast<const char*>(kNamespace), sizeof kNamespace);
  std::array<uint8_t, 20> h = Sha1(input.append(name));
  h[6] = static_cast<uint8_t>((h[6] & 0x0F) | 0x50);
  h[8] = static_cast<uint8_t>((h[8] & 0x3F) | 0x80);
  static const char kHex[] = "0123456789abcdef";
  std::string uuid;
  for (std::size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) uuid += '-';
    uuid += kHex[h[i] >> 4];
    uuid += kHex[h[i] & 0x0F];
  }
  return uuid;
}

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
  const auto round = [&](uint32_t f, uint32_t k, uint32_t wi) {
    const uint32_t t = Rotl(a, 5) + f + e + k + wi;
    e = d;
    d = c;
    c = Rotl(b, 30);
    b = a;
    a = t;
  };
  for (int i = 0; i < 20; ++i) round((b & c) | (~b & d), 0x5A827999u, w[i]);
  for (int i = 20; i < 40; ++i) round(b ^ c ^ d, 0x6ED9EBA1u, w[i]);
  for (int i = 40; i < 60; ++i) round((b & c) | (b & d) | (c & d), 0x8F1BBCDCu, w[i]);
  for (int i = 60; i < 80; ++i) round(b ^ c ^ d, 0xCA62C1D6u, w[i]);
  h[0] += a;
  h[1] += b;
  h[2] += c;
  h[3] += d;
  h[4] += e;
}

}  // namespace

std::array<uint8_t, 20> Sha1(const std::string& data) {
  uint32_t h[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  const std::size_t nWhole = data.size() / 64 * 64;
  for (std::size_t i = 0; i < nWhole; i += 64) Block(p + i, h);
  // The rest, the 0x80 mark, zeros and the length in bits fill one or two
  // last blocks.
  unsigned char tail[128] = {};
  const std::size_t nRest = data.size() - nWhole;
  std::memcpy(tail, p + nWhole, nRest);
  tail[nRest] = 0x80;
  const std::size_t nTail = nRest < 56 ? 64 : 128;
  const uint64_t bits = static_cast<uint64_t>(data.size()) * 8;
  for (int i = 0; i < 8; ++i)
    tail[nTail - 1 - static_cast<std::size_t>(i)] = static_cast<unsigned char>(bits >> (8 * i));
  for (std::size_t i = 0; i < nTail; i += 64) Block(tail + i, h);
  std::array<uint8_t, 20> out{};
  for (int i = 0; i < 20; ++i) out[static_cast<std::size_t>(i)] = static_cast<uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  return out;
}
