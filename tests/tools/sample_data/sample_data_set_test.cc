#include "tools/sample_data/sample_data_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "learner/data/bimodal_csv_file_wrapper.h"
#include "learner/data/in_memory_data_set.h"
#include "learner/data/instance_list.h"
#include "tools/sample_data/caption.h"

namespace hn {
namespace {

constexpr int kColumns = 80;
constexpr int kRows = 60;

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  std::string part;
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

struct SampleFiles {
  std::vector<std::string> dictionary, sentences, images, captions;
};

SampleFiles writeAll(std::uint32_t pairs, std::uint32_t seed,
                     SampleKind kind = SampleKind::kScenes) {
  const SampleDataSet dataSet(pairs, seed, kind);
  std::ostringstream dictionary, sentences, images, captions;
  writeDictionary(dictionary, kind);
  dataSet.writeSentences(sentences);
  dataSet.writeImages(images);
  dataSet.writeCaptions(captions);
  return {split(dictionary.str(), '\n'), split(sentences.str(), '\n'),
          split(images.str(), '\n'), split(captions.str(), '\n')};
}

TEST(SampleDataSet, SameSeedGivesIdenticalFilesAndAnotherSeedOthers) {
  const SampleFiles first = writeAll(50, 7);
  const SampleFiles again = writeAll(50, 7);
  const SampleFiles other = writeAll(50, 8);
  EXPECT_EQ(first.sentences, again.sentences);
  EXPECT_EQ(first.images, again.images);
  EXPECT_NE(first.sentences, other.sentences);
  EXPECT_NE(first.images, other.images);
}

// Pins the generator and the way ranges are taken from it, so a seed gives
// the same files on every platform.
TEST(SampleDataSet, SeedOneStartsWithKnownPairs) {
  const SampleFiles files = writeAll(3, 1);
  const std::vector<std::string> want = {
      "a small blue square at the bottom center",
      "a small blue square at the bottom left",
      "a small red triangle at the top right"};
  EXPECT_EQ(want, files.captions);
  // Every value is one digit followed by a comma.
  EXPECT_EQ(45 * kColumns + 36, files.images[0].find_first_of("123") / 2);
}

TEST(SampleDataSet, CaptionsSentencesAndImagesAgreeLineByLine) {
  const SampleFiles files = writeAll(40, 5);
  ASSERT_EQ(40u, files.sentences.size());
  ASSERT_EQ(40u, files.captions.size());
  ASSERT_EQ(40u, files.images.size());
  for (std::size_t pair = 0; pair < files.sentences.size(); ++pair) {
    const std::vector<std::string> values = split(files.sentences[pair], ',');
    const std::vector<std::string> words = split(files.captions[pair], ' ');
    ASSERT_EQ(8u, values.size()) << files.sentences[pair];
    ASSERT_EQ(8u, words.size()) << files.captions[pair];
    for (std::size_t index = 0; index < values.size(); ++index) {
      // Value 0 is the assembler's own word; line v of dic.txt is value v.
      const std::size_t value = std::stoul(values[index]);
      ASSERT_TRUE(value >= 1 && value <= files.dictionary.size())
          << files.sentences[pair];
      EXPECT_EQ(words[index], files.dictionary[value - 1]);
    }
    const std::vector<std::string> pixels = split(files.images[pair], ',');
    ASSERT_EQ(static_cast<std::size_t>(kColumns * kRows), pixels.size());
    for (const std::string& pixel : pixels) {
      ASSERT_TRUE(pixel == "0" || pixel == "1" || pixel == "2" || pixel == "3")
          << "'" << pixel << "'";
    }
  }
}

// What one image shows, measured without the generator's geometry.
struct Drawing {
  std::set<char> values;
  int pixels = 0;
  int firstRow = kRows, lastRow = -1, firstColumn = kColumns, lastColumn = -1;
};

Drawing measure(const std::string& imageLine) {
  Drawing drawing;
  const std::vector<std::string> values = split(imageLine, ',');
  for (int position = 0; position < static_cast<int>(values.size());
       ++position) {
    if (values[position] == "0") continue;
    const int row = position / kColumns;
    const int column = position % kColumns;
    drawing.values.insert(values[position][0]);
    ++drawing.pixels;
    drawing.firstRow = std::min(drawing.firstRow, row);
    drawing.lastRow = std::max(drawing.lastRow, row);
    drawing.firstColumn = std::min(drawing.firstColumn, column);
    drawing.lastColumn = std::max(drawing.lastColumn, column);
  }
  return drawing;
}

int indexOf(const std::string& word, const std::vector<std::string>& words) {
  return static_cast<int>(std::find(words.begin(), words.end(), word) -
                          words.begin());
}

TEST(SampleDataSet, EachImageShowsItsCaption) {
  const SampleFiles files = writeAll(200, 1);
  for (std::size_t pair = 0; pair < files.captions.size(); ++pair) {
    const std::string& caption = files.captions[pair];
    const std::vector<std::string> words = split(caption, ' ');
    const Drawing drawing = measure(files.images[pair]);
    const char colour = '1' + indexOf(words[2], {"red", "green", "blue"});
    EXPECT_EQ(std::set<char>{colour}, drawing.values) << caption;
    const int width = words[1] == "big" ? 16 : 8;
    EXPECT_EQ(width, drawing.lastColumn - drawing.firstColumn + 1) << caption;
    EXPECT_EQ(width, drawing.lastRow - drawing.firstRow + 1) << caption;
    // The image is split in three both ways.
    const int row = indexOf(words[6], {"top", "middle", "bottom"});
    const int column = indexOf(words[7], {"left", "center", "right"});
    EXPECT_GE(drawing.firstRow, row * kRows / 3) << caption;
    EXPECT_LT(drawing.lastRow, (row + 1) * kRows / 3) << caption;
    EXPECT_GE(drawing.firstColumn, column * kColumns / 3) << caption;
    EXPECT_LT(drawing.lastColumn, (column + 1) * kColumns / 3) << caption;
  }
}

// Each of the 8 sizes and shapes always covers the same number of pixels,
// and no two of them the same number.
void expectOnePixelCountPerSizeAndShape(
    const std::map<std::string, std::set<int>>& countsBySizeAndShape) {
  ASSERT_EQ(8u, countsBySizeAndShape.size());
  std::set<int> distinctCounts;
  for (const auto& [sizeAndShape, counts] : countsBySizeAndShape) {
    EXPECT_EQ(1u, counts.size()) << sizeAndShape;
    distinctCounts.insert(*counts.begin());
  }
  EXPECT_EQ(8u, distinctCounts.size()) << "two shapes drawn alike";
}

TEST(SampleDataSet, SizeAndShapeDecideThePixelCountAndPlacesVary) {
  const SampleFiles files = writeAll(200, 2);
  std::map<std::string, std::set<int>> countsBySizeAndShape;
  int fewestBig = kColumns * kRows;
  int mostSmall = 0;
  for (std::size_t pair = 0; pair < files.captions.size(); ++pair) {
    const std::vector<std::string> words = split(files.captions[pair], ' ');
    const int pixels = measure(files.images[pair]).pixels;
    countsBySizeAndShape[words[1] + " " + words[3]].insert(pixels);
    if (words[1] == "big") fewestBig = std::min(fewestBig, pixels);
    if (words[1] == "small") mostSmall = std::max(mostSmall, pixels);
  }
  EXPECT_GT(fewestBig, mostSmall);
  EXPECT_EQ(std::set<int>{16 * 16}, countsBySizeAndShape["big square"]);
  expectOnePixelCountPerSizeAndShape(countsBySizeAndShape);

  const std::set<std::string> captions(files.captions.begin(),
                                       files.captions.end());
  const std::set<std::string> images(files.images.begin(), files.images.end());
  EXPECT_GT(images.size(), captions.size()) << "no jitter";
}

constexpr int kShapeSide = 12;

int countNonBackground(const std::string& imageLine) {
  const std::vector<std::string> values = split(imageLine, ',');
  return static_cast<int>(values.size()) -
         static_cast<int>(std::count(values.begin(), values.end(), "0"));
}

TEST(SampleDataSet, ShapesAreCentredAndFillMostOfASmallImage) {
  const SampleFiles files = writeAll(120, 3, SampleKind::kShapes);
  ASSERT_EQ(120u, files.captions.size());
  std::map<std::string, std::set<std::string>> imagesByCaption;
  for (std::size_t pair = 0; pair < files.captions.size(); ++pair) {
    const std::string& caption = files.captions[pair];
    const std::vector<std::string> words = split(caption, ' ');
    ASSERT_EQ(4u, words.size()) << caption;
    EXPECT_EQ(4u, split(files.sentences[pair], ',').size()) << caption;
    const std::vector<std::string> pixels = split(files.images[pair], ',');
    ASSERT_EQ(static_cast<std::size_t>(kShapeSide * kShapeSide), pixels.size());
    const char colour = '1' + indexOf(words[2], {"red", "green", "blue"});
    std::set<char> values;
    for (const std::string& pixel : pixels) values.insert(pixel[0]);
    values.erase('0');
    EXPECT_EQ(std::set<char>{colour}, values) << caption;
    if (caption == "a big " + words[2] + " square") {
      EXPECT_EQ(kShapeSide * kShapeSide,
                countNonBackground(files.images[pair]));
    }
    if (words[1] == "small") {
      // A two-pixel border of background all round the centred shape.
      for (int index = 0; index < kShapeSide; ++index) {
        EXPECT_EQ("0", pixels[index]) << caption;
        EXPECT_EQ("0", pixels[index * kShapeSide + kShapeSide - 1]) << caption;
      }
      EXPECT_LE(countNonBackground(files.images[pair]), 64) << caption;
    } else {
      // A big shape reaches from the top row to the bottom one.
      const auto top = pixels.begin();
      const auto bottom = pixels.end() - kShapeSide;
      EXPECT_NE(
          top + kShapeSide,
          std::find_if(top, top + kShapeSide, [](auto& p) { return p != "0"; }))
          << caption;
      EXPECT_NE(pixels.end(), std::find_if(bottom, pixels.end(),
                                           [](auto& p) { return p != "0"; }))
          << caption;
    }
    imagesByCaption[caption].insert(files.images[pair]);
  }
  // Without jitter a caption always shows the same image.
  for (const auto& [caption, images] : imagesByCaption) {
    EXPECT_EQ(1u, images.size()) << caption;
  }
}

// Scenes and shapes draw from the engine differently; a bench asking for the
// original data must not get the new kind by default.
TEST(SampleDataSet, TheDefaultKindIsTheOriginalScenes) {
  const SampleFiles byDefault = writeAll(20, 9);
  const SampleFiles scenes = writeAll(20, 9, SampleKind::kScenes);
  EXPECT_EQ(scenes.images, byDefault.images);
  EXPECT_EQ(scenes.captions, byDefault.captions);
  EXPECT_NE(scenes.captions, writeAll(20, 9, SampleKind::kShapes).captions);
}

// 64-bit FNV-1a of a file's lines, each with its line end.
std::uint64_t fingerprint(const std::vector<std::string>& lines) {
  std::uint64_t hash = 14695981039346656037u;
  for (const std::string& line : lines) {
    for (const char byte : line + '\n') {
      hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211u;
    }
  }
  return hash;
}

// Pins every byte that scenes and shapes wrote before photos came (the
// fingerprints of the files hn_sample_data wrote then), so that a new kind
// cannot change the draws or the dictionary of the old ones.
TEST(SampleDataSet, ScenesAndShapesKeepTheirFilesByteForByte) {
  struct Case {
    SampleKind kind;
    std::uint32_t seed;
    std::uint64_t dictionary, sentences, images, captions;
  };
  const std::vector<Case> cases = {
      {SampleKind::kScenes, 1, 140462655020450433u, 14755735693472245659u,
       12428943506114353157u, 11644810603134589022u},
      {SampleKind::kShapes, 1, 140462655020450433u, 15883991367546927784u,
       6081139514454232885u, 2285660971662672393u},
      {SampleKind::kShapes, 7, 140462655020450433u, 17253830126238281674u,
       10283780295084276309u, 11202624720841530437u},
  };
  for (const Case& want : cases) {
    const SampleFiles files = writeAll(100, want.seed, want.kind);
    const std::string context = std::string(sampleKindName(want.kind)) +
                                " seed " + std::to_string(want.seed);
    EXPECT_EQ(18u, files.dictionary.size()) << context;
    EXPECT_EQ(want.dictionary, fingerprint(files.dictionary)) << context;
    EXPECT_EQ(want.sentences, fingerprint(files.sentences)) << context;
    EXPECT_EQ(want.images, fingerprint(files.images)) << context;
    EXPECT_EQ(want.captions, fingerprint(files.captions)) << context;
  }
}

constexpr int kPhotoSide = 32;

// Values 13 and up are the shape's colour, the others the background.
TEST(SampleDataSet, EachPhotoShowsItsCaptionInSixteenValues) {
  const SampleFiles files = writeAll(200, 1, SampleKind::kPhotos);
  ASSERT_EQ(22u, files.dictionary.size());
  std::map<std::string, std::set<int>> countsBySizeAndShape;
  std::set<std::string> tones;
  for (std::size_t pair = 0; pair < files.captions.size(); ++pair) {
    const std::string& caption = files.captions[pair];
    const std::vector<std::string> words = split(caption, ' ');
    const std::vector<std::string> sentence = split(files.sentences[pair], ',');
    ASSERT_EQ(8u, words.size()) << caption;
    ASSERT_EQ(8u, sentence.size()) << caption;
    EXPECT_EQ("on a", words[4] + " " + words[5]) << caption;
    for (std::size_t index = 0; index < sentence.size(); ++index) {
      EXPECT_EQ(words[index],
                files.dictionary.at(std::stoul(sentence[index]) - 1));
    }
    const std::vector<std::string> values = split(files.images[pair], ',');
    ASSERT_EQ(static_cast<std::size_t>(kPhotoSide * kPhotoSide), values.size());
    std::set<int> shapeValues;
    int pixels = 0;
    int firstColumn = kPhotoSide, lastColumn = -1;
    int darkest = 15, brightest = 0;
    for (int position = 0; position < kPhotoSide * kPhotoSide; ++position) {
      const int value = std::stoi(values[position]);
      ASSERT_TRUE(value >= 0 && value <= 15) << caption;
      if (value < 13) {
        darkest = std::min(darkest, value);
        brightest = std::max(brightest, value);
        continue;
      }
      shapeValues.insert(value);
      ++pixels;
      firstColumn = std::min(firstColumn, position % kPhotoSide);
      lastColumn = std::max(lastColumn, position % kPhotoSide);
    }
    const int colour = 13 + indexOf(words[2], {"red", "green", "blue"});
    EXPECT_EQ(std::set<int>{colour}, shapeValues) << caption;
    EXPECT_EQ(words[1] == "big" ? 16 : 8, lastColumn - firstColumn + 1)
        << caption;
    EXPECT_TRUE(words[6] == "dark" ? brightest <= 5 : darkest >= 7) << caption;
    tones.insert(words[6]);
    countsBySizeAndShape[words[1] + " " + words[3]].insert(pixels);
  }
  EXPECT_EQ(2u, tones.size());
  expectOnePixelCountPerSizeAndShape(countsBySizeAndShape);
}

// The share of positions at which one image holds the same value as the
// next, on average over a set.
double shareOfEqualPositions(const std::vector<std::string>& images) {
  double equal = 0;
  double compared = 0;
  for (std::size_t pair = 0; pair + 1 < images.size(); ++pair) {
    const std::vector<std::string> first = split(images[pair], ',');
    const std::vector<std::string> next = split(images[pair + 1], ',');
    for (std::size_t position = 0; position < first.size(); ++position) {
      equal += first[position] == next[position] ? 1 : 0;
      ++compared;
    }
  }
  return equal / compared;
}

TEST(SampleDataSet, PhotosShareNoBackgroundAndFollowFromTheSeedAlone) {
  const SampleFiles photos = writeAll(100, 2, SampleKind::kPhotos);
  const double photoShare = shareOfEqualPositions(photos.images);
  EXPECT_LT(photoShare, 0.25);
  // The measure itself: the scenes' common background makes it large.
  EXPECT_GT(shareOfEqualPositions(writeAll(100, 2).images), 0.9);

  EXPECT_EQ(photos.images, writeAll(100, 2, SampleKind::kPhotos).images);
  EXPECT_EQ(photos.captions, writeAll(100, 2, SampleKind::kPhotos).captions);
  EXPECT_NE(photos.images, writeAll(100, 3, SampleKind::kPhotos).images);
}

// The values a line of the sample files holds, read without the reader's
// rules, so that lines it would skip are compared as well.
std::vector<std::int32_t> valuesOf(const std::string& line) {
  std::vector<std::int32_t> values;
  for (const std::string& field : split(line, ',')) {
    values.push_back(std::stoi(field));
  }
  return values;
}

// Instance by instance, so that a difference names its place instead of
// printing hundreds of images.
void expectSameInstances(const InstanceList& got, const InstanceList& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    ASSERT_TRUE(got[i] == want[i]) << "instance " << i;
  }
}

// Pairs handed over as values are the pairs the files give: line by line,
// and after the reader's rules at the sample run script's order and at one
// that the four-word shape captions fall short of.
TEST(SampleDataSet, AppendedPairsAreTheValuesTheFilesGiveTheReader) {
  constexpr std::uint32_t kPairs = 300;
  for (const SampleKind kind :
       {SampleKind::kScenes, SampleKind::kShapes, SampleKind::kPhotos}) {
    SCOPED_TRACE(std::string(sampleKindName(kind)));
    const SampleDataSet dataSet(kPairs, 11, kind);
    std::ostringstream sentences, images;
    dataSet.writeSentences(sentences);
    dataSet.writeImages(images);
    InstanceList rows;
    dataSet.appendPairs(rows);
    const std::vector<std::string> sentenceLines = split(sentences.str(), '\n');
    const std::vector<std::string> imageLines = split(images.str(), '\n');
    ASSERT_EQ(rows.size(), 2 * kPairs);
    ASSERT_EQ(sentenceLines.size(), kPairs);
    ASSERT_EQ(imageLines.size(), kPairs);
    for (std::size_t pair = 0; pair < kPairs; ++pair) {
      ASSERT_TRUE(rows[2 * pair] == valuesOf(sentenceLines[pair]))
          << "pair " << pair;
      ASSERT_TRUE(rows[2 * pair + 1] == valuesOf(imageLines[pair]))
          << "pair " << pair;
    }
    for (const std::string order : {"3", "5"}) {
      SCOPED_TRACE("order " + order);
      BimodalCSVFileWrapper files;
      files.order = std::stoi(order);
      files.set("order2", "3");
      std::istringstream sentenceText(sentences.str());
      std::istringstream imageText(images.str());
      files.readPairs(sentenceText, imageText, "sentences.csv", "images.csv");
      InMemoryDataSet handedOver(rows);
      handedOver.set("order", order);
      handedOver.set("order2", "3");
      handedOver.load();
      expectSameInstances(handedOver.instances, files.instances);
    }
  }
}

}  // namespace
}  // namespace hn
