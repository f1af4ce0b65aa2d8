#include "learner/data/bimodal_csv_file_wrapper.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

namespace {

using hn::BimodalCSVFileWrapper;
using Instances = hn::InstanceList;

const char kCountMessage[] =
    "Bimodal CSV file wrapper needs exact 2 filenames, separated by a comma\n";
const char kOpenMessage[] = "error: file to open file\n";

struct ReadResult {
  Instances instances;
  std::string errors;
};

// Reads the two texts as the files s.csv and i.csv; "order2" is set only
// when not empty.
ReadResult read(const std::string& sentences, const std::string& images,
                std::int32_t order, const std::string& order2 = "") {
  BimodalCSVFileWrapper data;
  data.order = order;
  if (!order2.empty()) data.set("order2", order2);
  std::istringstream sentenceStream(sentences);
  std::istringstream imageStream(images);
  testing::internal::CaptureStderr();
  data.readPairs(sentenceStream, imageStream, "s.csv", "i.csv");
  ReadResult result{data.instances, testing::internal::GetCapturedStderr()};
  EXPECT_TRUE(data.loaded);
  return result;
}

// `count` comma-separated two-digit values, 10 to 99 over and over.
std::string imageLine(int count) {
  std::string line;
  for (int i = 0; i < count; ++i) {
    if (i > 0) line += ',';
    line += std::to_string(10 + i % 90);
  }
  return line;
}

TEST(SplitTokens, AppendsMaximalRunsBetweenSeparators) {
  const struct {
    std::string text;
    std::vector<std::string> tokens;
  } cases[] = {
      {"s.csv,i.csv", {"s.csv", "i.csv"}},
      {",s.csv,,i.csv,", {"s.csv", "i.csv"}},
      {"4,,5, 6", {"4", "5", " 6"}},
      {"a", {"a"}},
      {"", {}},
      {",,,", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> tokens = {"kept"};
    hn::splitTokens(c.text, ",", tokens);
    std::vector<std::string> want = {"kept"};
    want.insert(want.end(), c.tokens.begin(), c.tokens.end());
    EXPECT_EQ(want, tokens) << c.text;
  }
  std::vector<std::string> tokens;
  hn::splitTokens("a;b c;;d", "; ", tokens);
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "d"}), tokens);
}

TEST(BimodalCSVReader, FieldsConvertByAtoiRules) {
  const struct {
    std::string line;
    std::vector<std::int32_t> values;
  } cases[] = {
      {"4,,5, 6", {4, 5, 6}},
      {"x,7", {0, 7}},
      {"3abc,-2,+8,2.7", {3, -2, 8, 2}},
      {"99999999999,-99999999999", {2147483647, -2147483647 - 1}},
      {"\t12 ,", {12}},
  };
  for (const auto& c : cases) {
    const ReadResult result = read(c.line, "1", 1);
    EXPECT_EQ((Instances{c.values, {1}}), result.instances) << c.line;
    EXPECT_EQ("", result.errors) << c.line;
  }
}

TEST(BimodalCSVReader, ShortSentenceLinesAreSkippedWithTheirImage) {
  const ReadResult result =
      read("5,6\n5,6,7\n\n,,,\n1,2,3,4\n", "1\n2\n3\n4\n5\n", 3);
  EXPECT_EQ((Instances{{5, 6, 7}, {2}, {1, 2, 3, 4}, {5}}), result.instances);
  EXPECT_EQ("", result.errors);

  // Compared as unsigned numbers: a negative order takes no line at all.
  EXPECT_EQ(Instances{}, read("1,2,3\n", "1\n", -1).instances);
}

TEST(BimodalCSVReader, FinalLineFeedAddsNoPair) {
  EXPECT_EQ((Instances{{1}, {2}}), read("1\n", "2\n", 1).instances);
  EXPECT_EQ((Instances{{1}, {2}}), read("1", "2", 1).instances);

  std::string sentences;
  std::string images;
  for (int i = 0; i < 100; ++i) {
    sentences += "1,2,3\n";
    images += "4,5\n";
  }
  EXPECT_EQ(200u, read(sentences, images, 3).instances.size());
}

TEST(BimodalCSVReader, CarriageReturnBeforeLineFeedIsNotPartOfTheLine) {
  const ReadResult result =
      read("1,2\r\n\r\n3,4,\r\n", "7,8\r\n0\r\n9,\r\n", 1, "1");
  EXPECT_EQ((Instances{{1, 2}, {7, 8}, {3, 4}, {9}}), result.instances);
  EXPECT_EQ("", result.errors);
}

TEST(BimodalCSVReader, ImagesTheLearnerCannotTakeSkipTheirPair) {
  const std::string image4801 = imageLine(4801);
  const struct {
    std::string image;
    std::string order2;
    std::string errors;
  } cases[] = {
      {"", "1",
       "i.csv:2: image line has no values to sample image vertices from, "
       "pair skipped\n"},
      {",,", "3",
       "i.csv:2: image line has no values to sample image vertices from, "
       "pair skipped\n"},
      {image4801, "0",
       "i.csv:2: image line has 4801 values; at most 4800 fit an image, pair "
       "skipped\n"},
      {"1,214748", "0",
       "i.csv:2: image value 214748 at position 1 is outside 0..214747, "
       "pair skipped\n"},
      {"-1,3", "1",
       "i.csv:2: image value -1 at position 0 is outside 0..214747, pair "
       "skipped\n"},
      {"99999999999", "1",
       "i.csv:2: image value 2147483647 at position 0 is outside "
       "0..214747, pair skipped\n"},
  };
  for (const auto& c : cases) {
    const ReadResult result =
        read("1\n2\n3\n", "4\n" + c.image + "\n6\n", 1, c.order2);
    EXPECT_EQ((Instances{{1}, {4}, {3}, {6}}), result.instances) << c.image;
    EXPECT_EQ(c.errors, result.errors) << c.image;
  }
}

TEST(BimodalCSVReader, ImagesInsideTheFormatAreKept) {
  const struct {
    std::string image;
    std::string order2;
    std::vector<std::int32_t> values;
  } cases[] = {
      {"", "", {}},
      {"", "0", {}},
      {"0,214747", "2", {0, 214747}},
  };
  for (const auto& c : cases) {
    const ReadResult result = read("1\n", c.image + "\n", 1, c.order2);
    EXPECT_EQ((Instances{{1}, c.values}), result.instances) << c.image;
    EXPECT_EQ("", result.errors) << c.image;
  }
}

TEST(BimodalCSVReader, MissingImageLineStopsTheReadAndKeepsEarlierPairs) {
  const ReadResult result = read("1\n2\n3\n", "4\n", 1);
  EXPECT_EQ((Instances{{1}, {4}}), result.instances);
  EXPECT_EQ(
      "i.csv:2: image line missing; the image file has fewer lines than the "
      "sentence file, reading stopped\n",
      result.errors);

  // Short sentence lines need no image line.
  const ReadResult shortTail = read("1\n2\n\n\n", "4\n5", 1);
  EXPECT_EQ((Instances{{1}, {4}, {2}, {5}}), shortTail.instances);
  EXPECT_EQ("", shortTail.errors);
}

// Gives `text`, then fails as a disk does: the stream that reads it turns
// bad instead of reaching its end.
class FailingBuffer : public std::streambuf {
 public:
  explicit FailingBuffer(std::string text) : text(std::move(text)) {
    setg(this->text.data(), this->text.data(),
         this->text.data() + this->text.size());
  }

 protected:
  int_type underflow() override { throw std::runtime_error("read error"); }

 private:
  std::string text;
};

TEST(BimodalCSVReader, AReadErrorKeepsNoPairOfTheReadingAndIsNotLoaded) {
  for (const bool sentencesFail : {true, false}) {
    FailingBuffer failing(sentencesFail ? "1\n2\n" : "4\n5\n");
    std::istringstream intact(sentencesFail ? "4\n5\n6\n" : "1\n2\n3\n");
    std::istream failingStream(&failing);
    BimodalCSVFileWrapper data;
    data.order = 1;
    data.instances = {{9}, {9}};  // from an earlier reading: kept
    testing::internal::CaptureStderr();
    if (sentencesFail) {
      data.readPairs(failingStream, intact, "s.csv", "i.csv");
    } else {
      data.readPairs(intact, failingStream, "s.csv", "i.csv");
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ((Instances{{9}, {9}}), data.instances) << sentencesFail;
    EXPECT_FALSE(data.loaded) << sentencesFail;
    EXPECT_EQ(std::string(sentencesFail ? "s.csv" : "i.csv") +
                  ":3: read error, reading stopped; no pair is used\n",
              errors);
  }
}

TEST(BimodalCSVReader, AReadErrorOfOneSideAloneKeepsNothingAndIsNotLoaded) {
  FailingBuffer failingImages("4\n5\n");
  std::istream images(&failingImages);
  BimodalCSVFileWrapper data;
  testing::internal::CaptureStderr();
  data.readImagesAlone(images, "i.csv");
  EXPECT_EQ("i.csv:3: read error, reading stopped; no image is used\n",
            testing::internal::GetCapturedStderr());
  EXPECT_EQ(Instances{}, data.instances);
  EXPECT_FALSE(data.loaded);

  FailingBuffer failingSentences("1,2\n3,4\n");
  std::istream sentences(&failingSentences);
  BimodalCSVFileWrapper alone;
  alone.readSentencesAlone(sentences);
  EXPECT_EQ(Instances{}, alone.instances);
  EXPECT_FALSE(alone.loaded);
}

TEST(BimodalCSVReader, TheWildcardSentenceValueIsNamedOncePerFile) {
  const ReadResult result =
      read("1,2\n-1\n3,-1,4\n5\n-1,-1\n", "1\n2\n3\n4\n5\n", 2);
  // Kept as it is: the wildcard is a value the learner knows.
  EXPECT_EQ((Instances{{1, 2}, {1}, {3, -1, 4}, {3}, {-1, -1}, {5}}),
            result.instances);
  // Line 2 is too short to be taken; line 3 is the first pair it reaches.
  EXPECT_EQ(std::string("s.csv:3: ") + hn::kWildcardSentenceMessage + "\n",
            result.errors);

  EXPECT_EQ("", read("1,2\n-2,11\n", "1\n2\n", 2).errors);
  // A pair skipped for its image carries no wildcard into the run.
  EXPECT_EQ(
      "i.csv:1: image value -5 at position 0 is outside 0..214747, "
      "pair skipped\n",
      read("-1\n", "-5\n", 1).errors);
}

class BimodalCSVFiles : public testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    do {
      directory = std::filesystem::temp_directory_path() /
                  ("hn_bimodal_csv_test_" + std::to_string(random()));
    } while (!std::filesystem::create_directory(directory));
  }

  void TearDown() override { std::filesystem::remove_all(directory); }

  std::string path(const std::string& name) const {
    return (directory / name).string();
  }

  void write(const std::string& name, const std::string& contents) const {
    std::ofstream(path(name), std::ios::binary) << contents;
  }

  // Loads with the given "filename" value; returns standard error.
  static std::string load(BimodalCSVFileWrapper& data,
                          const std::string& filename) {
    data.set("filename", filename);
    testing::internal::CaptureStderr();
    data.load();
    return testing::internal::GetCapturedStderr();
  }

  std::filesystem::path directory;
};

TEST_F(BimodalCSVFiles, FilenameHoldsExactlyTwoNames) {
  write("s.csv", "1,2,3\n");
  write("i.csv", "4\n");
  const std::string s = path("s.csv");
  const std::string i = path("i.csv");
  const struct {
    std::string filename;
    bool accepted;
  } cases[] = {
      {s + "," + i, true}, {"," + s + ",," + i + ",", true},
      {s, false},          {s + "," + i + "," + s, false},
      {"", false},         {",", false},
  };
  for (const auto& c : cases) {
    BimodalCSVFileWrapper data;
    const std::string errors = load(data, c.filename);
    EXPECT_EQ(c.filename, data.filename);
    if (c.accepted) {
      EXPECT_EQ((std::vector<std::string>{s, i}), data.filenameList)
          << c.filename;
      EXPECT_EQ((Instances{{1, 2, 3}, {4}}), data.instances) << c.filename;
      EXPECT_EQ("", errors) << c.filename;
    } else {
      EXPECT_EQ(kCountMessage, errors) << c.filename;
      EXPECT_TRUE(data.instances.empty()) << c.filename;
    }
    EXPECT_EQ(c.accepted, data.loaded) << c.filename;
  }
}

TEST_F(BimodalCSVFiles, UnopenableFileIsReportedAndAddsNothing) {
  write("s.csv", "1,2,3\n");
  for (const std::string& filename : {path("s.csv") + "," + path("none.csv"),
                                      path("none.csv") + "," + path("s.csv")}) {
    BimodalCSVFileWrapper data;
    EXPECT_EQ(kOpenMessage, load(data, filename)) << filename;
    EXPECT_FALSE(data.loaded) << filename;
    EXPECT_TRUE(data.instances.empty()) << filename;

    // The list is never cleared: a second load finds four names.
    EXPECT_EQ(kCountMessage, load(data, filename)) << filename;
    EXPECT_EQ(4u, data.filenameList.size()) << filename;
  }

  BimodalCSVFileWrapper data;
  data.loaded = true;
  load(data, path("none.csv") + "," + path("s.csv"));
  EXPECT_TRUE(data.loaded);
}

TEST_F(BimodalCSVFiles, LongLinesAreReadWhole) {
  const std::string image4800 = imageLine(4800);
  ASSERT_GT(image4800.size(), 10239u);
  write("s.csv", "1\n2\n3\n");
  write("i.csv", image4800 + "\n" + imageLine(4801) + "\r\n7\n");
  BimodalCSVFileWrapper data;
  data.set("order", "1");
  const std::string errors = load(data, path("s.csv") + "," + path("i.csv"));

  EXPECT_EQ(path("i.csv") +
                ":2: image line has 4801 values; at most 4800 fit an image, "
                "pair skipped\n",
            errors);
  std::vector<std::int32_t> image;
  for (int i = 0; i < 4800; ++i) image.push_back(10 + i % 90);
  EXPECT_EQ((Instances{{1}, image, {3}, {7}}), data.instances);
}

TEST_F(BimodalCSVFiles, UnreadableSentenceFileIsReported) {
  write("i.csv", "4\n");
  BimodalCSVFileWrapper data;
  // A directory opens but cannot be read.
  const std::string errors =
      load(data, directory.string() + "," + path("i.csv"));
  EXPECT_EQ(
      directory.string() + ":1: read error, reading stopped; no pair is used\n",
      errors);
  EXPECT_TRUE(data.instances.empty());
  // Not loaded: the run must not go on as if the file were empty.
  EXPECT_FALSE(data.loaded);
}

TEST_F(BimodalCSVFiles, UnreadableImageFileIsReported) {
  write("s.csv", "1,2,3\n");
  BimodalCSVFileWrapper data;
  const std::string errors =
      load(data, path("s.csv") + "," + directory.string());
  EXPECT_EQ(
      directory.string() + ":1: read error, reading stopped; no pair is used\n",
      errors);
  EXPECT_TRUE(data.instances.empty());
  EXPECT_FALSE(data.loaded);
}

}  // namespace

namespace {

// With order 0 the empty end after a final line feed is a pair of its own;
// it has no image values, so with image vertices sampled it is dropped, and
// silently: there is no line there to name.
TEST(BimodalCSVReader, OrderZeroTakesTheEmptyEndOnlyWithoutImageVertices) {
  const ReadResult withoutVertices = read("1\n", "5\n", 0, "0");
  EXPECT_EQ((Instances{{1}, {5}, {}, {}}), withoutVertices.instances);
  const ReadResult withVertices = read("1\n", "5\n", 0, "2");
  EXPECT_EQ((Instances{{1}, {5}}), withVertices.instances);
  EXPECT_EQ("", withVertices.errors);
}

}  // namespace

namespace {

TEST(OneSideAlone, EverySentenceLineBecomesAPairWithAnEmptyImage) {
  BimodalCSVFileWrapper data;
  data.set("order", "2");
  std::istringstream sentences("1,2\n3\n4,5,6\r\n");
  data.readSentencesAlone(sentences);
  EXPECT_TRUE(data.loaded);
  // The one-word line is too short for order 2; numbering stays dense.
  EXPECT_EQ((Instances{{1, 2}, {}, {4, 5, 6}, {}}), data.instances);
}

TEST(OneSideAlone, EveryImageLineBecomesAPairWithAnEmptySentence) {
  BimodalCSVFileWrapper data;
  data.set("order2", "1");
  std::istringstream images("1,2\n\n7,300000\n3");
  testing::internal::CaptureStderr();
  data.readImagesAlone(images, "new.csv");
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(data.loaded);
  EXPECT_EQ((Instances{{}, {1, 2}, {}, {3}}), data.instances);
  EXPECT_NE(std::string::npos, errors.find("new.csv:2: image line has no"))
      << errors;
  EXPECT_NE(std::string::npos, errors.find("new.csv:3: image value 300000"))
      << errors;
}

}  // namespace
