// Writes the synthetic benchmark models: for each class count N given,
// DIR/model-N.yaml (native format), DIR/model-N.mdl (Rose petal file) and
// DIR/model-N.uml with DIR/model-N.notation (UML 2 XMI as Papyrus writes it).
//   bench_model_generator DIR N...
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "native_text.hpp"
#include "petal_text.hpp"
#include "synthetic_model.hpp"
#include "xmi_text.hpp"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (out) return true;
  std::cerr << "bench_model_generator: cannot write " << path.string() << ": "
            << std::strerror(errno) << "\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: bench_model_generator DIR N...\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::cerr << "bench_model_generator: cannot create " << folder.string() << ": "
              << error.message() << "\n";
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    const std::string count = argv[i];
    if (count.empty() || count.size() > 5 ||
        count.find_first_not_of("0123456789") != std::string::npos || std::stoi(count) < 4) {
      std::cerr << "bench_model_generator: N must be a number from 4 to 99999, not " << count
                << "\n";
      return 2;
    }
    tarn::host::MemoryModel model;
    tarn::bench::BuildSyntheticModel(model, std::stoi(count));
    const std::string stem = "model-" + count;
    const auto xmi = tarn::bench::XmiModelText(model, stem + ".uml");
    if (!WriteFile(folder / (stem + ".yaml"), tarn::bench::NativeModelText(model)) ||
        !WriteFile(folder / (stem + ".mdl"), tarn::bench::PetalModelText(model)) ||
        !WriteFile(folder / (stem + ".uml"), xmi.model) || !WriteFile(folder / (stem + ".notation"), xmi.notation))
      return 1;
    std::cout << "wrote " << (folder / stem).string() << ".yaml, .mdl, .uml and .notation\n";
  }
  return 0;
}
