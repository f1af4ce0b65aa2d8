#include "learner/data/prefix_vote_index.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "learner/data/exact_sum.h"

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

PrefixVoteIndex::PrefixVoteIndex(std::uint32_t prefixLength,
                                 std::uint32_t length)
    : prefixLength_(prefixLength), length_(length) {}

void PrefixVoteIndex::inserted(const Hyperedge& stored) {
  if (stored.vertexCount != length_) return;
  recordWeight(stored.weight, 0.0);
  Group& group = groupOf(stored);
  group.members.push_back(&stored);
  for (std::uint32_t slot = prefixLength_; slot < length_; ++slot) {
    Vote& vote = voteFor(group, stored.vertices[slot]);
    vote.sum += stored.weight;
    if (vote.bestStale) continue;
    if (vote.best == nullptr || ranksBefore(stored, *vote.best)) {
      vote.best = &stored;
      vote.bestSlot = slot;
    }
  }
}

void PrefixVoteIndex::reweighted(const Hyperedge& stored, double previous) {
  if (stored.vertexCount != length_) return;
  recordWeight(stored.weight, previous);
  Group& group = groupOf(stored);
  const auto groupNumber = static_cast<std::uint32_t>(&group - groups.data());
  const bool rose = weighsMore(stored.weight, previous);
  const bool fell = weighsMore(previous, stored.weight);
  for (std::uint32_t slot = prefixLength_; slot < length_; ++slot) {
    Vote& vote = voteFor(group, stored.vertices[slot]);
    vote.sum += stored.weight - previous;
    if (vote.bestStale) continue;
    if (fell && vote.best == &stored) {
      // Another hyperedge holding the vertex may rank before it now.
      makeStale(groupNumber,
                static_cast<std::uint32_t>(&vote - group.votes.data()));
    } else if (rose && ranksBefore(stored, *vote.best)) {
      vote.best = &stored;
      vote.bestSlot = slot;
    }
  }
}

void PrefixVoteIndex::refresh() {
  for (const auto& [group, vote] : stale) {
    Vote& entry = groups[group].votes[vote];
    if (entry.bestStale) recomputeBest(groups[group], entry);
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
  const auto& firsts = groups[group].firstVoteAt;
  const auto found = firsts.find(position);
  return found == firsts.end() ? kNoVote : found->second;
}

PrefixVoteIndex::Holder PrefixVoteIndex::firstHolder(
    std::span<const std::uint32_t> candidates, std::int32_t vertex) {
  Holder first{nullptr, 0};
  for (const std::uint32_t number : candidates) {
    Group& group = groups[number];
    const auto found = group.voteOf.find(vertex);
    if (found == group.voteOf.end()) continue;
    Vote& vote = group.votes[found->second];
    if (vote.bestStale) recomputeBest(group, vote);
    if (first.hyperedge == nullptr ||
        ranksBefore(*vote.best, *first.hyperedge)) {
      first = {vote.best, vote.bestSlot};
    }
  }
  return first;
}

bool PrefixVoteIndex::sumsExact(std::size_t windows) const {
  if (everInexact) return false;
  const double votesPerHyperedge =
      static_cast<double>(windows) * (length_ - prefixLength_);
  // Twice the bound: the running sum of magnitudes is itself rounded.
  return sumsStayExact(fractionBits,
                       2.0 * peakAbsoluteWeightSum * votesPerHyperedge);
}

PrefixVoteIndex::Group& PrefixVoteIndex::groupOf(const Hyperedge& stored) {
  const std::span<const std::int32_t> prefix(stored.vertices, prefixLength_);
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
  const auto [entry, added] = group.voteOf.try_emplace(
      vertex, static_cast<std::uint32_t>(group.votes.size()));
  if (added) {
    const auto id =
        vertexIds
            .try_emplace(vertex, static_cast<std::uint32_t>(vertexIds.size()))
            .first->second;
    std::uint32_t& first =
        group.firstVoteAt.try_emplace(imageVertexPosition(vertex), kNoVote)
            .first->second;
    group.votes.push_back({vertex, id, 0.0, 0, nullptr, false, first});
    first = entry->second;
  }
  return group.votes[entry->second];
}

void PrefixVoteIndex::recordWeight(double weight, double previous) {
  if (!std::isfinite(weight)) {
    everInexact = true;
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

void PrefixVoteIndex::recomputeBest(Group& group, Vote& vote) const {
  vote.best = nullptr;
  for (const Hyperedge* member : group.members) {
    for (std::uint32_t slot = prefixLength_; slot < length_; ++slot) {
      if (member->vertices[slot] != vote.vertex) continue;
      if (vote.best == nullptr || ranksBefore(*member, *vote.best)) {
        vote.best = member;
        vote.bestSlot = slot;
      }
      break;
    }
  }
  vote.bestStale = false;
}

}  // namespace hn
