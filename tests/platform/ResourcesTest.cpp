// Files embedded at build time are found by their name, byte for byte.
#include "platform/Resources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace platform {
namespace {

std::vector<uint8_t> ReadFile(const std::string& name) {
  std::ifstream in(std::string(HUEBLOC_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Resources, EmbeddedFilesAreFoundByTheirStem) {
  for (const auto& [name, file] : {std::pair{"ID_TESTPATTERN", "ID_TESTPATTERN.bmp"}, std::pair{"ID_TESTBEEP", "ID_TESTBEEP.wav"}}) {
    const std::vector<uint8_t> expected = ReadFile(file);
    ASSERT_FALSE(expected.empty()) << file;
    const auto found = FindResource(name);
    ASSERT_TRUE(found.has_value()) << name;
    EXPECT_EQ(std::vector<uint8_t>(found->begin(), found->end()), expected) << name;
  }
}

TEST(Resources, UnknownNamesAreReportedAsMissing) {
  EXPECT_FALSE(FindResource("ID_NOSUCHTHING").has_value());
  EXPECT_FALSE(FindResource("ID_TESTPATTERN.bmp").has_value());
  EXPECT_FALSE(FindResource("id_testpattern").has_value());
  EXPECT_FALSE(FindResource("").has_value());
}

TEST(Resources, ANameRegisteredTwiceKeepsItsFirstBytes) {
  static const uint8_t first[] = {1, 2, 3};
  static const uint8_t second[] = {9};
  const ResourceEntry tables[][1] = {{{"ID_TWICE", first, sizeof first}}, {{"ID_TWICE", second, sizeof second}}};
  RegisterResources(tables[0]);
  RegisterResources(tables[1]);
  const auto found = FindResource("ID_TWICE");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->data(), first);
  EXPECT_EQ(found->size(), 3u);
  // The embedded table is not displaced either.
  EXPECT_EQ(FindResource("ID_TESTPATTERN")->size(), ReadFile("ID_TESTPATTERN.bmp").size());
}

// Released pages are read back as they were: the embedded bytes from the program file, and
// bytes registered from writable memory are never dropped (they would come back as zeros).
TEST(Resources, ReleasedPagesReadBackUnchanged) {
  static const std::vector<uint8_t> written = [] {
    std::vector<uint8_t> bytes(5 * 4096);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    return bytes;
  }();
  const ResourceEntry table[] = {{"ID_WRITTEN", written.data(), written.size()}};
  RegisterResources(table);
  const auto embedded = FindResource("ID_TESTPATTERN");
  ASSERT_TRUE(embedded.has_value());
  const std::vector<uint8_t> before(embedded->begin(), embedded->end());
  const std::vector<uint8_t> copy = written;

  ReleaseResourcePages();
  EXPECT_EQ(std::vector<uint8_t>(embedded->begin(), embedded->end()), before);
  const auto found = FindResource("ID_WRITTEN");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(std::vector<uint8_t>(found->begin(), found->end()), copy);
}

}  // namespace
}  // namespace platform
