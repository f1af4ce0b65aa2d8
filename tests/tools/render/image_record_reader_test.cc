#include "tools/render/image_record_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace hn {
namespace {

std::optional<std::vector<ImageRecord>> read(const std::string& text,
                                             std::string& error) {
  std::istringstream in(text);
  return readImageRecords(in, "images.txt", error);
}

TEST(ImageRecordReader, ReadsDataSetLinesAndLearnerRecordsAlike) {
  std::string error;
  const auto csv = read("0,1,2\r\n3,-1,3\n", error);
  ASSERT_TRUE(csv.has_value()) << error;
  ASSERT_EQ(2u, csv->size());
  EXPECT_EQ((std::vector<std::int32_t>{0, 1, 2}), (*csv)[0].values);
  EXPECT_EQ((std::vector<std::int32_t>{3, -1, 3}), (*csv)[1].values);
  EXPECT_EQ(1, (*csv)[1].number);

  const auto output = read("line : 4\n-1 0 2\nline : 9\n1 1 1\n", error);
  ASSERT_TRUE(output.has_value()) << error;
  ASSERT_EQ(2u, output->size());
  EXPECT_EQ(4, (*output)[0].number);
  EXPECT_EQ((std::vector<std::int32_t>{-1, 0, 2}), (*output)[0].values);
  EXPECT_EQ(9, (*output)[1].number);
}

TEST(ImageRecordReader, NamesFileAndLineOfWhatItCannotRead) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"0,1\n2,x,3\n", "images.txt:2: 'x' is not a whole number"},
      {"0,1\n2,3.5\n", "images.txt:2: '3.5' is not a whole number"},
      {"1,99999999999\n",
       "images.txt:1: '99999999999' is out of range (beyond 32 bits)"},
      {"line : 0\n-2147483649 0\n",
       "images.txt:2: '-2147483649' is out of range (beyond 32 bits)"},
      {"1,99999999999x\n",
       "images.txt:1: '99999999999x' is not a whole number"},
      {"line : 0\nline : 1\n0 0\n", "images.txt:2: a header without its image"},
      {"line : 0\n", "images.txt:1: a header without its image"},
      {"line : zero\n0 0\n", "images.txt:1: a header needs one number"},
  };
  for (const auto& [text, message] : cases) {
    std::string error;
    EXPECT_FALSE(read(text, error).has_value()) << text;
    EXPECT_EQ(message, error) << text;
  }
}

}  // namespace
}  // namespace hn
