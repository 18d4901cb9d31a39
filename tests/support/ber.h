// Test helpers: BER-encoded pieces, built as agents write them.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace gc::test {

using Ber = std::vector<uint8_t>;

// A definite length in its minimal form.
inline Ber BerLength(size_t n) {
  if (n < 0x80) return {static_cast<uint8_t>(n)};
  if (n < 0x100) return {0x81, static_cast<uint8_t>(n)};
  return {0x82, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n & 0xFF)};
}
inline Ber Tlv(uint8_t tag, const Ber& content) {
  Ber b = {tag};
  Ber l = BerLength(content.size());
  b.insert(b.end(), l.begin(), l.end());
  b.insert(b.end(), content.begin(), content.end());
  return b;
}
inline Ber Cat(std::initializer_list<Ber> parts) {
  Ber all;
  for (const Ber& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}
inline Ber Text(const std::string& s) {
  return Ber(s.begin(), s.end());
}

}  // namespace gc::test
