#include "cli/suggest.hpp"

#include <algorithm>
#include <cctype>

namespace tarn::cli {
namespace {

std::string Folded(const std::string& word) {
  std::string folded = word.substr(std::min(word.find_first_not_of('-'), word.size()));
  std::transform(folded.begin(), folded.end(), folded.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return folded;
}

// Edits from one word to the other; adjacent swaps count as one.
std::size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i)
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] =
          std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

}  // namespace

std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates) {
  const std::string folded = Folded(word);
  if (folded.empty()) return {};
  for (const auto& candidate : candidates)
    if (Folded(candidate) == folded) return candidate;

  const std::string* prefixOf = nullptr;
  int prefixes = 0;
  for (const auto& candidate : candidates)
    if (Folded(candidate).starts_with(folded)) {
      prefixOf = &candidate;
      ++prefixes;
    }
  if (prefixes == 1) return *prefixOf;

  const std::size_t allowed = std::max<std::size_t>(1, folded.size() / 3);
  const std::string* nearest = nullptr;
  std::size_t best = allowed + 1;
  for (const auto& candidate : candidates) {
    // Words far apart in length are never near; this also bounds the work
    // for long words.
    const std::string other = Folded(candidate);
    if (other.size() > folded.size() + allowed || folded.size() > other.size() + allowed) continue;
    const std::size_t distance = Distance(folded, other);
    if (distance < best) {
      best = distance;
      nearest = &candidate;
    }
  }
  return nearest != nullptr ? *nearest : std::string();
}

}  // namespace tarn::cli
