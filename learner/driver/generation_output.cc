#include "learner/driver/generation_output.h"

#include <algorithm>
#include <charconv>
#include <ostream>
#include <string>

#include "learner/data/data_set.h"
#include "learner/model/text_generator.h"

namespace hn {
namespace {

void writeHeader(std::ostream& out, std::size_t pair) {
  out << "line : " << pair << '\n' << std::flush;
}

// 4800 values separated by single blanks, built in one buffer.
void writeImageValues(std::ostream& out, const ImageBuffer& image) {
  std::string line;
  line.reserve(image.size() * 4);
  char digits[16];
  for (std::size_t i = 0; i < image.size(); ++i) {
    if (i > 0) line += ' ';
    const auto end = std::to_chars(digits, digits + sizeof digits, image[i]);
    line.append(digits, end.ptr);
  }
  out << line << '\n' << std::flush;
}

}  // namespace

void writeGeneratedImages(std::ostream& out, const Hypernetwork& learner,
                          DataSet& dataSet, ImageBuffer& buffer,
                          const ImageWritten& written) {
  for (std::size_t pair = 0; 2 * pair < dataSet.instances.size(); ++pair) {
    if (!dataSet.loaded) dataSet.load();
    buffer.fill(-1);
    learner.generateImage(dataSet.instances[2 * pair], buffer);
    writeHeader(out, pair);
    writeImageValues(out, buffer);
    if (written) written(pair, buffer);
  }
}

void writeGeneratedTexts(std::ostream& out, const Hypernetwork& learner,
                         DataSet& dataSet, ImageBuffer& buffer,
                         const TextWritten& written) {
  // Generation reads the store as it stands after training: one snapshot
  // serves every pair.
  const TextGenerator generator(*learner.storage,
                                static_cast<std::uint32_t>(learner.order),
                                static_cast<std::uint32_t>(learner.order2));
  for (std::size_t pair = 0; 2 * pair + 1 < dataSet.instances.size(); ++pair) {
    if (!dataSet.loaded) dataSet.load();
    // Positions past a shorter image hold -1, never the previous image.
    const std::vector<std::int32_t>& image = dataSet.instances[2 * pair + 1];
    buffer.fill(-1);
    std::copy_n(image.begin(), std::min(image.size(), kImageSize),
                buffer.begin());
    writeHeader(out, pair);
    std::vector<Hyperedge> fragments;
    generator.generate(buffer, fragments);
    for (const Hyperedge& fragment : fragments) {
      out << fragment << '\n' << std::flush;
    }
    if (written) written(pair, fragments);
  }
}

}  // namespace hn
