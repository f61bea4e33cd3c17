// Little-endian byte helpers. Every multi-byte number in a database file is
// stored low byte first; these helpers do the byte arithmetic explicitly so
// the program reads and writes the same bytes on any host.
#pragma once

#include <cstdint>

inline uint16_t DecodeU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline int16_t DecodeI16(const unsigned char* p) { return static_cast<int16_t>(DecodeU16(p)); }

inline int32_t DecodeI32(const unsigned char* p) {
  const uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                     (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  return static_cast<int32_t>(v);
}

// Three bytes, as the lookup table stores a record's offset.
inline int32_t DecodeU24(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16));
}

inline void EncodeU24(unsigned char* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  p[0] = static_cast<unsigned char>(u & 0xFF);
  p[1] = static_cast<unsigned char>((u >> 8) & 0xFF);
  p[2] = static_cast<unsigned char>((u >> 16) & 0xFF);
}

inline void EncodeU16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v & 0xFF);
  p[1] = static_cast<unsigned char>(v >> 8);
}

inline void EncodeI16(unsigned char* p, int16_t v) { EncodeU16(p, static_cast<uint16_t>(v)); }

// A 16-bit value that a structure keeps as two byte members, low byte first.
inline void SplitU16(uint16_t v, uint8_t* low, uint8_t* high) {
  *low = static_cast<uint8_t>(v & 0xFF);
  *high = static_cast<uint8_t>(v >> 8);
}

inline void EncodeI32(unsigned char* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  p[0] = static_cast<unsigned char>(u & 0xFF);
  p[1] = static_cast<unsigned char>((u >> 8) & 0xFF);
  p[2] = static_cast<unsigned char>((u >> 16) & 0xFF);
  p[3] = static_cast<unsigned char>(u >> 24);
}

// The 16-bit two's-complement form of a wider value: the value modulo 2^16.
inline int16_t CutTo16(long v) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<unsigned long>(v) & 0xFFFFu));
}

inline uint8_t CutTo8(long v) { return static_cast<uint8_t>(static_cast<unsigned long>(v) & 0xFFu); }
