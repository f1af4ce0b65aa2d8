#include "learner/driver/generation_output.h"

#include <algorithm>
#include <charconv>
#include <future>
#include <numeric>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "common/parallel_for.h"
#include "learner/driver/termination_deferral.h"

namespace hn {
namespace {

// Enough pairs per batch to keep every thread busy, few enough that the
// batch's output is small.
constexpr std::size_t kBatchPairs = 1024;

// Images handed to the engine at once, which it may match together.
constexpr std::size_t kImagesPerCall = 64;

// One write, then a flush. The buffer of a std::filebuf is empty after the
// last flush; it passes a write of 1024 bytes or more straight to the file
// and keeps a shorter one until the flush, so `text` reaches the file in
// one system call either way: whole, unless the call fails or a signal
// that ends the process cuts it short (see TerminationDeferral).
void writeFlushed(std::ostream& out, std::string_view text) {
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
}

// Writes each pair's record: its header line, then its lines, each ended
// by a line feed.
class RecordWriter {
 public:
  RecordWriter(std::ostream& out, OutputFlushing flushing) : out(out) {
    if (flushing == OutputFlushing::kWholeRecords) deferral.emplace();
  }

  void write(std::size_t pair, std::string_view lines) {
    const std::string header = "line : " + std::to_string(pair) + '\n';
    if (deferral) {
      const std::string record = header + std::string(lines);
      deferral->writeWhole([&] { writeFlushed(out, record); });
      return;
    }
    writeFlushed(out, header);
    for (std::size_t start = 0; start < lines.size();) {
      const std::size_t end = lines.find('\n', start) + 1;
      writeFlushed(out, lines.substr(start, end - start));
      start = end;
    }
  }

 private:
  std::ostream& out;
  // Whole records only: lets no signal end the process inside one.
  std::optional<TerminationDeferral> deferral;
};

// 4800 values separated by single blanks, and the line feed, so that the
// line reaches the file in one write.
std::string imageValuesLine(const ImageBuffer& image) {
  std::string line;
  line.reserve(image.size() * 4);
  char digits[16];
  for (std::size_t i = 0; i < image.size(); ++i) {
    if (i > 0) line += ' ';
    const auto end = std::to_chars(digits, digits + sizeof digits, image[i]);
    line.append(digits, end.ptr);
  }
  line += '\n';
  return line;
}

// Per pair of a batch (`count` pairs from pair `first`), the pair of the
// batch whose result it takes: itself, or one before it.
using Sharing = std::function<std::vector<std::size_t>(std::size_t first,
                                                       std::size_t count)>;

// A batch of pairs and what was generated for them.
template <typename Result>
struct Batch {
  std::size_t first = 0;
  std::vector<Result> results;
  // Per pair of the batch, the pair whose result it shares.
  std::vector<std::size_t> sameAs;
};

// Calls `generate(pairs, slots)` on `threads` threads for the pairs of a
// batch that share no other's result, up to `pairsPerCall` at a time.
template <typename Result, typename Generate>
void generateBatch(Batch<Result>& batch, std::size_t count, unsigned threads,
                   const Sharing& share, std::size_t pairsPerCall,
                   const Generate& generate) {
  batch.results.assign(count, Result{});
  if (share) {
    batch.sameAs = share(batch.first, count);
  } else {
    batch.sameAs.resize(count);
    std::iota(batch.sameAs.begin(), batch.sameAs.end(), std::size_t{0});
  }
  std::vector<std::size_t> distinct;
  for (std::size_t i = 0; i < count; ++i) {
    if (batch.sameAs[i] == i) distinct.push_back(i);
  }
  const std::size_t calls = (distinct.size() + pairsPerCall - 1) / pairsPerCall;
  parallelFor(calls, threads, [&](std::size_t call) {
    const std::size_t begin = call * pairsPerCall;
    const std::size_t end = std::min(begin + pairsPerCall, distinct.size());
    std::vector<std::size_t> pairs;
    std::vector<Result*> slots;
    for (std::size_t d = begin; d < end; ++d) {
      pairs.push_back(batch.first + distinct[d]);
      slots.push_back(&batch.results[distinct[d]]);
    }
    generate(std::span<const std::size_t>(pairs),
             std::span<Result* const>(slots));
  });
}

// Generates the pairs a batch at a time and calls `write(pair, slot)` for
// them in order on this thread, while the next batch is being generated on
// the others. Stops after the batch in which a write to `out` failed: the
// caller reports it.
template <typename Result, typename Generate, typename Write>
void inBatches(const std::ostream& out, std::size_t pairs, unsigned threads,
               const Sharing& share, std::size_t pairsPerCall,
               const Generate& generate, const Write& write) {
  Batch<Result> batches[2];
  const auto countFrom = [pairs](std::size_t first) {
    return std::min(kBatchPairs, pairs - first);
  };
  if (pairs > 0) {
    generateBatch(batches[0], countFrom(0), threads, share, pairsPerCall,
                  generate);
  }
  for (std::size_t first = 0, slot = 0; first < pairs && out;
       first += kBatchPairs, slot ^= 1) {
    const std::size_t next = first + kBatchPairs;
    std::future<void> nextBatch;
    if (next < pairs) {
      Batch<Result>& following = batches[slot ^ 1];
      following.first = next;
      const auto generateNext = [&, next] {
        generateBatch(following, countFrom(next), threads, share, pairsPerCall,
                      generate);
      };
      // A thread that cannot be started leaves the next batch to this one.
      try {
        nextBatch = std::async(std::launch::async, generateNext);
      } catch (const std::system_error&) {
        generateNext();
      }
    }
    const Batch<Result>& batch = batches[slot];
    for (std::size_t i = 0; i < batch.sameAs.size(); ++i) {
      write(first + i, batch.results[batch.sameAs[i]]);
    }
    if (nextBatch.valid()) nextBatch.get();
  }
}

}  // namespace

void writeGeneratedImages(std::ostream& out, const Queries& queries,
                          Layout layout, const InstanceList& instances,
                          unsigned threads, OutputFlushing flushing,
                          const ImageWritten& written) {
  struct Generated {
    ImageBuffer image;
    std::string line;
  };
  const Sharing share = [&](std::size_t first, std::size_t count) {
    std::vector<InstanceView> sentences;
    sentences.reserve(count);
    for (std::size_t pair = first; pair < first + count; ++pair) {
      sentences.push_back(instances[2 * pair]);
    }
    return queries.sharedImages(sentences);
  };
  RecordWriter records(out, flushing);
  inBatches<Generated>(
      out, (instances.size() + 1) / 2, threads, share, 1,
      [&](std::span<const std::size_t> pairs,
          std::span<Generated* const> slots) {
        Generated& generated = *slots.front();
        generated.image.fill(-1);
        queries.generateImage(layout, instances[2 * pairs.front()].values(),
                              generated.image);
        generated.line = imageValuesLine(generated.image);
      },
      [&](std::size_t pair, const Generated& generated) {
        records.write(pair, generated.line);
        if (written) written(pair, generated.image);
      });
}

void writeGeneratedTexts(std::ostream& out, const Queries& queries,
                         Layout layout, const InstanceList& instances,
                         unsigned threads, OutputFlushing flushing,
                         const TextWritten& written) {
  struct Generated {
    std::vector<Hyperedge> fragments;
    // Their lines, each ended by a line feed.
    std::string text;
  };
  const Sharing share = [&](std::size_t first, std::size_t count) {
    std::vector<InstanceView> images;
    images.reserve(count);
    for (std::size_t pair = first; pair < first + count; ++pair) {
      images.push_back(instances[2 * pair + 1]);
    }
    return queries.sharedTexts(images);
  };
  RecordWriter records(out, flushing);
  inBatches<Generated>(
      out, instances.size() / 2, threads, share, kImagesPerCall,
      [&](std::span<const std::size_t> pairs,
          std::span<Generated* const> slots) {
        std::vector<ImageBuffer> images;
        images.reserve(pairs.size());
        for (const std::size_t pair : pairs) {
          images.push_back(imageBufferOf(instances[2 * pair + 1]));
        }
        std::vector<std::vector<Hyperedge>> fragments(pairs.size());
        queries.generateTexts(layout, images, fragments);
        for (std::size_t k = 0; k < pairs.size(); ++k) {
          Generated& generated = *slots[k];
          generated.fragments = std::move(fragments[k]);
          for (const Hyperedge& fragment : generated.fragments) {
            appendText(generated.text, fragment);
            generated.text += '\n';
          }
        }
      },
      [&](std::size_t pair, const Generated& generated) {
        records.write(pair, generated.text);
        if (written) written(pair, generated.fragments);
      });
}

}  // namespace hn
