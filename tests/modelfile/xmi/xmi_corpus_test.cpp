// Every UML 2 file of the XMI corpus loads, and facts read from the files by
// hand come out of the host; the files Tarn does not read are refused with
// their sentence. Comments give the line of the file a fact comes from.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "modelfile/load_error.hpp"
#include "modelfile/xmi/model_query.hpp"

namespace tarn::modelfile {
namespace {

using ::testing::HasSubstr;
using testing::Query;

const std::string kCorpus = TARN_XMI_CORPUS;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class XmiCorpus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(kCorpus)) GTEST_SKIP() << "XMI corpus not found at " << kCorpus;
  }

  XmiModel Load(const std::string& file) { return LoadAt(kCorpus + "/" + file); }
  XmiModel LoadAt(const std::string& path) {
    warnings_.clear();
    return LoadXmiModel(path, {}, [this](const std::string& warning) { warnings_.push_back(warning); });
  }
  // A copy of a corpus file with texts replaced, in a folder of its own.
  std::string Edited(const std::string& file,
                     const std::vector<std::pair<std::string, std::string>>& replacements) {
    std::string text = Slurp(kCorpus + "/" + file);
    for (const auto& [from, to] : replacements)
      for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    const auto folder = std::filesystem::temp_directory_path() / "tarn-xmi-corpus";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / file).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  std::vector<std::string> warnings_;
};

TEST_F(XmiCorpus, FactsReadFromTheFiles) {
  const struct {
    const char* file;
    const char* query;
    const char* expected;
  } facts[] = {
      // OMG's UML metamodel: an xmi:XMI wrapper around a uml:Package, library hrefs.
      {"X01-UML.xmi", "classes", "242"},
      {"X01-UML.xmi", "class|OpaqueExpression|operation|isIntegral", "() -> Boolean"},  // :2015
      {"X01-UML.xmi", "class|OpaqueExpression|pre|isNonNegative", "self.isIntegral()"},  // :2019, :2027
      {"X02-PrimitiveTypes.xmi", "classes", "0"},
      {"X03-StandardProfile.xmi", "classes", "0"},
      // Eclipse UML2 5: the model with Ecore's stereotype applications beside it.
      {"X04-UML.uml", "class|Comment|attributes", "body:String"},
      {"X05-UML.metamodel.uml", "class|Classifier|pre|hasVisibilityOf",
       "allParents()->including(self)->collect(member)->includes(n)"},  // :5493
      // uml:Model as the document element, UML2 4.0.0, local primitive types.
      {"X06-ExtendedPO2.uml", "classes", "8"},
      {"X06-ExtendedPO2.uml", "class|PurchaseOrder|attributes",
       "comment:String, orderDate:Date, status:OrderStatus, totalAmount:int"},  // :44-60
      {"X06-ExtendedPO2.uml", "class|GlobalAddress|superclasses", "Address, GlobalLocation"},  // :142-143
      {"X06-ExtendedPO2.uml", "association|_stmIbIH4EeOZq68N3n_w7g",
       "pendingOrders:PurchaseOrder:0..n:true / :Supplier:0..1:false"},  // :23, :161-165
      {"X07-Bug497359.uml", "classes", "343"},
      {"X08-UMLPrimitiveTypes.library.uml", "classes", "0"},
      // Papyrus: the class diagrams of the .notation beside the model; the first
      // owned by the model that shows a class ("pd | Packaging" shows packages only).
      {"X09-model.uml", "diagrams",
       "cd | User=14/8; pd | Packaging=0/0; Use Case Overview=0/0; Actors=0/0; "
       "System Requirements=0/0; Databases=7/3; SupportingClasses=0/0"},
      {"X09-model.uml", "class|Customer|operation|SignIn", "() -> UserStatus"},  // :497-498
      {"X09-model.uml", "class|Customer|superclasses", "User"},
      {"X10-model.uml", "diagrams", "Example Model=21/0"},
      // MagicDraw: single quotes, types in other project files read as "".
      {"X11-BallotDefinition_UML_Model.xml", "classes", "59"},
      {"X12-BallotDefinition_UML_Model.uml", "classes", "121"},
      {"X13-ConstraintProfile.xmi", "classes", "0"},
      // Enterprise Architect: windows-1252, EA's wrapper model, dst end listed first.
      {"X14-EAExport.xmi", "classes", "8"},  // :6-95
      {"X15-EnterpriseArchitectAggregation.xmi", "association|Class1HaveClass2",
       ":Class2::false / :Class1::true"},  // :8-16, connector source Class2 :137
      {"X15-EnterpriseArchitectAggregation.xmi", "diagrams", "Package1=4/2"},  // :210-229
      {"X16-Xamples.xmi", "classes", "21"},
      {"X17-xmi-v2-4-2-default-with-citygml.xmi", "classes", "4"},
      // Modelio: XMI 2.1 namespace, no diagrams.
      {"X20-test5.xmi", "diagrams", "test=2/0"},  // :3, :9, :72
      {"X21-library.xmi", "class|Book|attributes", "title:String, pages:Integer, summary:String"},  // :8-17
      // OMG SysML QUDV: conditions defined inside <precondition>, bodies as attributes.
      {"X27-ptc-24-01-04.xmi", "class|SystemOfUnits|pre|getAdoptedQuantityKindForAdoptedBaseUnitOfMeasurementUnit",
       "allBaseUnits()->includes(u)"},  // :1194-1195
      {"X27-ptc-24-01-04.xmi",
       "class|SystemOfUnits|operation|getAdoptedQuantityKindForAdoptedBaseUnitOfMeasurementUnit",
       "(u:Unit) -> QuantityKind"},
  };
  for (const auto& fact : facts) {
    SCOPED_TRACE(std::string(fact.file) + " " + fact.query);
    EXPECT_EQ(Query(Load(fact.file), fact.query), fact.expected);
  }
}

// The tags of a profile whose namespace is Tarn's, and EA's own tags, on
// copies of real files whose tag names are made Tarn's.
TEST_F(XmiCorpus, TagsOfRealApplicationsAndExtensions) {
  // X10-model.uml:73: <EmoReq_profile:Role ... responsibility="Deliver course content, ..."
  // base_Class= the class ServiceProvider (:9)>
  auto model = LoadAt(Edited("X10-model.uml", {{"EmoReq_profile", "Tarn"}, {"responsibility=", "Invariant="}}));
  EXPECT_EQ(Query(model, "class|ServiceProvider|tag|Invariant"),
            "Deliver course content, store submissions, generate feedback, and support user interaction "
            "reliably");
  EXPECT_THAT(warnings_, ::testing::Contains(HasSubstr("the Tarn profile has no tag \"name\"")));
  // X14:320: <tag name="SearchName" value="Extended" modelElement=ClassWithTaggedValues>
  model = LoadAt(Edited("X14-EAExport.xmi", {{"\"SearchName\"", "\"Invariant\""}}));
  EXPECT_EQ(Query(model, "class|ClassWithTaggedValues|tag|Invariant"), "Extended");
}

TEST_F(XmiCorpus, FilesTarnDoesNotRead) {
  const struct {
    const char* file;
    const char* message;
  } refused[] = {
      {"X18-ea-xmi-2.4.2.xmi",
       ":1624:18: XML syntax error: Opening and ending tag mismatch: diagrams line 1496 and xmi:Extension"},
      {"X19-test.xmi", ":1:1: the file is XMI 1.x (UML 1.x): Tarn reads UML 2 XMI"},
      {"X22-Alittlebitofeverything.xmi", ":1:1: the file is XMI 1.2 (UML 1.x)"},
      {"X23-issue4440-Poseidon-hybrid.xmi", ":1:1: the file is XMI 1.2 (UML 1.x)"},
      {"X24-issue4919-Rose-uml13-xmi11.xmi", ":1:1: the file is XMI 1.1 (UML 1.x)"},
      {"X25-all-elements.xmi", ":1:1: the file is XMI 1.2 (UML 1.x)"},
      {"X09-model.notation", ":1:1: the file is a Papyrus diagram file, not a model: give Tarn the "
                             "model file beside it (X09-model.uml)"},
      {"X09-model.di", ":1:1: the file is a Papyrus diagram file, not a model: give Tarn the model "
                       "file beside it (X09-model.uml)"},
  };
  for (const auto& file : refused) {
    SCOPED_TRACE(file.file);
    try {
      Load(file.file);
      ADD_FAILURE() << "loaded";
    } catch (const LoadError& error) {
      EXPECT_THAT(error.what(), HasSubstr(std::string(file.file) + file.message));
    }
  }
}

}  // namespace
}  // namespace tarn::modelfile
