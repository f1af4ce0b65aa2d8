#include "learner/driver/generation_output.h"

#include <algorithm>
#include <charconv>
#include <future>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "common/parallel_for.h"
#include "learner/driver/termination_deferral.h"

namespace hn {
namespace {

// Enough pairs per batch to keep every thread busy, few enough that the
// batch's output is small; fewer where results are large, so that a batch's
// results take about `kBatchBytes` (see `nextBatchPairs`).
constexpr std::size_t kBatchPairs = 1024;
constexpr std::size_t kBatchBytes = std::size_t{64} << 20;

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

// Per pair, the first pair whose result it may take: itself or one before.
using Sharing = std::function<std::vector<std::size_t>()>;

// Results generated for a pair that pairs of later batches share, kept
// until the last of those is written, as long as those kept take no more
// than `kMostKeptBytes` (as `Result::bytes` counts them); a pair whose
// first's result was not kept generates its own, which is the same. A
// bound in bytes rather than in results keeps every distinct result of a
// large run that repeats a few thousand images or sentences throughout,
// each generated once, and the memory bounded where results are large.
// Used by the generating and the writing thread at once.
template <typename Result>
class KeptResults {
 public:
  static constexpr std::size_t kMostKeptBytes = std::size_t{256} << 20;

  KeptResults(const Sharing& share, std::size_t pairs) {
    if (share) firstOf = share();
    if (firstOf.size() != pairs) {
      firstOf.resize(pairs);
      std::iota(firstOf.begin(), firstOf.end(), std::size_t{0});
    }
    lastOf.resize(pairs);
    for (std::size_t pair = 0; pair < pairs; ++pair) {
      lastOf[firstOf[pair]] = pair;
    }
  }

  std::size_t first(std::size_t pair) const { return firstOf[pair]; }

  // Keeps the result of `pair` if a pair from `end` on shares it.
  void keep(std::size_t pair, std::size_t end, const Result& result) {
    if (lastOf[pair] < end) return;
    const std::size_t bytes = result.bytes();
    const std::lock_guard lock(mutex);
    if (keptBytes + bytes <= kMostKeptBytes) {
      kept.emplace(pair, Kept{std::make_shared<const Result>(result), bytes});
      keptBytes += bytes;
    }
  }

  std::shared_ptr<const Result> find(std::size_t pair) const {
    const std::lock_guard lock(mutex);
    const auto found = kept.find(pair);
    return found != kept.end() ? found->second.result : nullptr;
  }

  // Lets go of the result `pair` shared, once no later pair needs it.
  void written(std::size_t pair) {
    if (lastOf[firstOf[pair]] != pair || firstOf[pair] == pair) return;
    const std::lock_guard lock(mutex);
    const auto found = kept.find(firstOf[pair]);
    if (found == kept.end()) return;
    keptBytes -= found->second.bytes;
    kept.erase(found);
  }

 private:
  std::vector<std::size_t> firstOf;
  std::vector<std::size_t> lastOf;
  struct Kept {
    std::shared_ptr<const Result> result;
    std::size_t bytes;
  };
  mutable std::mutex mutex;
  std::unordered_map<std::size_t, Kept> kept;
  std::size_t keptBytes = 0;
};

// A batch of pairs and what was generated for them.
template <typename Result>
struct Batch {
  std::size_t first = 0;
  std::vector<Result> results;
  // Per pair of the batch, the pair of the batch whose result it shares,
  // or a result kept from an earlier batch.
  std::vector<std::size_t> sameAs;
  std::vector<std::shared_ptr<const Result>> kept;
  // What the results generated for the batch take, as `Result::bytes`
  // counts it.
  std::size_t bytes = 0;

  std::size_t size() const { return sameAs.size(); }

  const Result& resultOf(std::size_t i) const {
    return kept[i] != nullptr ? *kept[i] : results[sameAs[i]];
  }
};

// Calls `generate(pairs, slots)` on `threads` threads for the pairs of a
// batch that share no other's result, up to `pairsPerCall` at a time.
template <typename Result, typename Generate>
void generateBatch(Batch<Result>& batch, std::size_t count, unsigned threads,
                   KeptResults<Result>& shared, std::size_t pairsPerCall,
                   const Generate& generate) {
  batch.results.assign(count, Result{});
  batch.sameAs.resize(count);
  batch.kept.assign(count, nullptr);
  std::vector<std::size_t> distinct;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t first = shared.first(batch.first + i);
    batch.sameAs[i] = i;
    if (first >= batch.first && first < batch.first + i) {
      batch.sameAs[i] = first - batch.first;
    } else if (first < batch.first) {
      batch.kept[i] = shared.find(first);
    }
    if (batch.sameAs[i] == i && batch.kept[i] == nullptr) {
      distinct.push_back(i);
    }
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
  batch.bytes = 0;
  for (const std::size_t i : distinct) {
    batch.bytes += batch.results[i].bytes();
    shared.keep(batch.first + i, batch.first + count, batch.results[i]);
  }
}

// The pairs of the batch after `done`: as many as the results of `done`
// suggest fit in `kBatchBytes`, at most twice as many as `done` had, and
// no fewer than `leastPairs`. A run whose results are large (long
// captions give thousands of fragments an image) keeps a few of them at
// once instead of two full batches; the first batch is of `leastPairs`.
template <typename Result>
std::size_t nextBatchPairs(const Batch<Result>& done, std::size_t leastPairs) {
  const std::size_t bytesPerPair = std::max<std::size_t>(
      done.bytes / std::max<std::size_t>(done.size(), 1), 1);
  const std::size_t fitting = kBatchBytes / bytesPerPair;
  const std::size_t most =
      std::max(std::min(kBatchPairs, 2 * done.size()), leastPairs);
  return std::clamp(fitting, leastPairs, most);
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
  KeptResults<Result> shared(share, pairs);
  const std::size_t leastPairs =
      std::min(kBatchPairs, pairsPerCall * std::max(threads, 1u));
  if (pairs > 0) {
    generateBatch(batches[0], std::min(leastPairs, pairs), threads, shared,
                  pairsPerCall, generate);
  }
  for (std::size_t first = 0, slot = 0; first < pairs && out; slot ^= 1) {
    const Batch<Result>& batch = batches[slot];
    const std::size_t next = first + batch.size();
    std::future<void> nextBatch;
    if (next < pairs) {
      Batch<Result>& following = batches[slot ^ 1];
      following.first = next;
      const std::size_t count =
          std::min(nextBatchPairs(batch, leastPairs), pairs - next);
      const auto generateNext = [&, count] {
        generateBatch(following, count, threads, shared, pairsPerCall,
                      generate);
      };
      // A thread that cannot be started leaves the next batch to this one.
      try {
        nextBatch = std::async(std::launch::async, generateNext);
      } catch (const std::system_error&) {
        generateNext();
      }
    }
    for (std::size_t i = 0; i < batch.size(); ++i) {
      write(first + i, batch.resultOf(i));
      shared.written(first + i);
    }
    if (nextBatch.valid()) nextBatch.get();
    first = next;
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
    std::size_t bytes() const { return sizeof *this + line.capacity(); }
  };
  const Sharing share = [&] {
    std::vector<InstanceView> sentences;
    for (std::size_t pair = 0; 2 * pair < instances.size(); ++pair) {
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
    std::size_t bytes() const {
      std::size_t total = sizeof *this + text.capacity() +
                          fragments.capacity() * sizeof(Hyperedge);
      for (const Hyperedge& fragment : fragments) {
        total += fragment.vertexCount * sizeof(std::int32_t);
      }
      return total;
    }
  };
  const Sharing share = [&] {
    std::vector<InstanceView> images;
    for (std::size_t pair = 0; 2 * pair + 1 < instances.size(); ++pair) {
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
