#include "learner/data/in_memory_data_set.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "learner/data/bimodal_csv_file_wrapper.h"

namespace {

using hn::InMemoryDataSet;
using hn::InstanceList;
using Values = std::vector<std::int32_t>;

InstanceList rowsOf(const std::vector<Values>& sentences,
                    const std::vector<Values>& images) {
  InstanceList rows;
  for (std::size_t row = 0; row < sentences.size(); ++row) {
    rows.push_back(sentences[row]);
    rows.push_back(images[row]);
  }
  return rows;
}

InMemoryDataSet loaded(const std::vector<Values>& sentences,
                       const std::vector<Values>& images, const char* order,
                       const char* order2) {
  InMemoryDataSet data(rowsOf(sentences, images));
  data.set("order", order);
  data.set("order2", order2);
  data.load();
  return data;
}

std::string csvOf(const std::vector<Values>& rows) {
  std::string text;
  for (const Values& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) text += ',';
      text += std::to_string(row[i]);
    }
    text += '\n';
  }
  return text;
}

TEST(InMemoryDataSet, SkipsThePairsTheCsvReaderSkipsAndNamesTheirRows) {
  const std::vector<Values> sentences = {{1, 2, 3}, {4},     {5, 6},
                                         {7, 8},    {9, 10}, {11, 12}};
  const std::vector<Values> images = {{0, 1},      {0, 1},          {},
                                      {3, 214748}, Values(4801, 0), {-1, 2}};
  const InMemoryDataSet data = loaded(sentences, images, "2", "1");
  EXPECT_EQ(data.instances, (InstanceList{{1, 2, 3}, {0, 1}}));
  ASSERT_EQ(data.skipped.size(), 5u);
  const std::string reasons[] = {
      "the sentence has 1 words, fewer than order 2",
      "image line has no values to sample image vertices from",
      "image value 214748 at position 1 is outside 0..214747",
      "image line has 4801 values; at most 4800 fit an image",
      "image value -1 at position 0 is outside 0..214747"};
  for (std::size_t i = 0; i < data.skipped.size(); ++i) {
    EXPECT_EQ(data.skipped[i].row, i + 1);
    EXPECT_EQ(data.skipped[i].reason, reasons[i]);
  }
}

TEST(InMemoryDataSet, AnEmptyImageIsTakenWhenNoImageValueIsSampled) {
  EXPECT_EQ(loaded({{1, 2}}, {{}}, "2", "0").instances,
            (InstanceList{{1, 2}, {}}));
}

// Instances alternate sentence and image, so a sentence whose image is
// missing must not be taken over with the rows it ends.
TEST(InMemoryDataSet, SkipsALastSentenceThatHasNoImage) {
  InMemoryDataSet data(InstanceList{{1, 2, 3}, {0, 1}, {4, 5, 6}});
  data.set("order", "3");
  data.set("order2", "3");
  data.load();
  EXPECT_EQ(data.instances, (InstanceList{{1, 2, 3}, {0, 1}}));
  ASSERT_EQ(data.skipped.size(), 1u);
  EXPECT_EQ(data.skipped[0].row, 1u);
  EXPECT_EQ(data.skipped[0].reason, "the sentence has no image");
}

TEST(InMemoryDataSet, NamesTheFirstWildcardRowTakenAndLoadsOnce) {
  InMemoryDataSet data =
      loaded({{1}, {2, -1}, {-1, 3}}, {{0}, {0}, {0}}, "2", "1");
  EXPECT_EQ(data.firstWildcardRow, 1u);
  data.set("order", "1");
  data.load();
  EXPECT_EQ(data.instances.size(), 4u);
}

// Generated pairs, many of them faulty, read from CSV text and handed over
// as values, give the same pairs.
TEST(InMemoryDataSet, GivesTheCsvReadersPairsOnGeneratedData) {
  std::mt19937 random(7);
  const auto draw = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  for (int round = 0; round < 50; ++round) {
    std::vector<Values> sentences(static_cast<std::size_t>(draw(0, 12)));
    std::vector<Values> images(sentences.size());
    for (std::size_t row = 0; row < sentences.size(); ++row) {
      sentences[row].resize(static_cast<std::size_t>(draw(1, 4)));
      for (std::int32_t& word : sentences[row]) word = draw(-1, 9);
      images[row].resize(static_cast<std::size_t>(draw(0, 5)));
      // Now and then a value that does not pack into a vertex.
      for (std::int32_t& value : images[row]) {
        value = draw(0, 9) > 0 ? draw(0, 9) : (draw(0, 1) ? -1 : 214748);
      }
    }
    const std::string order = std::to_string(draw(1, 3));
    const std::string order2 = std::to_string(draw(0, 2));
    hn::BimodalCSVFileWrapper files;
    files.set("order2", order2);
    files.order = std::stoi(order);
    std::istringstream sentenceText(csvOf(sentences));
    std::istringstream imageText(csvOf(images));
    std::ostringstream ignored;
    std::streambuf* const errors = std::cerr.rdbuf(ignored.rdbuf());
    files.readPairs(sentenceText, imageText, "s.csv", "i.csv");
    std::cerr.rdbuf(errors);
    EXPECT_EQ(
        loaded(sentences, images, order.c_str(), order2.c_str()).instances,
        files.instances)
        << "round " << round;
  }
}

}  // namespace
