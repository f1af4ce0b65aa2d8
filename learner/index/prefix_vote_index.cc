#include "learner/index/prefix_vote_index.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "learner/data/hyperedge.h"
#include "learner/data/image.h"
#include "learner/index/exact_sum.h"

namespace hn {
namespace {

bool prefixMatches(std::span<const std::int32_t> prefix,
                   std::span<const std::int32_t> window) {
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (prefix[i] != window[i] && prefix[i] != kWildcard &&
        window[i] != kWildcard) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::size_t PrefixVoteIndex::PrefixHash::operator()(
    std::span<const std::int32_t> prefix) const {
  std::size_t hash = 14695981039346656037ull;
  for (const std::int32_t value : prefix) {
    hash = (hash ^ static_cast<std::uint32_t>(value)) * 1099511628211ull;
  }
  return hash;
}

PrefixVoteIndex::PrefixVoteIndex(Population& population,
                                 std::uint32_t prefixLength,
                                 std::uint32_t length)
    : population(population), prefixLength_(prefixLength), length_(length) {
  loaded();
  population.addObserver(*this);
}

// A position without a vote reads as the end of its list.
static_assert(PrefixVoteIndex::kNoVote == FlatIntMap::kAbsent);

PrefixVoteIndex::~PrefixVoteIndex() { population.removeObserver(*this); }

void PrefixVoteIndex::inserted(HyperedgeId id) {
  const HyperedgeView hyperedge{population.vertices(id), population.weight(id)};
  if (hyperedge.vertices.size() == length_) add(id, hyperedge);
}

void PrefixVoteIndex::add(HyperedgeId id, const HyperedgeView& hyperedge) {
  recordWeight(hyperedge.weight, 0.0);
  Group& group = groupOf(hyperedge.vertices);
  group.members.push_back(id);
  for (std::uint32_t slot = prefixLength_; slot < length_; ++slot) {
    Vote& vote = voteFor(group, hyperedge.vertices[slot]);
    addToVote(vote, hyperedge.weight, 0.0);
    if (vote.terms != kManyTerms) ++vote.terms;
    if (vote.bestStale) continue;
    if (vote.best == kNoHyperedge || ranksBefore(hyperedge, vote.best)) {
      vote.best = id;
      vote.bestSlot = slot;
    }
  }
}

void PrefixVoteIndex::reweighted(HyperedgeId id, double previous) {
  const HyperedgeView hyperedge{population.vertices(id), population.weight(id)};
  if (hyperedge.vertices.size() != length_) return;
  const std::span<const std::int32_t> vertices = hyperedge.vertices;
  const double weight = hyperedge.weight;
  recordWeight(weight, previous);
  Group& group = groupOf(vertices);
  const auto groupNumber = static_cast<std::uint32_t>(&group - groups.data());
  const bool rose = weighsMore(weight, previous);
  const bool fell = weighsMore(previous, weight);
  for (std::uint32_t slot = prefixLength_; slot < length_; ++slot) {
    Vote& vote = voteFor(group, vertices[slot]);
    addToVote(vote, weight, previous);
    if (vote.bestStale) continue;
    if (fell && vote.best == id) {
      // Another hyperedge holding the vertex may rank before it now.
      makeStale(groupNumber,
                static_cast<std::uint32_t>(&vote - group.votes.data()));
    } else if (rose && ranksBefore(hyperedge, vote.best)) {
      vote.best = id;
      vote.bestSlot = slot;
    }
  }
}

void PrefixVoteIndex::emptied() { clear(); }

void PrefixVoteIndex::loaded() {
  clear();
  population.forEachInVertexOrder(
      [this](HyperedgeId id, const HyperedgeView& hyperedge) {
        if (hyperedge.vertices.size() == length_) add(id, hyperedge);
      });
}

void PrefixVoteIndex::refresh() {
  for (const auto& [group, vote] : stale) {
    Vote& entry = groups[group].votes[vote];
    if (!entry.bestStale) continue;
    const Holder best = bestHolder(groups[group], entry.vertex);
    entry.best = best.hyperedge;
    entry.bestSlot = best.slot;
    entry.bestStale = false;
  }
  stale.clear();
}

void PrefixVoteIndex::matchingGroups(std::span<const std::int32_t> window,
                                     std::vector<std::uint32_t>& found) const {
  if (!prefixWithWildcard && !holdsWildcard(window)) {
    const auto group = groupOfPrefix.find(window);
    if (group != groupOfPrefix.end()) found.push_back(group->second);
    return;
  }
  for (std::uint32_t group = 0; group < prefixes.size(); ++group) {
    if (prefixMatches(prefixes[group], window)) found.push_back(group);
  }
}

std::vector<PrefixVoteIndex::SentenceGroup> PrefixVoteIndex::sentenceGroups(
    std::span<const std::int32_t> sentence) const {
  std::vector<SentenceGroup> found;
  std::unordered_map<std::uint32_t, std::size_t> foundAt;
  std::vector<std::uint32_t> matching;
  for (std::size_t window = 0; window + prefixLength_ <= sentence.size();
       ++window) {
    matching.clear();
    matchingGroups(sentence.subspan(window, prefixLength_), matching);
    for (const std::uint32_t group : matching) {
      const auto [entry, added] = foundAt.try_emplace(group, found.size());
      if (added) {
        found.push_back({group, static_cast<std::uint32_t>(window), 0});
      }
      ++found[entry->second].windows;
    }
  }
  return found;
}

const std::vector<PrefixVoteIndex::Vote>& PrefixVoteIndex::votes(
    std::uint32_t group) const {
  return groups[group].votes;
}

std::uint32_t PrefixVoteIndex::firstVoteAt(std::uint32_t group,
                                           std::int32_t position) const {
  return groups[group].firstVoteAt.find(position);
}

PrefixVoteIndex::Holder PrefixVoteIndex::firstHolder(
    std::span<const std::uint32_t> candidates, std::int32_t vertex) const {
  Holder first{kNoHyperedge, 0};
  for (const std::uint32_t number : candidates) {
    const Group& group = groups[number];
    const std::uint32_t found = group.voteOf.find(vertex);
    if (found == FlatIntMap::kAbsent) continue;
    const Vote& vote = group.votes[found];
    const Holder best = vote.bestStale ? bestHolder(group, vertex)
                                       : Holder{vote.best, vote.bestSlot};
    if (first.hyperedge == kNoHyperedge ||
        ranksBefore(best.hyperedge, first.hyperedge)) {
      first = best;
    }
  }
  return first;
}

bool PrefixVoteIndex::heldBefore(std::span<const std::int32_t> sentence,
                                 const Tally& a, const Tally& b,
                                 std::vector<std::uint32_t>& groups) const {
  groups.clear();
  matchingGroups(sentence.subspan(a.firstWindow, prefixLength_), groups);
  const Holder holderA = firstHolder(groups, a.vertex);
  const Holder holderB = firstHolder(groups, b.vertex);
  if (holderA.hyperedge != holderB.hyperedge) {
    return ranksBefore(holderA.hyperedge, holderB.hyperedge);
  }
  return holderA.slot < holderB.slot;
}

bool PrefixVoteIndex::ranksBefore(HyperedgeId x, HyperedgeId y) const {
  return ranksBefore({population.vertices(x), population.weight(x)}, y);
}

bool PrefixVoteIndex::ranksBefore(const HyperedgeView& x, HyperedgeId y) const {
  return rankOrderLess(x.weight, x.vertices, population.weight(y),
                       population.vertices(y));
}

bool PrefixVoteIndex::sumsExact(std::size_t windows) const {
  if (everInexact) return false;
  const double votesPerHyperedge =
      static_cast<double>(windows) * (length_ - prefixLength_);
  // Twice the bound: the running sum of magnitudes is itself rounded.
  return sumsStayExact(fractionBits,
                       2.0 * peakAbsoluteWeightSum * votesPerHyperedge);
}

void PrefixVoteIndex::clear() {
  groups.clear();
  prefixes.clear();
  groupOfPrefix.clear();
  prefixWithWildcard = false;
  vertexIds.clear();
  stale.clear();
  fractionBits = 0;
  absoluteWeightSum = 0.0;
  peakAbsoluteWeightSum = 0.0;
  everInexact = false;
  everNonFinite = false;
}

PrefixVoteIndex::Group& PrefixVoteIndex::groupOf(
    std::span<const std::int32_t> vertices) {
  const std::span<const std::int32_t> prefix = vertices.first(prefixLength_);
  if (const auto found = groupOfPrefix.find(prefix);
      found != groupOfPrefix.end()) {
    return groups[found->second];
  }
  if (holdsWildcard(prefix)) prefixWithWildcard = true;
  prefixes.emplace_back(prefix.begin(), prefix.end());
  groupOfPrefix.emplace(prefixes.back(),
                        static_cast<std::uint32_t>(groups.size()));
  return groups.emplace_back();
}

PrefixVoteIndex::Vote& PrefixVoteIndex::voteFor(Group& group,
                                                std::int32_t vertex) {
  if (const std::uint32_t known = group.voteOf.find(vertex);
      known != FlatIntMap::kAbsent) {
    return group.votes[known];
  }
  const auto number = static_cast<std::uint32_t>(group.votes.size());
  group.voteOf.assign(vertex, number);
  const auto id =
      vertexIds
          .try_emplace(vertex, static_cast<std::uint32_t>(vertexIds.size()))
          .first->second;
  // The vote goes first at its position, ahead of the earlier ones.
  const std::int32_t position = imageVertexPosition(vertex);
  group.votes.push_back({vertex, id, 0.0, 0, kNoHyperedge, false, 0, 0,
                         group.firstVoteAt.find(position), 0.0f, 0.0f});
  group.firstVoteAt.assign(position, number);
  return group.votes.back();
}

namespace {

// The float nearest `x` from above, for finite x >= 0 (infinity stays).
float floatUp(double x) {
  const auto rounded = static_cast<float>(x);
  return static_cast<double>(rounded) < x
             ? std::nextafter(rounded, std::numeric_limits<float>::infinity())
             : rounded;
}

}  // namespace

void PrefixVoteIndex::addToVote(Vote& vote, double weight, double previous) {
  const double difference = weight - previous;
  const double sum = vote.sum + difference;
  const double rounding =
      addUp(std::fabs(sumError(weight, -previous, difference)),
            std::fabs(sumError(vote.sum, difference, sum)));
  vote.sum = sum;
  if (rounding != 0.0) vote.error = floatUp(addUp(vote.error, rounding));
  double magnitude = addUp(vote.magnitude, std::fabs(weight));
  if (previous != 0.0) {
    magnitude -= std::fabs(previous);
    magnitude = magnitude <= 0.0 ? 0.0 : nextUp(magnitude);
  }
  vote.magnitude = floatUp(magnitude);
  const int bits = std::isfinite(weight) ? fractionBitsOf(weight) : 255;
  vote.fractionBits = static_cast<std::uint8_t>(
      std::max<int>(vote.fractionBits, std::min(bits, 255)));
}

// Rarely needed, so the group's members are searched for the vertex's
// holders rather than linked from its vote.
double PrefixVoteIndex::orderedSum(std::span<const std::int32_t> sentence,
                                   std::int32_t vertex) const {
  double sum = 0.0;
  orderedSums(sentence, {&vertex, 1}, {&sum, 1});
  return sum;
}

void PrefixVoteIndex::orderedSums(std::span<const std::int32_t> sentence,
                                  std::span<const std::int32_t> vertices,
                                  std::span<double> sums) const {
  // The asked vertices by value; each one's sum at the same place.
  std::vector<std::int32_t> asked(vertices.begin(), vertices.end());
  std::sort(asked.begin(), asked.end());
  asked.erase(std::unique(asked.begin(), asked.end()), asked.end());
  // Most slots name a position that no asked vertex holds: a bit per
  // position turns them away before the search.
  std::vector<bool> askedAt(kImageSize, false);
  bool askedOffImage = false;
  for (const std::int32_t vertex : asked) {
    const std::int32_t position = imageVertexPosition(vertex);
    if (isImagePosition(position)) {
      askedAt[static_cast<std::size_t>(position)] = true;
    } else {
      askedOffImage = true;
    }
  }
  const auto placeOf = [&](std::int32_t vertex) -> std::ptrdiff_t {
    const std::int32_t position = imageVertexPosition(vertex);
    if (isImagePosition(position) ? !askedAt[static_cast<std::size_t>(position)]
                                  : !askedOffImage) {
      return -1;
    }
    const auto found = std::lower_bound(asked.begin(), asked.end(), vertex);
    return found != asked.end() && *found == vertex ? found - asked.begin()
                                                    : -1;
  };
  std::vector<double> sumOf(asked.size(), 0.0);
  std::vector<bool> started(asked.size(), false);
  std::vector<std::uint32_t> matching;
  std::vector<HyperedgeId> voters;
  for (std::size_t window = 0; window + prefixLength_ <= sentence.size();
       ++window) {
    matching.clear();
    matchingGroups(sentence.subspan(window, prefixLength_), matching);
    voters.clear();
    for (const std::uint32_t number : matching) {
      const Group& group = groups[number];
      if (std::none_of(
              vertices.begin(), vertices.end(),
              [&group](std::int32_t v) { return group.voteOf.contains(v); })) {
        continue;
      }
      for (const HyperedgeId member : group.members) {
        const std::span<const std::int32_t> slots = population.vertices(member);
        if (std::any_of(
                slots.begin() + prefixLength_, slots.end(),
                [&placeOf](std::int32_t v) { return placeOf(v) >= 0; })) {
          voters.push_back(member);
        }
      }
    }
    // The window's matches vote by rank, each its slots in order.
    std::sort(
        voters.begin(), voters.end(),
        [this](HyperedgeId x, HyperedgeId y) { return ranksBefore(x, y); });
    for (const HyperedgeId voter : voters) {
      const double weight = population.weight(voter);
      const std::span<const std::int32_t> slots = population.vertices(voter);
      for (auto slot = slots.begin() + prefixLength_; slot != slots.end();
           ++slot) {
        const std::ptrdiff_t place = placeOf(*slot);
        if (place < 0) continue;
        const auto k = static_cast<std::size_t>(place);
        sumOf[k] = started[k] ? sumOf[k] + weight : weight;
        started[k] = true;
      }
    }
  }
  for (std::size_t k = 0; k < vertices.size(); ++k) {
    sums[k] = sumOf[static_cast<std::size_t>(placeOf(vertices[k]))];
  }
}

void PrefixVoteIndex::recordWeight(double weight, double previous) {
  if (!std::isfinite(weight)) {
    everInexact = true;
    everNonFinite = true;
    return;
  }
  fractionBits = std::max(fractionBits, fractionBitsOf(weight));
  absoluteWeightSum += std::fabs(weight) - std::fabs(previous);
  peakAbsoluteWeightSum = std::max(peakAbsoluteWeightSum, absoluteWeightSum);
  // Every maintained sum must stay exact too, whatever queries come.
  if (!sumsExact(1)) everInexact = true;
}

void PrefixVoteIndex::makeStale(std::uint32_t group, std::uint32_t vote) {
  groups[group].votes[vote].bestStale = true;
  stale.emplace_back(group, vote);
}

PrefixVoteIndex::Holder PrefixVoteIndex::bestHolder(const Group& group,
                                                    std::int32_t vertex) const {
  Holder best{kNoHyperedge, 0};
  for (const HyperedgeId member : group.members) {
    const std::span<const std::int32_t> vertices = population.vertices(member);
    for (std::uint32_t slot = prefixLength_; slot < length_; ++slot) {
      if (vertices[slot] != vertex) continue;
      if (best.hyperedge == kNoHyperedge ||
          ranksBefore(member, best.hyperedge)) {
        best = {member, slot};
      }
      break;
    }
  }
  return best;
}

}  // namespace hn
