#include "learner/driver/generation_output.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>
#include <string>
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

// Calls `generate(pair, slot)` for the pairs of each batch on the learner's
// threads, then `write(pair, slot)` for them in order on this one. Pairs of
// a batch with equal `key`s (when it is given) are generated once. Stops
// after the batch in which a write to `out` failed: the caller reports it.
template <typename Result, typename Generate, typename Write>
void inBatches(const std::ostream& out, std::size_t pairs, unsigned threads,
               const std::function<std::string(std::size_t pair)>& key,
               const Generate& generate, const Write& write) {
  std::vector<Result> results;
  std::vector<std::size_t> sameAs;
  std::vector<std::size_t> distinct;
  std::unordered_map<std::string, std::size_t> firstWithKey;
  for (std::size_t first = 0; first < pairs && out; first += kBatchPairs) {
    const std::size_t count = std::min(kBatchPairs, pairs - first);
    results.assign(count, Result{});
    sameAs.resize(count);
    distinct.clear();
    firstWithKey.clear();
    for (std::size_t i = 0; i < count; ++i) {
      sameAs[i] = key ? firstWithKey.try_emplace(key(first + i), i).first->second
                      : i;
      if (sameAs[i] == i) distinct.push_back(i);
    }
    parallelFor(distinct.size(), threads, [&](std::size_t d) {
      generate(first + distinct[d], results[distinct[d]]);
    });
    for (std::size_t i = 0; i < count; ++i) {
      write(first + i, results[sameAs[i]]);
    }
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
  inBatches<std::vector<Hyperedge>>(
      out, dataSet.instances.size() / 2, learner.threads, {},
      [&](std::size_t pair, std::vector<Hyperedge>& fragments) {
        const ImageBuffer image = imageOf(dataSet.instances[2 * pair + 1]);
        if (generator) {
          generator->generate(image, fragments);
        } else {
          learner.generateText(image, fragments);
        }
      },
      [&](std::size_t pair, const std::vector<Hyperedge>& fragments) {
        writeHeader(out, pair);
        for (const Hyperedge& fragment : fragments) {
          out << fragment << '\n' << std::flush;
        }
        if (written) written(pair, fragments);
      });
}

}  // namespace hn
