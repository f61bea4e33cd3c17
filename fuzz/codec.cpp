// Fuzz target: TextCodec both ways, and the cut of an imported text at its
// field's limit (stdcsv::RowText). Byte 0 picks the code page, byte 1 is the
// limit (0: none); the rest is read once as the organiser's bytes and once
// as UTF-8.
#include <memory>
#include <string>

#include "checks.h"
#include "csv_parts.h"
#include "harness.h"

namespace {

// "": texts pass as bytes. GB18030 has characters of up to four bytes.
constexpr const char* kCodePages[] = {"", "CP437", "CP850", "CP932", "EUC-JP", "CP1252", "GB18030"};
constexpr std::size_t kCount = sizeof kCodePages / sizeof kCodePages[0];

TextCodec& Codec(std::size_t i) {
  static std::unique_ptr<TextCodec> codecs[kCount];
  if (!codecs[i]) codecs[i] = std::make_unique<TextCodec>(kCodePages[i]);
  return *codecs[i];
}

// The organiser's bytes: UTF-8 comes out, and when nothing was replaced it
// goes back into the code page and out again unchanged.
void FromCodePage(TextCodec& codec, const std::string& bytes) {
  const long before = codec.Replacements();
  const std::string utf8 = codec.ToUtf8(bytes);
  const long replaced = codec.Replacements() - before;
  fuzz::Require(replaced >= 0 && static_cast<std::size_t>(replaced) <= bytes.size(), "more replacements than bytes");
  if (codec.PassThrough()) {
    fuzz::Require(utf8 == bytes, "a text changed without a code page");
    return;
  }
  fuzz::Require(fuzz::ValidUtf8(utf8), "ToUtf8 wrote bytes that are not UTF-8");
  if (replaced != 0) return;
  std::string back;
  std::size_t bad = 0;
  fuzz::Require(codec.FromUtf8(utf8, &back, &bad), "a character read from the code page does not go back");
  fuzz::Require(codec.ToUtf8(back) == utf8, "a character read from the code page comes back another");
}

// UTF-8: what the code page holds comes back; a failure points at the first
// character it cannot hold, after a start that converts.
bool FromUtf8(TextCodec& codec, const std::string& utf8, std::string* out) {
  std::size_t bad = 0;
  if (!codec.FromUtf8(utf8, out, &bad)) {
    fuzz::Require(bad < utf8.size(), "FromUtf8 fails past the end of its text");
    std::string start;
    fuzz::Require(codec.FromUtf8(utf8.substr(0, bad), &start, &bad), "FromUtf8 fails after a start it cannot hold");
    return false;
  }
  if (codec.PassThrough()) {
    fuzz::Require(*out == utf8, "a text changed without a code page");
    return true;
  }
  fuzz::Require(fuzz::ValidUtf8(utf8), "FromUtf8 took bytes that are not UTF-8");
  const long before = codec.Replacements();
  fuzz::Require(codec.ToUtf8(*out) == utf8 && codec.Replacements() == before,
                "a character written in the code page comes back another");
  return true;
}

// The cut: fails exactly when the conversion does, keeps at most the limit
// and a start of the text made of whole characters, and stops only where
// the next character would not fit.
void Cut(TextCodec& codec, const std::string& utf8, bool converts, std::size_t limit) {
  const stdcsv::Field field{utf8, 1};
  std::string cut;
  try {
    cut = stdcsv::RowText(field, 2, "description", limit, codec);
  } catch (const KalvertExit&) {
    fuzz::Require(!converts, "RowText refused a text that converts");
    return;
  }
  fuzz::Require(converts, "RowText took a text that does not convert");
  if (limit != 0) fuzz::Require(cut.size() <= limit, "RowText kept more than the limit");
  if (codec.PassThrough()) {
    fuzz::Require(utf8.compare(0, cut.size(), cut) == 0, "RowText result is not a start of its text");
    return;
  }
  const long before = codec.Replacements();
  const std::string kept = codec.ToUtf8(cut);
  fuzz::Require(codec.Replacements() == before, "RowText cut a character in two");
  fuzz::Require(utf8.compare(0, kept.size(), kept) == 0, "RowText result is not a start of its text");
  if (kept.size() == utf8.size()) return;
  const std::size_t next = fuzz::Utf8At(utf8, kept.size());
  std::string longer;
  std::size_t bad = 0;
  fuzz::Require(next != 0 && codec.FromUtf8(utf8.substr(0, kept.size() + next), &longer, &bad) && longer.size() > limit,
                "RowText cut more than it had to");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz::Initialize(argc, argv);
  ResetGlobals();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  TextCodec& codec = Codec(data[0] % kCount);
  const std::size_t limit = data[1];
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  FromCodePage(codec, text);
  std::string out;
  // Without a code page an import takes ASCII texts only.
  const bool converts = FromUtf8(codec, text, &out) && (!codec.PassThrough() || IsAscii(text));
  Cut(codec, text, converts, limit);
  return 0;
}
