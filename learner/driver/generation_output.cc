#include "learner/driver/generation_output.h"

#include <algorithm>
#include <charconv>
#include <future>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>

#include "learner/data/data_set.h"
#include "learner/model/parallel_for.h"
#include "learner/model/text_generator.h"

namespace hn {
namespace {

// Enough pairs per batch to keep every thread busy, few enough that the
// batch's output is small.
constexpr std::size_t kBatchPairs = 1024;

void writeHeader(std::ostream& out, std::size_t pair) {
  out << "line : " << pair << '\n' << std::flush;
}

// 4800 values separated by single blanks.
std::string imageValuesLine(const ImageBuffer& image) {
  std::string line;
  line.reserve(image.size() * 4);
  char digits[16];
  for (std::size_t i = 0; i < image.size(); ++i) {
    if (i > 0) line += ' ';
    const auto end = std::to_chars(digits, digits + sizeof digits, image[i]);
    line.append(digits, end.ptr);
  }
  return line;
}

// A batch of pairs and what was generated for them.
template <typename Result>
struct Batch {
  std::size_t first = 0;
  std::vector<Result> results;
  // Per pair of the batch, the pair whose result it shares.
  std::vector<std::size_t> sameAs;
};

// Calls `generate(pair, slot)` for the pairs of a batch on `threads`
// threads; pairs with equal `key`s (when it is given) are generated once.
template <typename Result, typename Generate>
void generateBatch(Batch<Result>& batch, std::size_t count, unsigned threads,
                   const std::function<std::string(std::size_t pair)>& key,
                   const Generate& generate) {
  batch.results.assign(count, Result{});
  batch.sameAs.resize(count);
  std::vector<std::size_t> distinct;
  std::unordered_map<std::string, std::size_t> firstWithKey;
  for (std::size_t i = 0; i < count; ++i) {
    batch.sameAs[i] =
        key ? firstWithKey.try_emplace(key(batch.first + i), i).first->second
            : i;
    if (batch.sameAs[i] == i) distinct.push_back(i);
  }
  parallelFor(distinct.size(), threads, [&](std::size_t d) {
    generate(batch.first + distinct[d], batch.results[distinct[d]]);
  });
}

// Generates the pairs a batch at a time and calls `write(pair, slot)` for
// them in order on this thread, while the next batch is being generated on
// the others. Stops after the batch in which a write to `out` failed: the
// caller reports it.
template <typename Result, typename Generate, typename Write>
void inBatches(const std::ostream& out, std::size_t pairs, unsigned threads,
               const std::function<std::string(std::size_t pair)>& key,
               const Generate& generate, const Write& write) {
  Batch<Result> batches[2];
  const auto countFrom = [pairs](std::size_t first) {
    return std::min(kBatchPairs, pairs - first);
  };
  if (pairs > 0)
    generateBatch(batches[0], countFrom(0), threads, key, generate);
  for (std::size_t first = 0, slot = 0; first < pairs && out;
       first += kBatchPairs, slot ^= 1) {
    const std::size_t next = first + kBatchPairs;
    std::future<void> nextBatch;
    if (next < pairs) {
      batches[slot ^ 1].first = next;
      nextBatch = std::async(std::launch::async, [&, next, slot] {
        generateBatch(batches[slot ^ 1], countFrom(next), threads, key,
                      generate);
      });
    }
    const Batch<Result>& batch = batches[slot];
    for (std::size_t i = 0; i < batch.sameAs.size(); ++i) {
      write(first + i, batch.results[batch.sameAs[i]]);
    }
    if (nextBatch.valid()) nextBatch.get();
  }
}

// Equal sentences give equal images: a sentence's value count and stored
// bytes tell it apart.
std::string sentenceKey(const InstanceView& sentence) {
  std::string key = std::to_string(sentence.size()) + ':';
  key += sentence.bytes();
  return key;
}

}  // namespace

ImageBuffer imageOf(const InstanceView& values) {
  ImageBuffer image;
  image.fill(-1);
  std::copy_n(values.begin(), std::min(values.size(), kImageSize),
              image.begin());
  return image;
}

void writeGeneratedImages(std::ostream& out, const Hypernetwork& learner,
                          DataSet& dataSet, const ImageWritten& written) {
  struct Generated {
    ImageBuffer image;
    std::string line;
  };
  learner.prepareQueries();
  std::function<std::string(std::size_t)> key;
  if (!learner.literal) {
    key = [&dataSet](std::size_t pair) {
      return sentenceKey(dataSet.instances[2 * pair]);
    };
  }
  inBatches<Generated>(
      out, (dataSet.instances.size() + 1) / 2, learner.threads, key,
      [&](std::size_t pair, Generated& generated) {
        generated.image.fill(-1);
        learner.generateImage(dataSet.instances[2 * pair].values(),
                              generated.image);
        generated.line = imageValuesLine(generated.image);
      },
      [&](std::size_t pair, const Generated& generated) {
        writeHeader(out, pair);
        out << generated.line << '\n' << std::flush;
        if (written) written(pair, generated.image);
      });
}

void writeGeneratedTexts(std::ostream& out, const Hypernetwork& learner,
                         DataSet& dataSet, const TextWritten& written) {
  learner.prepareQueries();
  // Generation reads the store as it stands: one snapshot serves every pair.
  std::optional<TextGenerator> generator;
  if (!learner.literal) {
    generator.emplace(*learner.storage,
                      static_cast<std::uint32_t>(learner.order),
                      static_cast<std::uint32_t>(learner.order2));
  }
  struct Generated {
    std::vector<Hyperedge> fragments;
    // Their lines, each ended by a line feed.
    std::string text;
  };
  inBatches<Generated>(
      out, dataSet.instances.size() / 2, learner.threads, {},
      [&](std::size_t pair, Generated& generated) {
        const ImageBuffer image = imageOf(dataSet.instances[2 * pair + 1]);
        if (generator) {
          generator->generate(image, generated.fragments);
        } else {
          learner.generateText(image, generated.fragments);
        }
        for (const Hyperedge& fragment : generated.fragments) {
          appendText(generated.text, fragment);
          generated.text += '\n';
        }
      },
      [&](std::size_t pair, const Generated& generated) {
        writeHeader(out, pair);
        const std::string_view text = generated.text;
        for (std::size_t start = 0; start < text.size();) {
          const std::size_t end = text.find('\n', start) + 1;
          out.write(text.data() + start,
                    static_cast<std::streamsize>(end - start));
          out.flush();
          start = end;
        }
        if (written) written(pair, generated.fragments);
      });
}

}  // namespace hn
