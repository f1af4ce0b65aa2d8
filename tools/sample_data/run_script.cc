#include "tools/sample_data/run_script.h"

#include <ostream>

namespace hn {

LearnerSettings learnerDefaults(SampleKind kind) {
  switch (kind) {
    case SampleKind::kShapes:
      return {2, 2, 3, 0.5, 80};
    case SampleKind::kPhotos:
      return {3, 3, 3, 0.5, 20};
    case SampleKind::kScenes:
      break;
  }
  return {};
}

void writeLearnerRunScript(std::ostream& out, const LearnerSettings& settings,
                           SampleKind kind) {
  const sample::ImageLayout& layout = sample::imageLayout(kind);
  out << "1 direction: 0 generates images from text into line 10's file,"
         " anything else text from images into line 9's file\n"
      << settings.order << " sentence words per hyperedge\n"
      << settings.order2 << " image values per hyperedge\n"
      << settings.epochs << " epochs\n"
      << settings.weightUpdateParameter << " weight-update parameter\n"
      << settings.perLine << " hyperedges sampled per sentence-image pair\n"
      << kSentencesFile << " sentences: word values, one caption per line\n"
      << kImagesFile << " images: " << layout.columns << 'x' << layout.rows
      << " values row by row, one per line\n"
      << kFragmentsFile << " text output, read by the sentence assembler\n"
      << kGeneratedImagesFile << " image output\n";
}

void writeAssemblerConfiguration(std::ostream& out) {
  out << "../" << kFragmentsFile << '\n' << "../" << kAssembledFile << '\n';
}

}  // namespace hn
