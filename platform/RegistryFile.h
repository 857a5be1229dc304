// The text form of the per-user store: registry export files ("Windows Registry Editor
// Version 5.00", [HKEY_CURRENT_USER\...] sections, "Name"="text" and "Name"=dword:0000002a
// values), read from and written to strings. Parsing, looking up and writing back are linear in
// the size of the text: names are found through an index, so a hostile file costs no more than its length.
#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {

enum class RegType : uint8_t {
  String,  // "Name"="text" (or hex(1): UTF-16 text, used for text that cannot stand in quotes)
  DWord,   // "Name"=dword:0000002a
  Other,   // any other hex(...) data, and hex(1) data that is not a clean text: kept, never interpreted
};

struct RegValue {
  std::string Name;
  RegType Type = RegType::String;
  std::string Text;     // String: the text; Other: the data as written after '=' (hex digits in lower case)
  uint32_t Number = 0;  // DWord
  bool operator==(const RegValue&) const = default;
};

// Key paths and value names compare without regard to ASCII case, as the registry does.
bool SameName(std::string_view a, std::string_view b);
// Whether path is the key or a key below it.
bool IsAtOrBelow(std::string_view path, std::string_view key);

// An index from names to places in a list, blind to ASCII case. The hash is seeded once per
// process, so a file cannot be made to pile all its names into one bucket.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const;
};
struct NameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return SameName(a, b); }
};
using NameIndex = std::unordered_map<std::string, std::size_t, NameHash, NameEqual>;

// One key with its values in file order; the path is below HKEY_CURRENT_USER ("SOFTWARE\Maker\Game").
class RegKey {
 public:
  explicit RegKey(std::string path) : KeyPath(std::move(path)) {}

  const std::string& Path() const { return KeyPath; }
  const std::vector<RegValue>& Values() const { return ValueList; }
  const RegValue* FindValue(std::string_view name) const;
  // Replaces the value of the same name in place, or appends it.
  void SetValue(RegValue value);

  bool operator==(const RegKey& other) const { return KeyPath == other.KeyPath && ValueList == other.ValueList; }

 private:
  std::string KeyPath;
  std::vector<RegValue> ValueList;
  NameIndex Index;
};

// A whole file: its keys in file order.
class RegDocument {
 public:
  const std::vector<RegKey>& Keys() const { return KeyList; }
  const RegKey* FindKey(std::string_view path) const;
  // A key exists when it has a section of its own or any key below it has one.
  bool KeyExists(std::string_view path) const;
  // The key's section, added at the end when it has none. The reference lasts until the next AddKey.
  RegKey& AddKey(std::string_view path);

  bool operator==(const RegDocument& other) const { return KeyList == other.KeyList; }

 private:
  std::vector<RegKey> KeyList;
  NameIndex Index;
};

// A file that is not a well-formed export file: what() is the reason, Line counts from 1.
class RegParseError : public std::runtime_error {
 public:
  RegParseError(int line, const std::string& reason) : std::runtime_error(reason), LineNumber(line) {}
  int Line() const { return LineNumber; }

 private:
  int LineNumber;
};

// Throws RegParseError for anything it does not understand or could not write back as it is
// (a NUL character inside quotes); an empty text is an empty store.
RegDocument ParseRegistryText(std::string_view text);
// Writes every value so that ParseRegistryText gives it back unchanged.
std::string FormatRegistryText(const RegDocument& document);

// Key paths: components separated by single backslashes, none empty, no control characters.
bool IsValidKeyPath(std::string_view path);
// Value names: any text without line breaks or NUL ("" is the key's default value).
bool IsValidValueName(std::string_view name);
// Why a value cannot be stored unchanged ("" when it can): a malformed name, or a text with a NUL
// character or with a line break together with bytes that are not UTF-8.
std::string WhyValueCannotBeStored(const RegValue& value);

}  // namespace platform
