// "Did you mean": the known word that a mistyped one most likely stands for.
#pragma once

#include <string>
#include <vector>

namespace tarn::cli {

// The candidate that equals `word` but for letter case; else the only one
// that `word` begins; else the one nearest by edits (insert, delete, change
// or swap two neighbours a character), when it is at most a third of the
// word's length away. Leading dashes of options are not compared. "" when no
// candidate is near.
std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates);

}  // namespace tarn::cli
