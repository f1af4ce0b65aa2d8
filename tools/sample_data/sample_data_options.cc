#include "tools/sample_data/sample_data_options.h"

#include <charconv>
#include <limits>
#include <ostream>

#include "tools/sample_data/caption.h"

namespace hn {
namespace {

// Accepts plain decimal digits only: no sign, blanks or trailing text.
std::optional<std::uint32_t> parseCount(std::string_view text) {
  std::uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, failure] = std::from_chars(text.data(), end, value);
  if (text.empty() || failure != std::errc() || stop != end) {
    return std::nullopt;
  }
  return value;
}

struct CountOption {
  std::string_view name;
  std::uint32_t minimum;
  std::uint32_t maximum;
};

bool setCount(const CountOption& option, std::string_view text,
              std::uint32_t& target, std::string& error) {
  const std::optional<std::uint32_t> value = parseCount(text);
  if (!value || *value < option.minimum || *value > option.maximum) {
    error = std::string(option.name) + " needs a whole number from " +
            std::to_string(option.minimum) + " to " +
            std::to_string(option.maximum) + ", not '" + std::string(text) +
            "'";
    return false;
  }
  target = *value;
  return true;
}

// The learner's settings are signed; every bound keeps them in range.
bool setLearnerSetting(const CountOption& option, std::string_view text,
                       std::int32_t& target, std::string& error) {
  std::uint32_t value = 0;
  if (!setCount(option, text, value, error)) return false;
  target = static_cast<std::int32_t>(value);
  return true;
}

constexpr std::uint32_t kAnyUnsigned =
    std::numeric_limits<std::uint32_t>::max();

// A sentence window longer than a caption would make the learner skip every
// pair; the other bounds only catch slips of the keyboard.
constexpr CountOption kPairs{"--pairs", 1, kMaxPairCount};
constexpr CountOption kSeed{"--seed", 0, kAnyUnsigned};
constexpr CountOption kOrder{"--order", 1, sample::kSceneCaptionLength};
constexpr CountOption kOrder2{"--order2", 0, 100};
constexpr CountOption kEpochs{"--epochs", 1, 1000};
constexpr CountOption kPerLine{"--per-line", 1, 10000};

bool takesValue(std::string_view name) {
  for (const CountOption& option :
       {kPairs, kSeed, kOrder, kOrder2, kEpochs, kPerLine}) {
    if (name == option.name) return true;
  }
  return name == "--kind" || name == "--out";
}

bool applyOption(std::string_view name, std::string_view value,
                 SampleDataOptions& options, std::string& error) {
  LearnerSettings& learner = options.learner;
  if (name == kPairs.name) {
    return setCount(kPairs, value, options.pairCount, error);
  }
  if (name == kSeed.name) {
    return setCount(kSeed, value, options.seed, error);
  }
  if (name == kOrder.name) {
    return setLearnerSetting(kOrder, value, learner.order, error);
  }
  if (name == kOrder2.name) {
    return setLearnerSetting(kOrder2, value, learner.order2, error);
  }
  if (name == kEpochs.name) {
    return setLearnerSetting(kEpochs, value, learner.epochs, error);
  }
  if (name == kPerLine.name) {
    return setLearnerSetting(kPerLine, value, learner.perLine, error);
  }
  if (name == "--kind") {
    const std::optional<SampleKind> kind = parseSampleKind(value);
    if (!kind) {
      error = "--kind needs 'scenes', 'shapes' or 'photos', not '" +
              std::string(value) + "'";
      return false;
    }
    options.kind = *kind;
    return true;
  }
  if (name == "--out") {
    if (value.empty()) {
      error = "--out needs a folder name";
      return false;
    }
    options.outputFolder = value;
    return true;
  }
  error = "unknown option '" + std::string(name) + "'";
  return false;
}

// The kind that the last well-formed --kind names; its learner settings are
// the defaults that the other options override in any order.
SampleKind kindNamedIn(const std::vector<std::string_view>& arguments) {
  SampleKind kind = SampleKind::kScenes;
  for (std::size_t index = 0; index + 1 < arguments.size(); ++index) {
    if (arguments[index] != "--kind") continue;
    kind = parseSampleKind(arguments[index + 1]).value_or(kind);
  }
  return kind;
}

// Windows longer than a caption of the kind would make the learner skip
// every pair.
bool orderFitsCaption(const SampleDataOptions& options, std::string& error) {
  const std::size_t longest = sample::captionLength(options.kind);
  if (static_cast<std::size_t>(options.learner.order) <= longest) return true;
  error = "--order needs a whole number from 1 to " + std::to_string(longest) +
          " for --kind " + std::string(sampleKindName(options.kind));
  return false;
}

}  // namespace

std::optional<SampleDataOptions> parseSampleDataOptions(
    const std::vector<std::string_view>& arguments, std::string& error) {
  SampleDataOptions options;
  options.learner = learnerDefaults(kindNamedIn(arguments));
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string_view name = arguments[index];
    if (name == "--help" || name == "-h") {
      options.helpRequested = true;
      continue;
    }
    if (!name.starts_with("--")) {
      error = "unexpected argument '" + std::string(name) + "'";
      return std::nullopt;
    }
    if (index + 1 == arguments.size()) {
      error = takesValue(name) ? std::string(name) + " needs a value"
                               : "unknown option '" + std::string(name) + "'";
      return std::nullopt;
    }
    if (!applyOption(name, arguments[++index], options, error)) {
      return std::nullopt;
    }
  }
  if (!orderFitsCaption(options, error)) return std::nullopt;
  return options;
}

void writeUsage(std::ostream& out) {
  const LearnerSettings defaults = learnerDefaults(SampleKind::kScenes);
  const LearnerSettings shapes = learnerDefaults(SampleKind::kShapes);
  const LearnerSettings photos = learnerDefaults(SampleKind::kPhotos);
  out << "usage: hn_sample_data [--pairs N] [--seed S] [--out DIR] [--kind K]\n"
         "                      [--order N] [--order2 N] [--epochs N]"
         " [--per-line N]\n"
         "\n"
         "Writes a synthetic sentence-image data set into DIR: captions such\n"
         "as \"a big red square at the top left\" paired with 80x60 images of\n"
         "that shape, the dictionary, and run scripts for hn_learner (DIR)\n"
         "and sentence_assembler (DIR/assembler). The same options give the\n"
         "same files on every machine.\n"
         "\n"
         "  --kind K      scenes (default): a small shape somewhere in an\n"
         "                80x60 image; shapes: \"a big red square\" filling\n"
         "                most of a 12x12 image, where the learner does well;\n"
         "                photos: \"a big red square on a dark background\",\n"
         "                a 32x32 image in 16 values on a noisy gradient\n"
         "                background that differs from image to image\n"
         "\n"
         "  --pairs N     caption-image pairs, 1 to "
      << kMaxPairCount << " (default 200)\n"
      << "  --seed S      seed of the generator (default 1)\n"
         "  --out DIR     output folder, created if missing (default .)\n"
         "  --order N     sentence words per hyperedge, 1 to "
      << sample::kSceneCaptionLength << " (default " << defaults.order << ")\n"
      << "  --order2 N    image values per hyperedge (default "
      << defaults.order2 << ")\n"
      << "  --epochs N    learning epochs (default " << defaults.epochs << ")\n"
      << "  --per-line N  hyperedges sampled per pair (default "
      << defaults.perLine << ")\n"
      << "                (shapes default to --order " << shapes.order
      << " --order2 " << shapes.order2 << ",\n"
      << "                photos to --order2 " << photos.order2
      << " --per-line " << photos.perLine << ")\n"
      << "  --help        show this text\n";
}

}  // namespace hn
