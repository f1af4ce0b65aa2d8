#include "learner/model/model_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <fstream>
#include <istream>
#include <limits>
#include <ostream>
#include <span>
#include <sstream>
#include <vector>

#include "common/atomic_file.h"
#include "common/crc32.h"
#include "learner/data/hyperedge.h"
#include "learner/data/population.h"
#include "learner/data/storage.h"

namespace hn {
namespace {

constexpr std::array<char, 8> kMagic = {'H', 'N', 'M', 'O',
                                        'D', 'E', 'L', '\0'};
// Magic and version open every version of the format; the rest of the
// header may change with the version.
constexpr std::size_t kVersionEnd = 12;
constexpr std::size_t kKindOffset = 12;
constexpr std::size_t kOrderOffset = 16;
constexpr std::size_t kOrder2Offset = 20;
constexpr std::size_t kCountOffset = 24;
constexpr std::size_t kHeaderChecksumOffset = 32;
constexpr std::size_t kHeaderSize = 36;
constexpr std::size_t kChecksumSize = 4;
// Far beyond any useful hyperedge, small enough that sizes cannot overflow.
constexpr std::int64_t kMaxHyperedgeLength = 1 << 16;
// Bytes written at a time while saving.
constexpr std::size_t kChunkSize = 1 << 16;
constexpr std::size_t kProgressInterval = 1 << 16;

void appendU32(std::string& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    bytes += static_cast<char>((value >> shift) & 0xFFu);
  }
}

void appendU64(std::string& bytes, std::uint64_t value) {
  for (int shift = 0; shift < 64; shift += 8) {
    bytes += static_cast<char>((value >> shift) & 0xFFu);
  }
}

std::uint32_t readU32(std::string_view bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  }
  return value;
}

std::uint64_t readU64(std::string_view bytes, std::size_t offset) {
  return readU32(bytes, offset) |
         (std::uint64_t{readU32(bytes, offset + 4)} << 32);
}

std::int32_t readI32(std::string_view bytes, std::size_t offset) {
  return static_cast<std::int32_t>(readU32(bytes, offset));
}

std::uint32_t checksum(std::string_view bytes) {
  return crc32(bytes.data(), bytes.size());
}

bool isValidShape(ModelShape shape) {
  const std::int64_t length = std::int64_t{shape.order} + shape.order2;
  return shape.order >= 0 && shape.order2 >= 0 && length >= 1 &&
         length <= kMaxHyperedgeLength;
}

std::size_t hyperedgeLength(ModelShape shape) {
  return static_cast<std::size_t>(shape.order) +
         static_cast<std::size_t>(shape.order2);
}

std::size_t recordSize(ModelShape shape) {
  return 4 * hyperedgeLength(shape) + 8;
}

std::string header(ModelShape shape, std::uint64_t count) {
  std::string bytes(kMagic.begin(), kMagic.end());
  appendU32(bytes, kModelFormatVersion);
  appendU32(bytes, kSentenceImageModelKind);
  appendU32(bytes, static_cast<std::uint32_t>(shape.order));
  appendU32(bytes, static_cast<std::uint32_t>(shape.order2));
  appendU64(bytes, count);
  appendU32(bytes, checksum(bytes));
  return bytes;
}

// The checks of the fixed header; empty when it is sound.
std::string headerProblem(std::string_view bytes) {
  if (bytes.empty()) return "is empty";
  const std::size_t compared = std::min(bytes.size(), kMagic.size());
  if (bytes.substr(0, compared) != std::string_view(kMagic.data(), compared)) {
    return "is not a model file: it does not start with the model magic word";
  }
  if (bytes.size() < kVersionEnd) {
    return "is truncated: " + std::to_string(bytes.size()) +
           " bytes end inside the header";
  }
  const std::uint32_t version = readU32(bytes, kMagic.size());
  if (version != kModelFormatVersion) {
    return "has format version " + std::to_string(version) +
           (version > kModelFormatVersion ? ", newer than" : ", not") +
           " the version " + std::to_string(kModelFormatVersion) +
           " this hn_learner reads";
  }
  if (bytes.size() < kHeaderSize) {
    return "is truncated: " + std::to_string(bytes.size()) +
           " bytes end inside the header";
  }
  if (readU32(bytes, kHeaderChecksumOffset) !=
      checksum(bytes.substr(0, kHeaderChecksumOffset))) {
    return "is corrupt: its header checksum does not match";
  }
  const std::uint32_t kind = readU32(bytes, kKindOffset);
  if (kind != kSentenceImageModelKind) {
    return "holds a model of kind " + std::to_string(kind) +
           ", not a sentence-image model (kind " +
           std::to_string(kSentenceImageModelKind) + ")";
  }
  return {};
}

// The checks of the body against the sound header; empty when it is sound.
std::string bodyProblem(std::string_view bytes, ModelShape shape,
                        std::uint64_t count) {
  if (!isValidShape(shape)) {
    return "is corrupt: order " + std::to_string(shape.order) + " and order2 " +
           std::to_string(shape.order2) + " make no hyperedge";
  }
  const std::size_t available = bytes.size() - kHeaderSize;
  const std::size_t record = recordSize(shape);
  // Compared without multiplying first, so that no count can overflow.
  const bool tooShort = available < kChecksumSize ||
                        count > (available - kChecksumSize) / record ||
                        count * record + kChecksumSize > available;
  if (tooShort) {
    return "is truncated: " + std::to_string(bytes.size()) +
           " bytes, too few for its " + std::to_string(count) + " hyperedges";
  }
  const std::size_t expected = kHeaderSize + count * record + kChecksumSize;
  if (bytes.size() > expected) {
    return "is corrupt: " + std::to_string(bytes.size() - expected) +
           " bytes follow the end of the model";
  }
  const std::size_t checksumOffset = bytes.size() - kChecksumSize;
  if (readU32(bytes, checksumOffset) !=
      checksum(bytes.substr(0, checksumOffset))) {
    return "is corrupt: its checksum does not match its content";
  }
  return {};
}

// Saved models list each hyperedge once, in vertex order; anything else
// would load as a different population.
bool inStrictVertexOrder(std::string_view bytes, ModelShape shape,
                         std::uint64_t count) {
  const std::size_t length = hyperedgeLength(shape);
  const std::size_t record = recordSize(shape);
  for (std::uint64_t i = 1; i < count; ++i) {
    const std::size_t previous = kHeaderSize + (i - 1) * record;
    const std::size_t current = previous + record;
    std::size_t slot = 0;
    while (slot < length && readI32(bytes, previous + 4 * slot) ==
                                readI32(bytes, current + 4 * slot)) {
      ++slot;
    }
    if (slot == length || readI32(bytes, previous + 4 * slot) >
                              readI32(bytes, current + 4 * slot)) {
      return false;
    }
  }
  return true;
}

void fillPopulation(std::string_view bytes, ModelShape shape,
                    std::uint64_t count, Population& population,
                    const LoadProgress& progress) {
  const std::size_t length = hyperedgeLength(shape);
  const std::size_t record = recordSize(shape);
  std::size_t offset = kHeaderSize;
  std::uint64_t done = 0;
  population.load(
      static_cast<std::uint32_t>(length), static_cast<std::size_t>(count),
      [&](std::span<std::int32_t> vertices) {
        for (std::size_t slot = 0; slot < length; ++slot) {
          vertices[slot] = readI32(bytes, offset + 4 * slot);
        }
        const double weight =
            std::bit_cast<double>(readU64(bytes, offset + 4 * length));
        offset += record;
        if (progress && ++done % kProgressInterval == 0) {
          progress(static_cast<std::size_t>(done),
                   static_cast<std::size_t>(count));
        }
        return weight;
      });
  if (progress) {
    progress(static_cast<std::size_t>(count), static_cast<std::size_t>(count));
  }
}

// Reads no more than `count` more bytes onto `bytes`.
void readUpTo(std::istream& in, std::uint64_t count, std::string& bytes) {
  char buffer[kChunkSize];
  while (count > 0 && in) {
    in.read(buffer, static_cast<std::streamsize>(
                        std::min<std::uint64_t>(count, sizeof buffer)));
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    count -= static_cast<std::uint64_t>(in.gcount());
  }
}

// The header, and then no more than the size it gives the model, so that
// neither an endless input (a device, a pipe) nor a header that is no
// model's is ever read further. `overlong` tells whether bytes follow.
std::string readModelBytes(std::istream& in, bool& overlong) {
  std::string bytes;
  readUpTo(in, kHeaderSize, bytes);
  overlong = false;
  if (!headerProblem(bytes).empty()) return bytes;
  const ModelShape shape{readI32(bytes, 16), readI32(bytes, 20)};
  const std::uint64_t count = readU64(bytes, 24);
  if (!isValidShape(shape)) return bytes;
  // Past what any file can hold, the body is read until the input ends.
  const std::uint64_t record = recordSize(shape);
  const std::uint64_t body =
      count < std::numeric_limits<std::uint64_t>::max() / record - 1
          ? count * record + kChecksumSize
          : std::numeric_limits<std::uint64_t>::max();
  readUpTo(in, body, bytes);
  overlong = in && in.peek() != std::char_traits<char>::eof();
  return bytes;
}

// The shape of a model whose bytes are sound throughout; otherwise nothing,
// with what is wrong in `problem`.
std::optional<ModelShape> checkedShape(std::string_view bytes,
                                       std::string& problem) {
  problem = headerProblem(bytes);
  if (!problem.empty()) return std::nullopt;
  const ModelShape shape{readI32(bytes, kOrderOffset),
                         readI32(bytes, kOrder2Offset)};
  const std::uint64_t count = readU64(bytes, kCountOffset);
  problem = bodyProblem(bytes, shape, count);
  if (!problem.empty()) return std::nullopt;
  if (!inStrictVertexOrder(bytes, shape, count)) {
    problem = "is corrupt: its hyperedges are not in vertex order";
    return std::nullopt;
  }
  return shape;
}

}  // namespace

void writeModel(std::ostream& out, const Storage& storage, ModelShape shape) {
  const std::vector<Hyperedge> population = storage.getAll(false);
  const std::string head = header(shape, population.size());
  out.write(head.data(), static_cast<std::streamsize>(head.size()));
  std::uint32_t crc = checksum(head);

  const std::size_t length = hyperedgeLength(shape);
  std::string chunk;
  chunk.reserve(kChunkSize + recordSize(shape));
  const auto flush = [&] {
    crc = crc32(chunk.data(), chunk.size(), crc);
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    chunk.clear();
  };
  for (const Hyperedge& hyperedge : population) {
    // Every stored hyperedge has the run's length; a shorter one (none
    // arises) would be padded rather than read past its end.
    for (std::size_t slot = 0; slot < length; ++slot) {
      const std::int32_t vertex =
          slot < hyperedge.vertexCount ? hyperedge.vertices[slot] : 0;
      appendU32(chunk, static_cast<std::uint32_t>(vertex));
    }
    appendU64(chunk, std::bit_cast<std::uint64_t>(hyperedge.weight));
    if (chunk.size() >= kChunkSize) flush();
  }
  flush();
  std::string tail;
  appendU32(tail, crc);
  out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
}

bool saveModel(const std::filesystem::path& path, const Storage& storage,
               ModelShape shape, std::string& error) {
  if (!isValidShape(shape)) {
    error = "cannot save a model of order " + std::to_string(shape.order) +
            " and order2 " + std::to_string(shape.order2);
    return false;
  }
  return writeFileAtomically(
      path,
      [&](std::ostream& out) {
        writeModel(out, storage, shape);
        return static_cast<bool>(out);
      },
      error);
}

std::optional<ModelShape> readModel(std::string_view bytes,
                                    Population& population,
                                    std::string& problem,
                                    const LoadProgress& progress) {
  const std::optional<ModelShape> shape = checkedShape(bytes, problem);
  if (shape) {
    fillPopulation(bytes, *shape, readU64(bytes, kCountOffset), population,
                   progress);
  }
  return shape;
}

std::optional<CheckedModel> readModelFile(const std::filesystem::path& path,
                                          std::string& error) {
  std::error_code ignored;
  std::ifstream in(path, std::ios::binary);
  const bool readable = in && !std::filesystem::is_directory(path, ignored);
  CheckedModel model;
  bool overlong = false;
  if (readable) model.bytes = readModelBytes(in, overlong);
  if (!readable || in.bad()) {
    error = "hn_learner: cannot read the model file \"" + path.string() + "\"";
    return std::nullopt;
  }
  std::string problem;
  std::optional<ModelShape> shape;
  if (overlong) {
    // A regular file tells how much follows; an endless input does not.
    const std::uintmax_t size = std::filesystem::file_size(path, ignored);
    problem = "is corrupt: " +
              (ignored ? std::string("more bytes")
                       : std::to_string(size - model.bytes.size()) + " bytes") +
              " follow the end of the model";
  } else {
    shape = checkedShape(model.bytes, problem);
  }
  if (!shape) {
    error = "hn_learner: the model file \"" + path.string() + "\" " + problem;
    return std::nullopt;
  }
  model.shape = *shape;
  return model;
}

void loadCheckedModel(const CheckedModel& model, Population& population,
                      const LoadProgress& progress) {
  fillPopulation(model.bytes, model.shape, readU64(model.bytes, kCountOffset),
                 population, progress);
}

std::optional<ModelShape> loadModel(const std::filesystem::path& path,
                                    Population& population, std::string& error,
                                    const LoadProgress& progress) {
  const std::optional<CheckedModel> model = readModelFile(path, error);
  if (!model) return std::nullopt;
  loadCheckedModel(*model, population, progress);
  return model->shape;
}

}  // namespace hn
