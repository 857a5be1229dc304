#include "platform/RegistryFile.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <optional>
#include <random>

namespace platform {

namespace {

constexpr std::string_view Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view OldHeader = "REGEDIT4";
constexpr std::string_view Root = "HKEY_CURRENT_USER";
constexpr std::string_view Bom = "\xEF\xBB\xBF";
constexpr std::size_t MaxKeyComponent = 255;
constexpr std::size_t MaxValueName = 16383;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimLeft(std::string_view s) { return s.substr(std::min(s.find_first_not_of(" \t"), s.size())); }

std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  return s.substr(0, s.find_last_not_of(" \t") + 1);
}

// One to eight hex digits, and nothing else.
bool ParseHexNumber(std::string_view digits, uint32_t& number) {
  const char* end = digits.data() + digits.size();
  return !digits.empty() && digits.size() <= 8 && std::from_chars(digits.data(), end, number, 16).ptr == end;
}

// The last digits hex digits of number, in lower case.
void AppendHex(std::string& out, uint32_t number, int digits) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += "0123456789abcdef"[(number >> shift) & 15];
}

// --- UTF-8 <-> UTF-16LE, for text stored as hex(1) ---

void AppendUtf8(std::string& out, uint32_t cp) {
  const int extra = cp < 0x80 ? 0 : cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
  static constexpr uint8_t Lead[] = {0, 0xC0, 0xE0, 0xF0};
  out += static_cast<char>(Lead[extra] | (cp >> (6 * extra)));
  for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
}

constexpr uint32_t Replacement = 0xFFFD;

// Decodes one code point at text[i], advancing i; malformed bytes give U+FFFD one at a time.
uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<uint8_t>(text[i]);
  const std::size_t length = lead < 0x80            ? 1
                             : (lead & 0xE0) == 0xC0 ? 2
                             : (lead & 0xF0) == 0xE0 ? 3
                             : (lead & 0xF8) == 0xF0 ? 4
                                                     : 0;
  static constexpr uint32_t Payload[] = {0, 0x7F, 0x1F, 0x0F, 0x07}, Minimum[] = {0, 0, 0x80, 0x800, 0x10000};
  uint32_t cp = lead & Payload[length];
  bool whole = length != 0 && i + length <= text.size();
  for (std::size_t k = 1; whole && k < length; ++k) {
    const auto next = static_cast<uint8_t>(text[i + k]);
    whole = (next & 0xC0) == 0x80;
    cp = (cp << 6) | (next & 0x3Fu);
  }
  whole = whole && cp >= Minimum[length] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
  i += whole ? length : 1;
  return whole ? cp : Replacement;
}

std::string EncodeUtf16Hex(std::string_view text) {
  std::string out = "hex(1):";
  const auto unit = [&](uint32_t value) {
    for (const uint32_t byte : {value & 0xFF, value >> 8}) {
      if (out.back() != ':') out += ',';
      AppendHex(out, byte, 2);
    }
  };
  for (std::size_t i = 0; i < text.size();) {
    const uint32_t cp = NextCodePoint(text, i);
    if (cp >= 0x10000) {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      unit(cp);
    }
  }
  unit(0);  // the registry keeps text with its terminating NUL
  return out;
}

// The text of hex(1) data, when the data is a clean UTF-16 text: whole code units, surrogates
// in pairs, NULs only at the end. Anything else is not text we could write back unchanged.
std::optional<std::string> DecodeUtf16Text(const std::vector<uint8_t>& bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::string out;
  uint32_t high = 0;  // a high surrogate waiting for its low half
  bool ended = false;
  for (std::size_t k = 0; k < bytes.size(); k += 2) {
    const uint32_t unit = bytes[k] | (static_cast<uint32_t>(bytes[k + 1]) << 8);
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF, isHigh = unit >= 0xD800 && unit <= 0xDBFF;
    if ((ended && unit != 0) || (high != 0) != low) return std::nullopt;  // text after the NUL, or a lone half
    if (low)
      AppendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
    else if (!isHigh && unit != 0)
      AppendUtf8(out, unit);
    high = isHigh ? unit : 0;
    ended = ended || unit == 0;
  }
  if (high != 0) return std::nullopt;
  return out;
}

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    // A malformed byte gives U+FFFD and moves on by one; a real U+FFFD takes three bytes.
    if (NextCodePoint(text, i) == Replacement && i - at != 3) return false;
  }
  return true;
}

// Text that cannot stand between quotes on one line. A carriage return can: only one at the
// very end of a line is taken for part of its line break, and a quote always follows the text.
bool NeedsHexText(std::string_view text) {
  return text.find_first_of(std::string_view("\n\0", 2)) != std::string_view::npos;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// --- Parsing ---

class Parser {
 public:
  explicit Parser(std::string_view text) {
    if (text.substr(0, Bom.size()) == Bom) text.remove_prefix(Bom.size());
    std::size_t start = 0;
    while (start <= text.size()) {
      const std::size_t end = std::min(text.find('\n', start), text.size());
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      Lines.push_back(line);
      start = end + 1;
    }
  }

  RegDocument Run() {
    RegDocument document;
    RegKey* key = nullptr;
    bool headerSeen = false;
    for (Index = 0; Index < Lines.size(); ++Index) {
      const std::string_view line = Trim(Lines[Index]);
      if (line.empty()) continue;
      if (!headerSeen) {
        if (line != Header && line != OldHeader)
          Fail("the file must begin with the line \"" + std::string(Header) + "\"");
        headerSeen = true;
      } else if (line.front() == ';') {
        continue;  // comment
      } else if (line.front() == '[') {
        key = &document.AddKey(ParseSection(line));
      } else if (line.front() == '"' || line.front() == '@') {
        if (key == nullptr) Fail("a value comes before the first [key] line");
        key->SetValue(ParseValue(line));
      } else {
        Fail("expected a [key] line or a \"Name\"=value line");
      }
    }
    return document;
  }

 private:
  [[noreturn]] void Fail(const std::string& reason) const {
    throw RegParseError(static_cast<int>(Index + 1), reason);
  }

  std::string ParseSection(std::string_view line) {
    if (line.back() != ']') Fail("a key line must end with ']'");
    std::string_view inner = line.substr(1, line.size() - 2);
    if (!inner.empty() && inner.front() == '-') Fail("deleting keys is not supported here");
    if (!StartsWithNoCase(inner, Root) || inner.size() < Root.size() + 2 || inner[Root.size()] != '\\')
      Fail("only keys below HKEY_CURRENT_USER belong in this file");
    const std::string_view path = inner.substr(Root.size() + 1);
    if (!IsValidKeyPath(path)) Fail("the key name is malformed");
    return std::string(path);
  }

  // A quoted string starting at s[0] == '"'; s is advanced past the closing quote.
  std::string ParseQuoted(std::string_view& s) {
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
      const char c = s[i];
      if (c == '"') {
        s.remove_prefix(i + 1);
        return out;
      }
      // Writing such a text back would cut it short at the NUL: refuse it here instead.
      if (c == '\0') Fail("a NUL character inside quotes cannot be kept");
      if (c == '\\') {
        if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
          Fail("a backslash in quotes must be written \\\\ (or \\\" for a quote)");
        ++i;
      }
      out += s[i];
    }
    Fail("a quoted text is not closed");
  }

  RegValue ParseValue(std::string_view rest) {
    RegValue value;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else {
      value.Name = ParseQuoted(rest);
      if (!IsValidValueName(value.Name)) Fail("the value name is malformed");
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != '=') Fail("expected '=' after the value name");
    rest = TrimLeft(rest.substr(1));
    if (!rest.empty() && rest.front() == '"') {
      value.Type = RegType::String;
      value.Text = ParseQuoted(rest);
      if (!Trim(rest).empty()) Fail("unexpected text after the value");
    } else if (StartsWithNoCase(rest, "dword:")) {
      value.Type = RegType::DWord;
      if (!ParseHexNumber(Trim(rest.substr(6)), value.Number)) Fail("a dword needs one to eight hex digits");
    } else if (StartsWithNoCase(rest, "hex")) {
      ParseHex(rest, value);
    } else if (!rest.empty() && rest.front() == '-') {
      Fail("deleting values is not supported here");
    } else {
      Fail("expected \"text\", dword:00000000 or hex:... after '='");
    }
    return value;
  }

  // hex:aa,bb or hex(N):aa,bb, possibly continued over lines ending in a backslash.
  void ParseHex(std::string_view rest, RegValue& value) {
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) Fail("expected ':' after hex");
    const std::string_view kind = rest.substr(3, colon - 3);
    const bool typed = !kind.empty();
    uint32_t type = 0;
    if (typed && (kind.size() < 2 || kind.front() != '(' || kind.back() != ')' ||
                  !ParseHexNumber(kind.substr(1, kind.size() - 2), type)))
      Fail("expected hex: or hex(type):");
    std::string data;
    std::string_view piece = Trim(rest.substr(colon + 1));
    const std::size_t first = Index;
    while (!piece.empty() && piece.back() == '\\') {
      data += piece.substr(0, piece.size() - 1);
      if (++Index >= Lines.size() || Trim(Lines[Index]).empty()) {
        Index = first;
        Fail("the value is cut off: its last line ends in a backslash");
      }
      piece = Trim(Lines[Index]);
    }
    data += piece;
    std::vector<uint8_t> bytes;
    std::string normal;  // the data without spaces, as it is written back
    std::string_view list = data;
    while (!list.empty()) {
      const std::size_t comma = list.find(',');
      const std::string_view token = Trim(list.substr(0, comma));
      uint32_t byte = 0;
      if (token.size() != 2 || !ParseHexNumber(token, byte))
        Fail("hex data must be two-digit bytes separated by commas");
      bytes.push_back(static_cast<uint8_t>(byte));
      if (!normal.empty()) normal += ',';
      AppendHex(normal, byte, 2);
      if (comma == std::string_view::npos) break;
      list.remove_prefix(comma + 1);
      if (Trim(list).empty()) break;  // a trailing comma is harmless
    }
    std::optional<std::string> text = typed && type == 1 ? DecodeUtf16Text(bytes) : std::nullopt;
    if (text) {
      value.Type = RegType::String;
      value.Text = std::move(*text);
    } else {
      value.Type = RegType::Other;
      char digits[8];
      value.Text = typed ? "hex(" + std::string(digits, std::to_chars(digits, digits + 8, type, 16).ptr) + "):" + normal
                         : "hex:" + normal;
    }
  }

  std::vector<std::string_view> Lines;
  std::size_t Index = 0;
};

}  // namespace

bool IsAtOrBelow(std::string_view path, std::string_view key) {
  return StartsWithNoCase(path, key) && (path.size() == key.size() || path[key.size()] == '\\');
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool IsValidKeyPath(std::string_view path) {
  if (path.empty()) return false;
  std::size_t componentLength = 0;
  for (const char c : path) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;
    if (c == '\\') {
      if (componentLength == 0) return false;
      componentLength = 0;
    } else if (++componentLength > MaxKeyComponent) {
      return false;
    }
  }
  return componentLength > 0;
}

bool IsValidValueName(std::string_view name) {
  return name.size() <= MaxValueName && name.find_first_of(std::string_view("\n\r\0", 3)) == std::string_view::npos;
}

std::string WhyValueCannotBeStored(const RegValue& value) {
  if (!IsValidValueName(value.Name)) return "a value name cannot hold a line break or a NUL character";
  if (value.Type != RegType::String) return {};
  if (value.Text.find('\0') != std::string::npos)
    return "the text holds a NUL character, which the store cannot keep in a text";
  if (NeedsHexText(value.Text) && !IsUtf8(value.Text))
    return "the text holds a line break and bytes that are not UTF-8, which the store cannot keep in a text";
  return {};
}

std::size_t NameHash::operator()(std::string_view name) const {
  // FNV-1a over the lower-case bytes, from a start chosen at random once per process.
  static const uint64_t Seed = (static_cast<uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}();
  uint64_t hash = 0xcbf29ce484222325ull ^ Seed;
  for (const char c : name) hash = (hash ^ static_cast<uint8_t>(LowerAscii(c))) * 0x100000001b3ull;
  return static_cast<std::size_t>(hash ^ (hash >> 29));
}

const RegValue* RegKey::FindValue(std::string_view name) const {
  const auto found = Index.find(name);
  return found == Index.end() ? nullptr : &ValueList[found->second];
}

void RegKey::SetValue(RegValue value) {
  const auto [place, added] = Index.try_emplace(value.Name, ValueList.size());
  if (added) ValueList.emplace_back();
  ValueList[place->second] = std::move(value);
}

const RegKey* RegDocument::FindKey(std::string_view path) const {
  const auto found = Index.find(path);
  return found == Index.end() ? nullptr : &KeyList[found->second];
}

bool RegDocument::KeyExists(std::string_view path) const {
  return std::any_of(KeyList.begin(), KeyList.end(), [&](const RegKey& key) { return IsAtOrBelow(key.Path(), path); });
}

RegKey& RegDocument::AddKey(std::string_view path) {
  const auto [place, added] = Index.try_emplace(std::string(path), KeyList.size());
  if (added) KeyList.emplace_back(std::string(path));
  return KeyList[place->second];
}

RegDocument ParseRegistryText(std::string_view text) { return Parser(text).Run(); }

std::string FormatRegistryText(const RegDocument& document) {
  std::string out = std::string(Header) + "\n\n";
  for (const RegKey& key : document.Keys()) {
    out += "[" + std::string(Root) + "\\" + key.Path() + "]\n";
    for (const RegValue& value : key.Values()) {
      out += (value.Name.empty() ? std::string("@") : Quote(value.Name)) + "=";
      switch (value.Type) {
        case RegType::String:
          out += NeedsHexText(value.Text) ? EncodeUtf16Hex(value.Text) : Quote(value.Text);
          break;
        case RegType::DWord:
          out += "dword:";
          AppendHex(out, value.Number, 8);
          break;
        case RegType::Other:
          out += value.Text;
          break;
      }
      out += '\n';
    }
    out += '\n';
  }
  return out;
}

}  // namespace platform
