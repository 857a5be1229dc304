// Reads any bytes as a store file. Whatever parses must be found again by every key and value
// name in any case, write back to a text that parses to the same document and is itself
// written back unchanged, and take a change of one value without any other value changing.
// Whatever does not parse must be refused with a line of the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/RegistryFile.h"

using namespace platform;

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "store file fuzz: %s\n", what);
  std::abort();
}

std::string Upper(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

RegDocument ParseWritten(const std::string& text) {
  try {
    return ParseRegistryText(text);
  } catch (const RegParseError& error) {
    std::fprintf(stderr, "line %d: %s\n", error.Line(), error.what());
    Require(false, "a text the store wrote does not parse");
  }
  return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  RegDocument document;
  try {
    document = ParseRegistryText(text);
  } catch (const RegParseError& error) {
    const auto lines = std::count(text.begin(), text.end(), '\n') + 1;
    Require(error.Line() >= 1 && error.Line() <= lines, "a refusal names a line outside the text");
    return 0;
  }

  for (const RegKey& key : document.Keys()) {
    Require(document.FindKey(Upper(key.Path())) == &key, "a key is not found by its name");
    Require(document.KeyExists(key.Path()), "a key does not exist");
    for (const RegValue& value : key.Values())
      Require(key.FindValue(Upper(value.Name)) == &value, "a value is not found by its name");
  }

  const std::string once = FormatRegistryText(document);
  const RegDocument again = ParseWritten(once);
  Require(again == document, "the written text reads back as another document");
  Require(FormatRegistryText(again) == once, "the written text is not written back unchanged");

  // A write of one value into the first key, as the game makes it.
  if (document.Keys().empty()) return 0;
  RegDocument changed = document;
  const std::string path = document.Keys().front().Path();
  changed.AddKey(path).SetValue(RegValue{"Flags", RegType::DWord, {}, 0x1234});
  const RegDocument back = ParseWritten(FormatRegistryText(changed));
  Require(back.Keys().size() == document.Keys().size(), "a write added or lost a key");
  for (std::size_t k = 0; k < document.Keys().size(); ++k) {
    const RegKey& before = document.Keys()[k];
    const RegKey& after = back.Keys()[k];
    Require(SameName(before.Path(), after.Path()), "a write moved a key");
    const bool added = k == 0 && before.FindValue("Flags") == nullptr;
    Require(after.Values().size() == before.Values().size() + added, "a write added or lost a value");
    for (const RegValue& value : before.Values()) {
      if (k == 0 && SameName(value.Name, "Flags")) continue;
      const RegValue* kept = after.FindValue(value.Name);
      Require(kept != nullptr && *kept == value, "a write changed a value it did not name");
    }
  }
  const RegValue* flags = back.Keys().front().FindValue("flags");
  Require(flags != nullptr && flags->Type == RegType::DWord && flags->Number == 0x1234, "the written value is wrong");
  return 0;
}
