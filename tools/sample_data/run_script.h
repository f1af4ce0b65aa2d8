#pragma once

#include <cstdint>
#include <iosfwd>
#include <string_view>

#include "tools/sample_data/sample_kind.h"

namespace hn {

// Names of the files that the run scripts refer to; all live in the sample
// folder, the assembler's own files in its `assembler` subfolder.
inline constexpr std::string_view kSentencesFile = "sentences.csv";
inline constexpr std::string_view kImagesFile = "images.csv";
inline constexpr std::string_view kFragmentsFile = "fragments.txt";
inline constexpr std::string_view kGeneratedImagesFile = "generated_images.txt";
inline constexpr std::string_view kAssembledFile = "assembled.txt";
inline constexpr std::string_view kAssemblerFolder = "assembler";

// The learner settings of the sample run. The defaults keep a 200-pair run
// down to seconds: the learner's cost grows with the square of the number of
// hyperedges that match a sentence.
struct LearnerSettings {
  std::int32_t order = 3;
  std::int32_t order2 = 6;
  std::int32_t epochs = 3;
  double weightUpdateParameter = 0.5;
  std::int32_t perLine = 30;
};

// The settings the sample run uses for a kind. On shapes, two-word windows,
// two image values and 80 hyperedges per pair measured best: image to text
// beats the most common words by the widest and steadiest margin over seeds,
// and a 200-pair run still takes under a second. Photos take three words
// and three image values with 20 hyperedges per pair, the settings the
// scaling benchmark measures.
LearnerSettings learnerDefaults(SampleKind kind);

// The learner's `configure.txt`: ten lines for generating text from images.
// The learner reads only the first token of a line, so the rest of each line
// says what the token means.
void writeLearnerRunScript(std::ostream& out, const LearnerSettings& settings,
                           SampleKind kind = SampleKind::kScenes);

// The assembler's `configure.txt`: its input and output paths, seen from
// the assembler folder. The assembler takes each line whole, so nothing
// follows the path.
void writeAssemblerConfiguration(std::ostream& out);

}  // namespace hn
