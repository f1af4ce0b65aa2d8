// The indexed learner against its literal reference path: on many small
// generated data sets and run scripts, hn_learner with --literal (full scans,
// linear searches, no index or cache) and without it must write the same
// bytes everywhere.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "learner/driver/learner_folder_testing.h"

namespace {

using hn::testing::LearnerFolder;

// Everything one run leaves behind.
struct RunRecord {
  int status;
  std::string out;
  std::string err;
  std::string log;
  std::string output;
  bool operator==(const RunRecord&) const = default;
};

// What a failed comparison shows: the status (-1 for a run killed as hung)
// and the size of everything else.
void PrintTo(const RunRecord& record, std::ostream* out) {
  *out << "status " << record.status << ", standard output "
       << record.out.size() << " bytes, standard error " << record.err.size()
       << ", result.txt " << record.log.size() << ", output file "
       << record.output.size();
}

class Scenario {
 public:
  // `rounded`: a weight-update parameter whose sums round (0.1, 0.3, 0.7,
  // -0.1, 1e-3), and more pairs, so that rounded weights meet in sums.
  // `photos`: images without a common background, text generated from
  // them, and many pairs, so that texts are found through postings.
  explicit Scenario(unsigned seed, bool rounded = false, bool photos = false)
      : random(seed), rounded(rounded), photos(photos) {
    write();
  }

  RunRecord run(const std::string& arguments) const {
    const LearnerFolder folder;
    folder.write("configure.txt", configure);
    folder.write("s.csv", sentences);
    folder.write("i.csv", images);
    const hn::testing::ProgramResult result =
        folder.run("--seed " + std::to_string(seed) + " " + arguments);
    return {result.status, result.out, result.err, folder.read("result.txt"),
            folder.read(direction == "0" ? "image.txt" : "text.txt")};
  }

  const std::string& describe() const { return configure; }
  unsigned threads() const { return threadCount; }

 private:
  int pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  }

  void write() {
    direction = photos ? "1" : std::to_string(pick(0, 1));
    const int order = pick(0, 4);
    const int order2 = pick(0, 6);
    const char* updates[] = {"0.5", "0.1", "0", "-0.5"};
    const char* roundedUpdates[] = {"0.1", "0.3", "0.7", "-0.1", "1e-3"};
    threadCount = static_cast<unsigned>(pick(1, 2));
    seed = static_cast<unsigned>(pick(0, 1000));
    std::ostringstream script;
    script << direction << '\n'
           << order << '\n'
           << order2 << '\n'
           << pick(1, 5) << '\n'
           << (rounded ? roundedUpdates[pick(0, 4)] : updates[pick(0, 3)])
           << '\n'
           << pick(0, 40) << "\ns.csv\ni.csv\ntext.txt\nimage.txt\n";
    configure = script.str();

    // Few words and few image values, so that windows repeat, hyperedges
    // collide and vote sums tie; -1 words are wildcards.
    std::ostringstream sentenceLines;
    std::ostringstream imageLines;
    const int pairs = photos    ? pick(60, 120)
                      : rounded ? pick(4, 24)
                                : pick(1, 12);
    const int imageLength = photos ? pick(16, 30) : pick(1, 30);
    // Now and then long sentences, whose windows repeat many times.
    const int mostWords = pick(0, 5) == 0 ? 300 : 8;
    std::vector<std::string> written;
    for (int pair = 0; pair < pairs; ++pair) {
      // With rounded weights, sentences repeat now and then.
      if (rounded && !written.empty() && pick(0, 3) == 0) {
        written.push_back(written[static_cast<std::size_t>(pick(0, pair - 1))]);
      } else {
        std::ostringstream line;
        const int words = pick(0, mostWords);
        for (int w = 0; w < words; ++w) {
          line << (w > 0 ? "," : "") << (pick(0, 12) == 0 ? -1 : pick(0, 5));
        }
        written.push_back(line.str());
      }
      sentenceLines << written.back() << '\n';
      for (int p = 0; p < imageLength; ++p) {
        imageLines << (p > 0 ? "," : "")
                   << (photos ? pick(0, 15) : pick(0, pick(0, 3)));
      }
      imageLines << '\n';
    }
    sentences = sentenceLines.str();
    images = imageLines.str();
  }

  std::mt19937 random;
  bool rounded;
  bool photos;
  std::string configure;
  std::string sentences;
  std::string images;
  std::string direction;
  unsigned threadCount = 1;
  unsigned seed = 0;
};

TEST(LiteralPath, IndexedRunsWriteExactlyWhatTheLiteralPathWrites) {
  for (unsigned scenario = 0; scenario < 60; ++scenario) {
    const Scenario data(scenario);
    const RunRecord literal = data.run("--literal --threads 1");
    const RunRecord indexed =
        data.run("--threads " + std::to_string(data.threads()));
    EXPECT_EQ(literal, indexed) << "scenario " << scenario << ", run script:\n"
                                << data.describe();
    EXPECT_NE(std::string::npos, literal.out.find("#1 Init Sampling Step"))
        << "scenario " << scenario;
  }
}

// Weights that are not binary fractions: the indexed engine sums in its
// own order with bounds and adds up in the defined order what they leave
// undecided, and must still write the same bytes.
TEST(LiteralPath, IndexedRunsWithRoundedWeightsWriteWhatTheLiteralPathWrites) {
  for (unsigned scenario = 0; scenario < 40; ++scenario) {
    const Scenario data(1000 + scenario, true);
    const RunRecord literal = data.run("--literal --threads 1");
    const RunRecord indexed =
        data.run("--threads " + std::to_string(data.threads()));
    EXPECT_EQ(literal, indexed) << "scenario " << scenario << ", run script:\n"
                                << data.describe();
  }
}

// Images that share no background: text is generated through postings of
// the hyperedges by their rarest image vertex, with every parameter.
TEST(LiteralPath, TextsOfImagesWithoutACommonBackgroundAreTheLiteralOnes) {
  for (unsigned scenario = 0; scenario < 12; ++scenario) {
    const Scenario data(2000 + scenario, scenario % 2 == 1, true);
    const RunRecord literal = data.run("--literal --threads 1");
    const RunRecord indexed =
        data.run("--threads " + std::to_string(data.threads()));
    EXPECT_EQ(literal, indexed) << "scenario " << scenario << ", run script:\n"
                                << data.describe();
  }
}

}  // namespace
