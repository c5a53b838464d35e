#include "modelfile/petal/corpus_fixture.hpp"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarn::modelfile::testing {
namespace {

namespace fs = std::filesystem;

// The fixture folder, removed when the test program ends.
struct Fixture {
  std::string root;
  ~Fixture() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
};

std::string BuildFixture() {
  const fs::path root =
      fs::temp_directory_path() / ("tarn-petal-corpus-" + std::to_string(::getpid()));
  fs::remove_all(root);
  for (const CorpusFile& file : CorpusFiles()) {
    fs::create_directories(root / file.folder);
    fs::copy_file(fs::path(CorpusSource()) / file.corpus, root / file.folder / file.original,
                  fs::copy_options::overwrite_existing);
  }
  return root.string();
}

}  // namespace

const std::vector<CorpusFile>& CorpusFiles() {
  static const std::vector<CorpusFile> files = {
      {"C01", "C01-Ecore.mdl", "emf", "Ecore.mdl"},
      {"C02", "C02-org.eclipse.emf.Ecore.cat", "emf", "org.eclipse.emf.Ecore.cat"},
      {"C03", "C03-library.mdl", "emf-test", "library.mdl"},
      {"C04", "C04-U2P-UML-Super-v2-040516.cat", "uml2", "U2P-UML-Super-v2-040516.cat"},
      {"C05", "C05-U2P-UML-Infra-v2-030303.cat", "uml2", "U2P-UML-Infra-v2-030303.cat"},
      {"C06", "C06-UML2.mdl", "uml2", "UML2.mdl"},
      {"C07", "C07-DatabaseDefinitionModel.mdl", "dbdefinition", "DatabaseDefinitionModel.mdl"},
      {"C08", "C08-SQLModel.mdl", "sql", "SQLModel.mdl"},
      {"C09", "C09-SQLModel-Tables.cat", "sql", "SQLModel-Tables.cat"},
      {"C10", "C10-ejbschema.cat", "j2ee", "ejbschema.cat"},
      {"C11", "C11-j2ee.mdl", "j2ee", "j2ee.mdl"},
      {"C12", "C12-notation.mdl", "notation", "notation.mdl"},
      {"C13", "C13-Barat.mdl", "crazybeans", "Barat.mdl"},
      {"C14", "C14-uni.mdl", "crazybeans", "uni.mdl"},
      {"C15", "C15-Hospital98.mdl", "crazybeans", "Hospital98.mdl"},
      {"C16", "C16-sequanceDiagram.mdl", "crazybeans", "sequanceDiagram.mdl"},
      {"C17", "C17-project.mdl", "crazybeans", "project.mdl"},
      {"C18", "C18-AF2006_AC001.mdl", "crazybeans", "AF2006_AC001.mdl"},
      {"C19", "C19-sgtest2018-09.mdl", "crazybeans", "sgtest2018-09.mdl"},
      {"C20", "C20-sgtest2018-09-B.cat", "crazybeans", "sgtest2018-09-B.cat"},
      {"C21", "C21-JDK-12_01.mdl", "crazybeans", "JDK-12_01.mdl"},
      {"C22", "C22-library.mdl", "labs", "library.mdl"},
      {"C23", "C23-UML2.mdl", "labs", "UML2.mdl"},
      {"C24", "C24-Model.mdl", "quanlynhansu", "Model.mdl"},
      {"C25", "C25-UML.mdl", "biubiubiu", "UML.mdl"},
      {"C26", "C26-UML.mdl", "umldemo", "UML.mdl"},
      {"C27", "C27-UML.mdl", "datn", "UML.mdl"},
      {"C28", "C28-design.mdl", "zelva", "design.mdl"},
      {"C29", "C29-design.mdl", "jnoc", "design.mdl"},
      {"C30", "C30-uml.mdl", "uml-fa", "uml.mdl"},
      {"C31", "C31-Design.mdl", "simulator", "Design.mdl"},
      {"C32", "C32-rose.mdl", "skywar", "rose.mdl"},
      {"C33", "C33-uml.mdl", "hello", "uml.mdl"},
      {"C34", "C34-DCI.mdl", "qedo", "DCI.mdl"},
      {"C35", "C35-uml.mdl", "calendar", "uml.mdl"},
      {"C36", "C36-test.cat", "catparser", "test.cat"},
      {"C37", "C37-Class.mdl", "yourface", "Class.mdl"},
      {"C38", "C38-ClassDiagram.mdl", "hci", "ClassDiagram.mdl"},
      {"C39", "C39-UML_(1).mdl", "jay", "UML (1).mdl"},
      {"C40", "C40-RationalRose.mdl", "yourface", "RationalRose.mdl"},
  };
  return files;
}

std::string CorpusSource() {
  const std::string source = TARN_ROSE_CORPUS;
  return fs::is_directory(source) ? source : std::string();
}

std::string CorpusPath(const std::string& id) {
  static const Fixture fixture{BuildFixture()};
  for (const CorpusFile& file : CorpusFiles())
    if (file.id == id) return (fs::path(fixture.root) / file.folder / file.original).string();
  throw std::invalid_argument("no corpus file " + id);
}

std::string CorpusPathAsTarn(const std::string& id, const std::string& tool) {
  const fs::path original = CorpusPath(id);
  std::ostringstream bytes;
  bytes << std::ifstream(original, std::ios::binary).rdbuf();
  std::string text = bytes.str();
  const std::string from = "tool       \t\"" + tool + "\"";
  const std::string to = "tool       \t\"Tarn\"";
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  const fs::path copy =
      original.parent_path() / (original.stem().string() + "-tarn" + original.extension().string());
  std::ofstream(copy, std::ios::binary) << text;
  return copy.string();
}

}  // namespace tarn::modelfile::testing
