// Container and picture files loaded from disk through format detection and
// dispatch, and damaged copies of them fed to their engines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/archive/archive_engine.hpp"
#include "core/image/image_engine.hpp"
#include "core/openxml/openxml_engine.hpp"
#include "core/pipeline/load.hpp"
#include "tests/core/zip_test_writer.hpp"

namespace scrivex_core {
namespace {

std::string fixture_path(const std::string& relative) {
  return std::string(SCRIVEX_TEST_DATA_DIR) + "/containers/" + relative;
}

TEST(ContainerLoadPath, DispatchesEachFormatToItsEngine) {
  struct Case {
    std::string file, format, engine;
  };
  const std::vector<Case> cases = {
      {"office/letter.docx", "word", "openxml-native"},
      {"office/sheet.xlsx", "excel", "openxml-native"},
      {"office/deck.pptx", "presentation", "openxml-native"},
      {"office/letter.odt", "opendocument", "openxml-native"},
      {"office/sheet.ods", "opendocument", "openxml-native"},
      {"office/deck.odp", "opendocument", "openxml-native"},
      {"archives/zip_command.zip", "archive", "archive-native"},
      {"archives/python_ustar.tar", "archive", "archive-native"},
      {"archives/tar_command.tar.gz", "archive", "archive-native"},
      {"images/orange.png", "image", "image-native"},
      {"images/orange_rgb.tif", "image", "image-native"},
      {"images/orange_lossy.webp", "image", "image-native"},
  };
  for (const Case& c : cases) {
    const auto result = pipeline::load_path(fixture_path(c.file));
    ASSERT_TRUE(result.ok()) << c.file << ": " << result.error().display();
    EXPECT_EQ(result.value().metadata.format, c.format) << c.file;
    EXPECT_EQ(result.value().metadata.engine, c.engine) << c.file;
    EXPECT_FALSE(result.value().pages.at(0).blocks.empty()) << c.file;
  }
}

// Every prefix and a spread of single-byte changes of real containers either
// load or fail with an error; none may crash.
TEST(ContainerLoadPath, DamagedContainersFailCleanly) {
  struct Case {
    std::string file, label;
    const engine::ExtractionEngine& engine;
  };
  const openxml::OpenXmlEngine office;
  const archive::ArchiveEngine archives;
  const image::ImageEngine images;
  const std::vector<Case> cases = {
      {"office/letter.docx", "word", office},
      {"office/sheet.xlsx", "excel", office},
      {"archives/tar_command.tar.gz", "archive", archives},
      {"archives/python_ustar.tar", "archive", archives},
      {"images/orange.bmp", "image", images},
  };
  constexpr std::size_t kStep = 7;  // positions between changed bytes
  for (const Case& c : cases) {
    const testing_zip::Bytes data = testing_zip::read_fixture(c.file);
    ASSERT_FALSE(data.empty()) << c.file;
    for (std::size_t length = 0; length < data.size(); length += kStep) {
      testing_zip::Bytes prefix(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
      (void)c.engine.extract(testing_zip::binary_source(std::move(prefix), c.label, c.file));
    }
    for (std::size_t i = 0; i < data.size(); i += kStep) {
      testing_zip::Bytes copy = data;
      copy[i] ^= 0x5A;
      (void)c.engine.extract(testing_zip::binary_source(std::move(copy), c.label, c.file));
    }
  }
}

}  // namespace
}  // namespace scrivex_core
