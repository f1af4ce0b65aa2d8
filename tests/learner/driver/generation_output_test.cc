#include "learner/driver/generation_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <span>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "learner/data/hyperedge_testing.h"

namespace {

using hn::Hyperedge;
using hn::ImageBuffer;
using hn::InstanceList;
using hn::InstanceView;
using hn::Layout;
using hn::OutputFlushing;
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

constexpr OutputFlushing kFlushings[] = {OutputFlushing::kEveryLine,
                                         OutputFlushing::kWholeRecords};

std::string nameOf(OutputFlushing flushing) {
  return flushing == OutputFlushing::kEveryLine ? "every line"
                                                : "whole records";
}

// Keeps what is written between two flushes as one piece: what a file
// receives from a std::filebuf in one call.
class FlushedPieces : public std::streambuf {
 public:
  std::vector<std::string> pieces;
  // Written and not flushed yet.
  std::string pending;

 protected:
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    pending.append(text, static_cast<std::size_t>(count));
    return count;
  }
  int_type overflow(int_type character) override {
    if (traits_type::eq_int_type(character, traits_type::eof())) return 0;
    pending += traits_type::to_char_type(character);
    return character;
  }
  int sync() override {
    if (!pending.empty()) pieces.push_back(std::move(pending));
    pending.clear();
    return 0;
  }
};

// `text` cut where `flushing` flushes: after every line, or before every
// header but the first.
std::vector<std::string> piecesOf(const std::string& text,
                                  OutputFlushing flushing) {
  std::vector<std::string> pieces;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start) + 1;
    const std::string line = text.substr(start, end - start);
    if (flushing == OutputFlushing::kWholeRecords &&
        !line.starts_with("line : ")) {
      pieces.back() += line;
    } else {
      pieces.push_back(line);
    }
    start = end;
  }
  return pieces;
}

// Pairs are written in order, each once, whatever the threads, a line or a
// whole record per flush; pairs the engine lets share are
// generated once.
TEST(GenerationOutput, ImagesAreWrittenInOrderAndSharedAcrossBatches) {
  const InstanceList instances = pairsWithImages();
  const std::string expected = expectedImages();
  for (const OutputFlushing flushing : kFlushings) {
    for (const bool sharing : {false, true}) {
      for (const unsigned threads : {1u, 3u}) {
        const ForeseeableQueries queries(sharing);
        FlushedPieces flushed;
        std::ostream out(&flushed);
        std::vector<std::size_t> written;
        hn::writeGeneratedImages(
            out, queries, Layout{1, 1}, instances, threads, flushing,
            [&](std::size_t pair, const ImageBuffer& image) {
              EXPECT_EQ(static_cast<std::int32_t>(pair) % kSentences, image[0]);
              written.push_back(pair);
            });
        const std::string context = nameOf(flushing) + ", " +
                                    (sharing ? "" : "not ") + "sharing, " +
                                    std::to_string(threads) + " threads";
        EXPECT_TRUE(flushed.pieces == piecesOf(expected, flushing)) << context;
        EXPECT_EQ("", flushed.pending) << context;
        EXPECT_EQ(kPairs, static_cast<int>(written.size())) << context;
        EXPECT_TRUE(std::is_sorted(written.begin(), written.end())) << context;
        // Each sentence once, for all three batches.
        EXPECT_EQ(sharing ? kSentences : kPairs, queries.imagesGenerated.load())
            << context;
      }
    }
  }
}

// Texts likewise: in order, each pair once; equal images
// that the engine lets share are generated once.
TEST(GenerationOutput, TextsAreWrittenInOrderAndSharedAcrossBatches) {
  const struct {
    int distinctImages;
    bool sharing;
    int generated;
  } cases[] = {{kPairs, true, kPairs},
               {5, false, kPairs},
               {5, true, 5}};  // each image once, for all three batches
  for (const auto& c : cases) {
    const InstanceList instances = pairsWithImages(c.distinctImages);
    for (const OutputFlushing flushing : kFlushings) {
      for (const unsigned threads : {1u, 3u}) {
        const ForeseeableQueries queries(c.sharing);
        FlushedPieces flushed;
        std::ostream out(&flushed);
        std::size_t next = 0;
        hn::writeGeneratedTexts(
            out, queries, Layout{1, 1}, instances, threads, flushing,
            [&](std::size_t pair, const std::vector<Hyperedge>& fragments) {
              EXPECT_EQ(next++, pair);
              EXPECT_EQ(2u, fragments.size());
            });
        const std::string context = std::to_string(c.distinctImages) +
                                    " images, " + (c.sharing ? "" : "not ") +
                                    "sharing, " + nameOf(flushing) + ", " +
                                    std::to_string(threads) + " threads";
        EXPECT_TRUE(flushed.pieces ==
                    piecesOf(expectedTexts(c.distinctImages), flushing))
            << context;
        EXPECT_EQ("", flushed.pending) << context;
        EXPECT_EQ(c.generated, queries.textsGenerated.load()) << context;
      }
    }
  }
}

// A write that fails ends the writing with its batch.
TEST(GenerationOutput, AFailedWriteStopsAfterItsBatch) {
  const InstanceList instances = pairsWithImages();
  for (const OutputFlushing flushing : kFlushings) {
    const ForeseeableQueries queries(true);
    std::ostringstream out;
    std::size_t written = 0;
    hn::writeGeneratedImages(out, queries, Layout{1, 1}, instances, 2, flushing,
                             [&](std::size_t pair, const ImageBuffer&) {
                               ++written;
                               if (pair == 10) out.setstate(std::ios::badbit);
                             });
    EXPECT_GT(written, 10u) << nameOf(flushing);
    EXPECT_LT(written, static_cast<std::size_t>(kPairs)) << nameOf(flushing);
  }
}

// An engine whose every text is over 1 MB: 500 fragments of 300 words.
// Counts the texts generated and not yet written, and the most at once.
class BulkyQueries : public ForeseeableQueries {
 public:
  BulkyQueries() : ForeseeableQueries(false) {}

  void generateText(Layout, const ImageBuffer& image,
                    std::vector<Hyperedge>& fragments) const override {
    const std::vector<std::int32_t> words(300, image[0]);
    fragments.assign(500, Hyperedge(300, words.data()));
    const int now = ++alive;
    for (int most = mostAlive.load(); now > most;) {
      mostAlive.compare_exchange_weak(most, now);
    }
  }

  mutable std::atomic<int> alive{0};
  mutable std::atomic<int> mostAlive{0};
};

// Takes what is written and keeps nothing.
class Discarded : public std::streambuf {
 protected:
  std::streamsize xsputn(const char*, std::streamsize count) override {
    return count;
  }
  int_type overflow(int_type character) override {
    return traits_type::not_eof(character);
  }
};

// Large texts are generated a few at a time rather than a thousand: two
// batches of about 64 MB, or of the 64 images that a thread matches at
// once, are alive at once, whatever the pairs.
TEST(GenerationOutput, LargeTextsAreHeldAFewBatchesAtATime) {
  constexpr int kBulkyPairs = 200;
  InstanceList instances;
  for (int pair = 0; pair < kBulkyPairs; ++pair) {
    instances.push_back(std::vector<std::int32_t>{0});
    instances.push_back(std::vector<std::int32_t>{pair});
  }
  const BulkyQueries queries;
  Discarded discarded;
  std::ostream out(&discarded);
  std::size_t next = 0;
  hn::writeGeneratedTexts(
      out, queries, Layout{1, 1}, instances, 1, OutputFlushing::kWholeRecords,
      [&](std::size_t pair, const std::vector<Hyperedge>& fragments) {
        EXPECT_EQ(next++, pair);
        ASSERT_EQ(500u, fragments.size());
        EXPECT_EQ(static_cast<std::int32_t>(pair), fragments[0].vertices[0]);
        --queries.alive;
      });
  EXPECT_EQ(static_cast<std::size_t>(kBulkyPairs), next);
  EXPECT_LE(queries.mostAlive.load(), 2 * 64);
}

}  // namespace
