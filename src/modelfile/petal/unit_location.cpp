#include "modelfile/petal/unit_location.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace tarn::modelfile::petal {
namespace {

namespace fs = std::filesystem;

bool SameWithoutCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) {
             return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
           };
           return lower(x) == lower(y);
         });
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

// The existing file that `path` names when every component is compared
// without regard to case; "" when there is none.
std::string MatchWithoutCase(const std::string& path, FolderListing& folders) {
  if (IsFile(path)) return path;
  const fs::path wanted(path);
  fs::path current = wanted.has_root_path() ? wanted.root_path() : fs::path(".");
  for (const fs::path& part : wanted.relative_path()) {
    if (part == "." || part == "..") {
      current /= part;
      continue;
    }
    std::error_code error;
    if (fs::exists(current / part, error)) {
      current /= part;
      continue;
    }
    const std::string matched = folders.Find(current.string(), part.string());
    if (matched.empty()) return {};
    current = matched;
  }
  return IsFile(current) ? current.string() : std::string();
}

std::string FolderOf(const std::string& file) {
  const std::string folder = fs::path(file).parent_path().string();
  return folder.empty() ? "." : folder;
}

}  // namespace

std::string FolderListing::Find(const std::string& folder, const std::string& name) {
  auto [listed, added] = folders_.try_emplace(folder);
  if (added) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
      listed->second.try_emplace(Lower(it->path().filename().string()), it->path().string());
  }
  const auto found = listed->second.find(Lower(name));
  return found == listed->second.end() ? std::string() : found->second;
}

UnitLocation LocateUnit(std::string_view file_name, const std::string& referencing_file,
                        const std::string& model_file,
                        const std::map<std::string, std::string>& path_map, FolderListing& folders) {
  std::string name(file_name);
  std::replace(name.begin(), name.end(), '\\', '/');
  const std::string base = name.substr(name.rfind('/') + 1);

  UnitLocation location;
  std::vector<std::string> candidates;
  if (!name.empty() && name[0] == '$') {
    const std::size_t slash = name.find('/');
    const std::string symbol =
        name.substr(1, slash == std::string::npos ? std::string::npos : slash - 1);
    const std::string rest = slash == std::string::npos ? std::string() : name.substr(slash + 1);
    std::string folder;
    bool known = false;
    if (SameWithoutCase(symbol, "CURDIR")) {
      folder = FolderOf(referencing_file);
      known = true;
    } else {
      location.symbol = symbol;
    }
    for (const auto& [key, value] : path_map) {
      if (!known && SameWithoutCase(key, symbol)) {
        folder = value;
        known = location.symbol_mapped = true;
      }
    }
    if (!known) {
      if (const char* value = std::getenv(symbol.c_str())) {
        folder = value;
        known = true;
      }
    }
    if (known) candidates.push_back(rest.empty() ? folder : folder + "/" + rest);
  } else if (!name.empty() && name[0] == '/') {
    candidates.push_back(name);
  } else if (!(name.size() >= 2 && name[1] == ':')) {  // a drive letter: another machine's path
    candidates.push_back(FolderOf(referencing_file) + "/" + name);
  }
  if (!base.empty()) {
    candidates.push_back(FolderOf(referencing_file) + "/" + base);
    candidates.push_back(FolderOf(model_file) + "/" + base);
  }

  for (const std::string& candidate : candidates) {
    if (std::find(location.looked.begin(), location.looked.end(), candidate) !=
        location.looked.end())
      continue;
    location.looked.push_back(candidate);
    location.found = MatchWithoutCase(candidate, folders);
    if (!location.found.empty()) break;
  }
  return location;
}

}  // namespace tarn::modelfile::petal
