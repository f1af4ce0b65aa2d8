#include "learner/driver/generation_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "learner/data/hyperedge_testing.h"

namespace {

using hn::Hyperedge;
using hn::ImageBuffer;
using hn::InstanceList;
using hn::InstanceView;
using hn::Layout;
using hn::testing::edge;

// An engine whose answers are easy to foresee: an image that holds the
// sentence's words at its first positions, and from an image the fragments
// of its first two values. Counts what it is asked, from any thread.
class ForeseeableQueries : public hn::Queries {
 public:
  explicit ForeseeableQueries(bool sharing) : sharing(sharing) {}

  void forEachMatch(const Hyperedge&, const MatchVisit&) const override {}
  void inferImageValues(Layout, std::span<const std::int32_t>,
                        std::vector<std::int32_t>&) const override {}
  void generateImage(Layout, std::span<const std::int32_t> sentence,
                     ImageBuffer& image) const override {
    ++imagesGenerated;
    std::copy(sentence.begin(), sentence.end(), image.begin());
  }
  void generateText(Layout, const ImageBuffer& image,
                    std::vector<Hyperedge>& fragments) const override {
    ++textsGenerated;
    fragments.push_back(edge({image[0], image[1]}, 1.5));
    fragments.push_back(edge({image[1]}, 0.5));
  }
  std::vector<std::uint32_t> imageMismatches(Layout, const InstanceList&,
                                             const PairsDone&) override {
    return {};
  }
  bool generatesImage(Layout, std::size_t, std::span<const std::int32_t>,
                      const ImageBuffer&) override {
    return false;
  }
  // When sharing, sentences of equal first words share.
  std::vector<std::size_t> sharedImages(
      std::span<const InstanceView> sentences) const override {
    std::vector<std::size_t> first(sentences.size());
    for (std::size_t i = 0; i < sentences.size(); ++i) {
      first[i] = i;
      for (std::size_t j = 0; sharing && j < i; ++j) {
        if (sentences[j][0] == sentences[i][0]) {
          first[i] = j;
          break;
        }
      }
    }
    return first;
  }
  // When sharing, equal images share.
  std::vector<std::size_t> sharedTexts(
      std::span<const InstanceView> images) const override {
    std::vector<std::size_t> first(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
      first[i] = i;
      for (std::size_t j = 0; sharing && j < i; ++j) {
        if (images[j] == images[i]) {
          first[i] = j;
          break;
        }
      }
    }
    return first;
  }

  mutable std::atomic<int> imagesGenerated{0};
  mutable std::atomic<int> textsGenerated{0};

 private:
  const bool sharing;
};

// More pairs than two batches of 1024 hold; seven distinct sentences, and
// an image of its own for every pair.
constexpr int kPairs = 2500;
constexpr int kSentences = 7;

std::string expectedImages() {
  std::string text;
  for (int pair = 0; pair < kPairs; ++pair) {
    text += "line : " + std::to_string(pair) + "\n" +
            std::to_string(pair % kSentences) + " 100";
    for (std::size_t p = 2; p < hn::kImageSize; ++p) text += " -1";
    text += '\n';
  }
  return text;
}

// Every pair an image of its own, or one of `distinctImages`.
InstanceList pairsWithImages(int distinctImages = kPairs) {
  InstanceList instances;
  for (int pair = 0; pair < kPairs; ++pair) {
    const int image = pair % distinctImages;
    instances.push_back(std::vector<std::int32_t>{pair % kSentences, 100});
    instances.push_back(std::vector<std::int32_t>{image, image + 1});
  }
  return instances;
}

std::string expectedTexts(int distinctImages = kPairs) {
  std::string text;
  for (int pair = 0; pair < kPairs; ++pair) {
    const std::string first = std::to_string(pair % distinctImages);
    const std::string second = std::to_string(pair % distinctImages + 1);
    text += "line : " + std::to_string(pair) + "\n{(" + first + "," + second +
            "):1.5}\n{(" + second + "):0.5}\n";
  }
  return text;
}

// Pairs are written in order, each once, whatever the threads; within a
// batch, pairs the engine lets share are generated once.
TEST(GenerationOutput, ImagesAreWrittenInOrderAndSharedWithinABatch) {
  const InstanceList instances = pairsWithImages();
  const std::string expected = expectedImages();
  for (const bool sharing : {false, true}) {
    for (const unsigned threads : {1u, 3u}) {
      const ForeseeableQueries queries(sharing);
      std::ostringstream out;
      std::vector<std::size_t> written;
      hn::writeGeneratedImages(
          out, queries, Layout{1, 1}, instances, threads,
          [&](std::size_t pair, const ImageBuffer& image) {
            EXPECT_EQ(static_cast<std::int32_t>(pair) % kSentences, image[0]);
            written.push_back(pair);
          });
      const std::string context = std::string(sharing ? "" : "not ") +
                                  "sharing, " + std::to_string(threads) +
                                  " threads";
      EXPECT_TRUE(out.str() == expected) << context;
      EXPECT_EQ(kPairs, static_cast<int>(written.size())) << context;
      EXPECT_TRUE(std::is_sorted(written.begin(), written.end())) << context;
      // Three batches, each with every sentence.
      EXPECT_EQ(sharing ? 3 * kSentences : kPairs,
                queries.imagesGenerated.load())
          << context;
    }
  }
}

// Texts likewise: in order, each pair once; within a batch, equal images
// that the engine lets share are generated once.
TEST(GenerationOutput, TextsAreWrittenInOrderAndSharedWithinABatch) {
  const struct {
    int distinctImages;
    bool sharing;
    int generated;
  } cases[] = {{kPairs, true, kPairs},
               {5, false, kPairs},
               {5, true, 3 * 5}};  // three batches, each with every image
  for (const auto& c : cases) {
    const InstanceList instances = pairsWithImages(c.distinctImages);
    for (const unsigned threads : {1u, 3u}) {
      const ForeseeableQueries queries(c.sharing);
      std::ostringstream out;
      std::size_t next = 0;
      hn::writeGeneratedTexts(
          out, queries, Layout{1, 1}, instances, threads,
          [&](std::size_t pair, const std::vector<Hyperedge>& fragments) {
            EXPECT_EQ(next++, pair);
            EXPECT_EQ(2u, fragments.size());
          });
      const std::string context = std::to_string(c.distinctImages) +
                                  " images, " + (c.sharing ? "" : "not ") +
                                  "sharing, " + std::to_string(threads) +
                                  " threads";
      EXPECT_TRUE(out.str() == expectedTexts(c.distinctImages)) << context;
      EXPECT_EQ(c.generated, queries.textsGenerated.load()) << context;
    }
  }
}

// A write that fails ends the writing with its batch.
TEST(GenerationOutput, AFailedWriteStopsAfterItsBatch) {
  const InstanceList instances = pairsWithImages();
  const ForeseeableQueries queries(true);
  std::ostringstream out;
  std::size_t written = 0;
  hn::writeGeneratedImages(out, queries, Layout{1, 1}, instances, 2,
                           [&](std::size_t pair, const ImageBuffer&) {
                             ++written;
                             if (pair == 10) out.setstate(std::ios::badbit);
                           });
  EXPECT_EQ(1024u, written);
}

}  // namespace
