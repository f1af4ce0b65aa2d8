#pragma once

#include <cstdint>
#include <iosfwd>
#include <vector>

#include "learner/data/instance_list.h"
#include "tools/sample_data/sample_kind.h"
#include "tools/sample_data/scene.h"

namespace hn {

// A synthetic sentence-image training set: each pair is a caption and an
// image of what the caption says. The pairs follow from the seed alone, so
// the same count and seed give byte-identical files everywhere.
class SampleDataSet {
 public:
  SampleDataSet(std::uint32_t pairCount, std::uint32_t seed,
                SampleKind kind = SampleKind::kScenes);

  const std::vector<Scene>& scenes() const { return scenes_; }
  SampleKind kind() const { return kind_; }

  // The sentence file: per pair, its caption's word values joined by ",".
  void writeSentences(std::ostream& out) const;
  // The image file: per pair, its image's values joined by ",".
  void writeImages(std::ostream& out) const;
  // Per pair, its caption's words joined by single blanks, for people to
  // compare with generated sentences.
  void writeCaptions(std::ostream& out) const;

  // Every pair's values, exactly as the sentence and image files give them
  // to the reader, sentence and image alternately as DataSet::instances
  // holds them. The images are rendered one at a time into `instances`, so
  // that a large set exists once, packed, rather than twice.
  void appendPairs(InstanceList& instances) const;

 private:
  SampleKind kind_;
  std::vector<Scene> scenes_;
};

}  // namespace hn
