#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "learner/model/candidate_list.h"
#include "learner/model/learner_fixture.h"

namespace {

using hn::Candidate;
using hn::CandidateList;
using hn::ImageBuffer;
using hn::kNoPrediction;
using hn::testing::edge;
using hn::testing::entries;
using hn::testing::Entry;
using hn::testing::LearnerFixture;

std::vector<std::int32_t> rankedValues(const CandidateList& list) {
  std::vector<std::int32_t> values;
  for (const Candidate& c : list.ranked()) values.push_back(c.value);
  return values;
}

// Order 2 over the sequence 1 2 3 4 5: every window shape leaves its own
// mark in the store, so the votes show which windows were consulted.
TEST(PredictElement, ConsultsTheWindowsThatCoverThePosition) {
  LearnerFixture f(0, 2, 0);
  f.store({9, 2}, 1.0);  // target first, before 2: position 0 only
  f.store({2, 7}, 1.0);  // target after 2: position 2, window ending there
  f.store({8, 4}, 1.5);  // target before 4: position 2, window starting there
  f.store({4, 6}, 1.0);  // target after 4: the last position
  const std::vector<std::int32_t> sequence = {1, 2, 3, 4, 5};
  CandidateList candidates;

  EXPECT_EQ(9, f.learner.predictElement(sequence, 0, candidates));
  EXPECT_EQ(std::vector<std::int32_t>({9}), rankedValues(candidates));

  EXPECT_EQ(8, f.learner.predictElement(sequence, 2, candidates));
  EXPECT_EQ(std::vector<std::int32_t>({8, 7}), rankedValues(candidates));

  EXPECT_EQ(6, f.learner.predictElement(sequence, 4, candidates));
  EXPECT_EQ(std::vector<std::int32_t>({6}), rankedValues(candidates));
}

TEST(PredictElement, NoWindowOrNoVoteGivesMinusTwo) {
  LearnerFixture f(0, 3, 0);
  f.store({1, 2, 3}, 1.0);
  EXPECT_EQ(kNoPrediction, f.learner.predictElement({1, 2}, 0));
  EXPECT_EQ(kNoPrediction, f.learner.predictElement({5, 5, 5}, 1));
}

TEST(PredictElement, EqualScoresGoToTheFirstVotedValue) {
  LearnerFixture f(0, 1, 0);
  f.store({5}, 1.0);
  f.store({3}, 1.0);
  // Matches come in ranking order, smaller vertex first on equal weight.
  EXPECT_EQ(3, f.learner.predictElement({0}, 0));
}

TEST(PredictElement, WildcardsInTheSequenceMatchAnything) {
  LearnerFixture f(0, 2, 0);
  f.store({4, 6}, 1.0);
  EXPECT_EQ(6, f.learner.predictElement({-1, 0}, 1));
}

TEST(PredictLabel, EveryRunOfFeaturesVotesForTheLabel) {
  LearnerFixture f(1, 2, 0);
  f.store({1, 2, 10}, 1.0);
  f.store({2, 3, 20}, 1.5);
  f.store({3, 4, 10}, 1.0);
  EXPECT_EQ(10, f.learner.predictLabel({1, 2, 3, 4}));
  EXPECT_EQ(20, f.learner.predictLabel({2, 3}));
  EXPECT_EQ(kNoPrediction, f.learner.predictLabel({2}));
}

TEST(InferImage, KeepsOneSurvivorPerPosition) {
  LearnerFixture f(2, 1, 1);
  f.store({1, 52 * 10000 + 7}, 3.0);
  f.store({1, 60 * 10000 + 7}, 2.0);
  f.store({1, 1 * 10000 + 5}, 1.0);
  f.store({2, 9 * 10000 + 8}, 5.0);  // another word: no vote
  std::vector<std::int32_t> values = {123};
  f.learner.inferImageValues({1}, values);
  EXPECT_EQ(std::vector<std::int32_t>({520007, 10005}), values);

  ImageBuffer image;
  image.fill(-1);
  f.learner.generateImage({1}, image);
  EXPECT_EQ(52, image[7]);
  EXPECT_EQ(1, image[5]);
  EXPECT_EQ(-1, image[8]);
}

TEST(InferImage, VotesOfAllImageSlotsAndWindowsAddUp) {
  LearnerFixture f(2, 1, 2);
  // One hyperedge naming position 3 twice votes for both values.
  f.store({1, 40003, 50003}, 1.0);
  f.store({2, 50003, 70004}, 1.0);
  std::vector<std::int32_t> values;
  f.learner.inferImageValues({1, 2}, values);
  EXPECT_EQ(std::vector<std::int32_t>({50003, 70004}), values);
}

TEST(InferImage, VerticesOutsideTheImageAreNeverWritten) {
  LearnerFixture f(2, 1, 1);
  f.store({1, 3 * 10000 + 4800}, 2.0);  // position 4800
  f.store({1, -20003}, 2.0);            // negative value, position -3
  f.store({1, 30000 + 4799}, 1.0);
  ImageBuffer image;
  image.fill(-1);
  f.learner.generateImage({1}, image);
  ImageBuffer expected;
  expected.fill(-1);
  expected[4799] = 3;
  EXPECT_EQ(expected, image);
}

ImageBuffer imageWith(std::initializer_list<std::pair<int, int>> pixels) {
  ImageBuffer image;
  image.fill(0);
  for (const auto& [position, value] : pixels) image[position] = value;
  return image;
}

TEST(GenerateText, MergesAgreeingSentencePartsAndRanksThem) {
  LearnerFixture f(2, 1, 1);
  f.store({4, 30002}, 1.0);
  f.store({4, 50003}, 2.5);
  f.store({6, 30002}, 1.0);
  f.store({7, 90001}, 5.0);  // disagrees: position 1 holds 8
  f.store({8, 4800}, 5.0);   // position 4800 lies outside the image
  std::vector<hn::Hyperedge> fragments;
  f.learner.generateText(imageWith({{1, 8}, {2, 3}, {3, 5}}), fragments);
  EXPECT_EQ((std::vector<Entry>{{{4}, 3.5}, {{6}, 1.0}}), entries(fragments));
}

TEST(GenerateText, WithoutImageSlotsEveryHyperedgeContributes) {
  LearnerFixture f(2, 2, 0);
  f.store({1, 2}, 1.0);
  f.store({3, 4}, 2.0);
  std::vector<hn::Hyperedge> fragments;
  f.learner.generateText(imageWith({}), fragments);
  EXPECT_EQ((std::vector<Entry>{{{3, 4}, 2.0}, {{1, 2}, 1.0}}),
            entries(fragments));
}

TEST(GenerateText, WildcardsMergeIntoTheFirstMatchingFragment) {
  LearnerFixture f(2, 2, 0);
  f.store({-1, 5}, 1.0);
  f.store({3, 5}, 2.0);
  f.store({3, 6}, 1.0);
  std::vector<hn::Hyperedge> fragments = {edge({3, 6}, 10.0)};
  f.learner.generateText(imageWith({}), fragments);
  EXPECT_EQ((std::vector<Entry>{{{3, 6}, 11.0}, {{-1, 5}, 3.0}}),
            entries(fragments));
}

TEST(CandidateRanking, StableAmongManyEqualScores) {
  CandidateList list;
  for (std::int32_t value = 100; value > 0; --value) list.vote(value, 1.0);
  list.vote(50, 0.5);
  list.rank();
  EXPECT_EQ(50, list.ranked().front().value);
  EXPECT_EQ(100, list.ranked()[1].value);
  EXPECT_EQ(1, list.ranked().back().value);
}

// Ranking everything and then dropping later vertices of a position must
// give what the survivor-only ranking gives, ties and NaN included.
TEST(CandidateRanking, BestPerImagePositionAgreesWithRankingEverything) {
  std::mt19937 random(11);
  for (int round = 0; round < 50; ++round) {
    CandidateList fast;
    std::vector<Candidate> votes;
    for (int v = 0; v < 400; ++v) {
      const auto position = static_cast<std::int32_t>(random() % 60) - 5;
      const auto value = static_cast<std::int32_t>(random() % 4);
      const double weight =
          random() % 50 == 0 ? std::nan("") : (random() % 3) * 0.5;
      fast.vote(value * 10000 + position, weight);
      votes.push_back({value * 10000 + position, weight});
    }
    CandidateList reference;
    for (const Candidate& vote : votes) reference.vote(vote.value, vote.score);
    reference.rank();
    std::vector<std::int32_t> expected;
    std::set<std::int32_t> seen;
    for (const Candidate& c : reference.ranked()) {
      if (seen.insert(hn::imageVertexPosition(c.value)).second) {
        expected.push_back(c.value);
      }
    }
    std::vector<std::int32_t> unranked;
    for (const Candidate& c : fast.bestPerImagePosition()) {
      unranked.push_back(c.value);
    }
    fast.rankBestPerImagePosition();
    EXPECT_EQ(expected, rankedValues(fast)) << "round " << round;
    std::sort(expected.begin(), expected.end());
    std::sort(unranked.begin(), unranked.end());
    EXPECT_EQ(expected, unranked) << "round " << round;
  }
}

}  // namespace
