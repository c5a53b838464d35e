// Small models written the way the modelling tool writes them, read through
// the host interface.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "common/error.hpp"
#include "modelfile/load_error.hpp"
#include "modelfile/petal/petal_reader.hpp"

namespace tarn::modelfile {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class PetalMapping : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("tarn-petal-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path path = folder_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  PetalModel Load(const std::string& path, const PetalOptions& options = {}) {
    warnings_.clear();
    return LoadPetalModel(path, options,
                          [this](const std::string& warning) { warnings_.push_back(warning); });
  }

  fs::path folder_;
  std::vector<std::string> warnings_;
};

std::string Header(int version = 50, const std::string& char_set = "0") {
  return "\n(object Petal\n    version    \t" + std::to_string(version) +
         (char_set.empty() ? "" : "\n    charSet    \t" + char_set) + ")\n\n";
}

const char* const kBank = R"((object Design "Logical View"
    is_unit    	TRUE
    is_loaded  	TRUE
    root_category 	(object Class_Category "Logical View"
	quid       	"000000000001"
	logical_models 	(list unit_reference_list
	    (object Class "Bank"
		quid       	"0000000000B1")
	    (object Class_Category "money"
		quid       	"000000000002"
		logical_models 	(list unit_reference_list
		    (object Class "Account"
			attributes 	(list Attribute_Set
			    (object Attribute
				tool       	"Tarn"
				name       	"Invariant"
				value      	
|balance \geq 0
|limit \geq 0
				)
			    (object Attribute
				tool       	"Other"
				name       	"Properties"
				value      	"not ours")
			    (object Attribute
				tool       	"Tarn"
				name       	"Invariant"
				value      	"second entry"))
			quid       	"0000000000A1"
			superclasses 	(list inheritance_relationship_list
			    (object Inheritance_Relationship
				supplier   	"Logical View::Bank"
				quidu      	"0000000000B1")
			    (object Inheritance_Relationship
				supplier   	"Logical View::money::std\\:\\:stack< int >")
			    (object Inheritance_Relationship
				supplier   	"CWinThread"))
			operations 	(list Operations
			    (object Operation "deposit"
				attributes 	(list Attribute_Set
				    (object Attribute
					tool       	"Tarn"
					name       	"isQuery"
					value      	FALSE))
				quid       	"0000000000C1"
				parameters 	(list Parameters
				    (object Parameter "amount"
					quid       	"0000000000C2"
					type       	"\\nat")
				    (object Parameter "$UNNAMED$7"
					quid       	"0000000000C3"))
				result     	"int"
				pre_condition 	(object Semantic_Info
				    PDL        	"amount? > 0")
				post_condition 	(object Semantic_Info
				    PDL        	
|balance' = balance + amount?
|
				    )
				uid        	0)
			    (object Operation "getBalance"
				quid       	"0000000000C4"))
			class_attributes 	(list class_attribute_list
			    (object ClassAttribute "balance"
				quid       	"0000000000D1"
				type       	"int"
				initv      	"0")
			    (object ClassAttribute "limit"
				attributes 	(list Attribute_Set
				    (object Attribute
					tool       	"Tarn"
					name       	"Invariant"
					value      	(value Text "limit < 10")))
				quid       	"0000000000D2"
				initv      	
|\"
				)))
		    (object Instantiated_Class "std::stack< int >"
			quid       	"0000000000E1")
		    (object Association "$UNNAMED$0"
			attributes 	(list Attribute_Set
			    (object Attribute
				tool       	"Tarn"
				name       	"TypeOfRoleB"
				value      	"\\power")
			    (object Attribute
				tool       	"Tarn"
				name       	"Count"
				value      	3)
			    (object Attribute
				tool       	"Tarn"
				name       	"Choice"
				value      	("Kind" 2)))
			quid       	"0000000000F1"
			roles      	(list role_list
			    (object Role "bank"
				quid       	"0000000000F2"
				supplier   	"Logical View::Bank"
				quidu      	"0000000000B1"
				client_cardinality 	(value cardinality "1"))
			    (object Role "$UNNAMED$1"
				quid       	"0000000000F3"
				supplier   	"Logical View::money::Account"
				client_cardinality 	(value cardinality "0..n")
				is_navigable 	TRUE))))
		logical_presentations 	(list unit_reference_list
		    (object ClassDiagram "Accounts"
			quid       	"000000000012"
			items      	(list diagram_item_list
			    (object ClassView "Class" "Logical View::money::Account" @1
				quidu      	"0000000000A1"))))))
	logical_presentations 	(list unit_reference_list
	    (object UseCaseDiagram "Use"
		quid       	"000000000010"
		items      	(list diagram_item_list))
	    (object ClassDiagram "Main"
		quid       	"000000000011"
		items      	(list diagram_item_list
		    (object ClassView "Class" "Logical View::money::Account" @1
			quidu      	"0000000000A1")
		    (object ClassView "Class" "Logical View::Bank" @2
			quidu      	"0000000000B1")
		    (object ClassView "Class" "Logical View::money::Account" @3
			quidu      	"0000000000A1")
		    (object AssociationViewNew "" @4
			quidu      	"0000000000F1")
		    (object AssociationViewNew "" @5
			quidu      	"0000000000F1")
		    (object InheritView "" @6
			quidu      	"000000000099")))
	    (object ClassDiagram "Second"
		quid       	"000000000013"
		items      	(list diagram_item_list))))
    properties 	(object Properties
	attributes 	(list Attribute_Set
	    (object Attribute
		tool       	"Tarn"
		name       	"default__Class"
		value      	(list Attribute_Set
		    (object Attribute
			tool       	"Tarn"
			name       	"Properties"
			value      	"")
		    (object Attribute
			tool       	"Tarn"
			name       	"Invariant"
			value      	"default invariant")))
	    (object Attribute
		tool       	"Tarn"
		name       	"default__Operation"
		value      	(list Attribute_Set
		    (object Attribute
			tool       	"Tarn"
			name       	"isQuery"
			value      	TRUE)
		    (object Attribute
			tool       	"Tarn"
			name       	"isDefinition"
			value      	TRUE)))
	    (object Attribute
		tool       	"Other"
		name       	"default__Association"
		value      	(list Attribute_Set
		    (object Attribute
			tool       	"Other"
			name       	"Retrieve"
			value      	"not ours"))))
	quid       	"000000000003"))
)";

TEST_F(PetalMapping, ReadsClassesOperationsAssociationsAndDiagrams) {
  const PetalModel petal = Load(Write("bank.mdl", Header() + kBank));
  EXPECT_TRUE(warnings_.empty());
  const host::MemoryModel& model = petal.app->model;
  EXPECT_EQ(model.encoding, "windows-1252");
  const host::Package& root = model.RootCategory();
  EXPECT_EQ(root.ElementName(), "Logical View");
  ASSERT_EQ(root.ClassDiagrams().ItemCount(), 2);  // the use-case diagram is no class diagram
  const host::ClassDiagram& main = root.ClassDiagrams().ItemAt(1);
  EXPECT_EQ(main.ElementName(), "Main");
  EXPECT_EQ(root.ClassDiagrams().ItemAt(2).ElementName(), "Second");
  ASSERT_EQ(model.packageDiagrams.size(), 1u);
  EXPECT_EQ(model.packageDiagrams[0].name, "Accounts");
  EXPECT_EQ(model.packageDiagrams[0].package, "money");

  // A class drawn twice appears once, at its first view.
  const auto classes = main.AllClasses();
  ASSERT_EQ(classes.ItemCount(), 2);
  const host::Class& account = classes.ItemAt(1);
  EXPECT_EQ(account.ElementName(), "Account");
  EXPECT_EQ(classes.ItemAt(2).ElementName(), "Bank");

  // The element's first Tarn entry wins; then the model's default set.
  EXPECT_EQ(account.TaggedValue("Tarn", "Invariant"), "balance \\geq 0\r\nlimit \\geq 0");
  EXPECT_EQ(account.TaggedValue("Tarn", "Properties"), "");
  EXPECT_EQ(classes.ItemAt(2).TaggedValue("Tarn", "Invariant"), "default invariant");

  const auto attributes = account.ClassAttributes();
  ASSERT_EQ(attributes.ItemCount(), 2);
  EXPECT_EQ(attributes.ItemAt(1).AttributeType(), "int");
  EXPECT_EQ(attributes.ItemAt(1).InitialValue(), "0");
  EXPECT_EQ(attributes.ItemAt(2).AttributeType(), "");
  EXPECT_EQ(attributes.ItemAt(2).InitialValue(), "\\\"");  // a text block keeps its bytes
  EXPECT_EQ(attributes.ItemAt(2).TaggedValue("Tarn", "Invariant"), "limit < 10");

  const auto operations = account.ClassOperations();
  ASSERT_EQ(operations.ItemCount(), 2);
  const host::Operation& deposit = operations.ItemAt(1);
  EXPECT_EQ(deposit.ReturnType(), "int");
  EXPECT_EQ(deposit.PreconditionText(), "amount? > 0");
  EXPECT_EQ(deposit.PostconditionText(), "balance' = balance + amount?\r\n");
  EXPECT_EQ(deposit.TaggedValue("Tarn", "isQuery"), "False");
  EXPECT_EQ(deposit.TaggedValue("Tarn", "isDefinition"), "True");
  ASSERT_EQ(deposit.OperationParameters().ItemCount(), 2);
  EXPECT_EQ(deposit.OperationParameters().ItemAt(1).ParameterType(), "\\nat");
  EXPECT_EQ(deposit.OperationParameters().ItemAt(2).ElementName(), "");
  const host::Operation& get_balance = operations.ItemAt(2);
  EXPECT_EQ(get_balance.ReturnType(), "");
  EXPECT_EQ(get_balance.PreconditionText(), "");
  EXPECT_EQ(get_balance.OperationParameters().ItemCount(), 0);

  // By quidu, by qualified name with an escaped "::", and an outside class.
  const auto superclasses = account.Superclasses();
  ASSERT_EQ(superclasses.ItemCount(), 3);
  EXPECT_EQ(&superclasses.ItemAt(1), &classes.ItemAt(2));
  EXPECT_EQ(superclasses.ItemAt(2).ElementName(), "std::stack< int >");
  EXPECT_EQ(static_cast<const host::MemoryClass&>(superclasses.ItemAt(2)).id, "0000000000E1");
  EXPECT_EQ(superclasses.ItemAt(3).ElementName(), "CWinThread");
  EXPECT_EQ(superclasses.ItemAt(3).ClassAttributes().ItemCount(), 0);

  // The association drawn twice appears once; unnamed elements have no name.
  const auto associations = main.ClassAssociations();
  ASSERT_EQ(associations.ItemCount(), 1);
  const host::Association& owns = associations.ItemAt(1);
  EXPECT_EQ(owns.ElementName(), "");
  EXPECT_EQ(owns.TaggedValue("Tarn", "TypeOfRoleB"), "\\power");
  EXPECT_EQ(owns.TaggedValue("Tarn", "Count"), "3");
  EXPECT_EQ(owns.TaggedValue("Tarn", "Choice"), "");
  EXPECT_EQ(owns.TaggedValue("Tarn", "Retrieve"), "");
  EXPECT_EQ(owns.FirstRole().ElementName(), "bank");
  EXPECT_EQ(owns.FirstRole().RoleSupplierName(), "Bank");
  EXPECT_EQ(owns.FirstRole().RoleCardinality(), "1");
  EXPECT_FALSE(owns.FirstRole().RoleNavigable());
  EXPECT_EQ(owns.SecondRole().ElementName(), "");
  EXPECT_EQ(&owns.SecondRole().RoleClass(), &account);  // by qualified name, no quidu
  EXPECT_EQ(owns.SecondRole().RoleCardinality(), "0..n");
  EXPECT_TRUE(owns.SecondRole().RoleNavigable());

  // Every class and association of the logical view, ids are quids.
  std::vector<std::string> ids;
  for (const auto& cls : model.classes) ids.push_back(cls.id);
  EXPECT_THAT(ids, ElementsAre("0000000000B1", "0000000000A1", "0000000000E1", "CWinThread"));
}

TEST_F(PetalMapping, UnqualifiedNamesOfVersion40FilesAndTheRootFoundByPosition) {
  const std::string model =
      "(object Design \"\xCF\xD4\xCA\xBE\"\n"
      "    root_category 	(object Class_Category \"\xCF\xD4\xCA\xBE\"\n"
      "\tlogical_models 	(list unit_reference_list\n"
      "\t    (object Class \"AType\"\n"
      "\t\tquid \"0000000000A1\")\n"
      "\t    (object Class \"Sub\"\n"
      "\t\tquid \"0000000000A2\"\n"
      "\t\tsuperclasses 	(list inheritance_relationship_list\n"
      "\t\t    (object Inheritance_Relationship\n"
      "\t\t\tsupplier 	\"AType\"))))\n"
      "\tlogical_presentations 	(list unit_reference_list)))\n";
  const PetalModel old = Load(Write("old.mdl", Header(40, "") + model));
  EXPECT_EQ(old.app->model.root.name, "\xCF\xD4\xCA\xBE");
  EXPECT_EQ(old.app->model.encoding, "windows-1252");
  EXPECT_EQ(old.app->model.classes[1].superclasses.at(0), &old.app->model.classes[0]);
  EXPECT_EQ(old.app->model.RootCategory().ClassDiagrams().ItemCount(), 0);

  // In later versions a bare name is an outside class, and charSet counts.
  const PetalModel newer = Load(Write("new.mdl", Header(50, "134") + model));
  EXPECT_EQ(newer.app->model.encoding, "gbk");
  EXPECT_EQ(newer.app->model.classes[1].superclasses.at(0)->id, "AType");
  EXPECT_NE(newer.app->model.classes[1].superclasses.at(0), &newer.app->model.classes[0]);
}

TEST_F(PetalMapping, ValidUtf8WithMultiByteSequencesOverridesTheDeclaredCharSet) {
  const std::string model =
      "(object Design \"Logical View\"\n"
      "    root_category 	(object Class_Category \"Logical View\"\n"
      "\tdocumentation \"\xE5\x9B\x9B\xE5\xB1\x82\"))\n";
  EXPECT_EQ(Load(Write("u.mdl", Header(50, "134") + model)).app->model.encoding, "utf-8");
  const std::string plain =
      "(object Design \"Logical View\"\n"
      "    root_category 	(object Class_Category \"Logical View\"))\n";
  EXPECT_EQ(Load(Write("c.mdl", Header(50, "204") + plain)).app->model.encoding, "windows-1251");
}

std::string Unit(const std::string& name, const std::string& quid, const std::string& models) {
  return Header() + "(object Class_Category \"" + name +
         "\"\n    is_unit TRUE\n    is_loaded TRUE\n    quid \"" + quid +
         "\"\n    logical_models (list unit_reference_list\n" + models + "))\n";
}

std::string Stub(const std::string& name, const std::string& file, const std::string& quid) {
  return "\t    (object Class_Category \"" + name +
         "\"\n\t\tis_unit TRUE\n\t\tis_loaded FALSE\n\t\tfile_name \"" + file + "\"\n\t\tquid \"" +
         quid + "\")\n";
}

std::string Model(const std::string& models, const std::string& items) {
  return Header() +
         "(object Design \"Logical View\"\n    root_category (object Class_Category \"Logical "
         "View\"\n" +
         "\tlogical_models (list unit_reference_list\n" + models + ")\n" +
         "\tlogical_presentations (list unit_reference_list\n\t    (object ClassDiagram "
         "\"Main\"\n" +
         "\t\titems (list diagram_item_list\n" + items + ")))))\n";
}

std::string ClassView(const std::string& qualified, const std::string& quid) {
  return "\t\t    (object ClassView \"Class\" \"" + qualified + "\" quidu \"" + quid + "\")\n";
}

TEST_F(PetalMapping, LoadsNestedUnitsThroughCurdirPathMapsAndFileNamesOfAnyCase) {
  Write("units/Outer.CAT",
        Unit("outer", "0000000000U1",
             "\t(object Class \"O\" quid \"0000000000C1\")\n" +
                 Stub("inner", "$CURDIR\\\\deeper\\\\inner.cat", "0000000000U2")));
  Write("units/deeper/inner.cat",
        Unit("inner", "0000000000U2", "\t(object Class \"I\" quid \"0000000000C2\")\n"));
  const std::string path =
      Write("model/m.mdl", Model(Stub("outer", "$Tarn_Units\\\\outer.cat", "0000000000U1"),
                                 ClassView("Logical View::outer::inner::I", "0000000000C2") +
                                     ClassView("Logical View::outer::O", "0000000000C1")));
  PetalOptions options;
  options.pathMap["TARN_UNITS"] = (folder_ / "units").string();
  const PetalModel petal = Load(path, options);
  EXPECT_TRUE(warnings_.empty()) << warnings_.front();
  const auto classes = petal.app->model.RootCategory().ClassDiagrams().ItemAt(1).AllClasses();
  ASSERT_EQ(classes.ItemCount(), 2);
  EXPECT_EQ(classes.ItemAt(1).ElementName(), "I");
  EXPECT_EQ(classes.ItemAt(2).ElementName(), "O");

  // The same symbol from the environment.
  ::setenv("Tarn_Units", (folder_ / "units").c_str(), 1);
  Load(path);
  ::unsetenv("Tarn_Units");
  EXPECT_TRUE(warnings_.empty());
}

// Bytes already read load as the file would at their path: its units are
// found beside it, and messages name it.
TEST_F(PetalMapping, BytesLoadAsTheFileWouldAtTheirPath) {
  Write("outer.cat",
        Unit("outer", "0000000000U1", "\t(object Class \"O\" quid \"0000000000C1\")\n"));
  const std::string path = (folder_ / "never-written.mdl").string();
  const auto warn = [this](const std::string& warning) { warnings_.push_back(warning); };
  const PetalModel petal =
      ParsePetalModel(Model(Stub("outer", "$CURDIR\\\\outer.cat", "0000000000U1"),
                            ClassView("Logical View::outer::O", "0000000000C1")),
                      path, {}, warn);
  EXPECT_TRUE(warnings_.empty()) << warnings_.front();
  const auto classes = petal.app->model.RootCategory().ClassDiagrams().ItemAt(1).AllClasses();
  ASSERT_EQ(classes.ItemCount(), 1);
  EXPECT_EQ(classes.ItemAt(1).ElementName(), "O");

  try {
    ParsePetalModel(Header() + "(object Something \"x\")\n", path, {}, warn);
    ADD_FAILURE() << "no load error";
  } catch (const LoadError& error) {
    EXPECT_EQ(error.File(), path);
  }
}

TEST_F(PetalMapping, AMissingUnitIsAWarningAndAnErrorOnlyWhereItIsUsed) {
  // The unit's file lies beside the model, but holds another package.
  Write("wrong.cat", Unit("gone", "0000000000FF", ""));
  const std::string models =
      Stub("gone", "D:\\\\elsewhere\\\\wrong.cat", "0000000000U1") +
      "\t    (object Class \"Here\" quid \"0000000000C1\"\n"
      "\t\tsuperclasses (list inheritance_relationship_list\n"
      "\t\t    (object Inheritance_Relationship supplier \"Logical View::gone::Base\" quidu "
      "\"0000000000C9\")))\n"
      "\t    (object Association \"uses\" quid \"0000000000A1\"\n"
      "\t\troles (list role_list\n"
      "\t\t    (object Role \"here\" supplier \"Logical View::Here\" quidu \"0000000000C1\")\n"
      "\t\t    (object Role \"there\" supplier \"Logical View::gone::There\" quidu "
      "\"0000000000C8\")))\n";
  const std::string path =
      Write("m.mdl",
            Model(models, ClassView("Logical View::Here", "0000000000C1") +
                              ClassView("Logical View::gone::There", "0000000000C8") +
                              "\t\t    (object AssociationViewNew \"\" quidu \"0000000000A9\")\n"));
  const PetalModel petal = Load(path);
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_THAT(warnings_[0],
              HasSubstr("m.mdl:9:14: warning: unit \"D:\\elsewhere\\wrong.cat\" of package "
                        "Logical View::gone"));
  EXPECT_THAT(warnings_[0],
              HasSubstr("holds another package (quid 0000000000FF, not 0000000000U1)"));
  ASSERT_EQ(petal.missingUnits.size(), 1u);
  EXPECT_EQ(petal.missingUnits[0].package, "Logical View::gone");

  const host::ClassDiagram& main = petal.app->model.RootCategory().ClassDiagrams().ItemAt(1);
  const auto classes = main.AllClasses();
  ASSERT_EQ(classes.ItemCount(), 2);
  const host::Class& here = classes.ItemAt(1);
  EXPECT_EQ(here.ElementName(), "Here");
  const auto unloaded = [](auto&& use) {
    try {
      use();
    } catch (const Error& error) {
      EXPECT_EQ(error.Number(), kFileNotFound);
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(unloaded([&] { classes.ItemAt(2).ElementName(); }),
            "Logical View::gone::There lies in the unit \"D:\\elsewhere\\wrong.cat\" (package "
            "Logical View::gone), "
            "which was not loaded");
  EXPECT_THAT(unloaded([&] { here.Superclasses().ItemAt(1).ClassAttributes(); }),
              HasSubstr("Logical View::gone::Base lies in the unit"));
  const host::Association& uses = petal.app->model.associations.at(0);
  EXPECT_EQ(uses.FirstRole().RoleSupplierName(), "Here");
  EXPECT_THAT(unloaded([&] { uses.SecondRole().RoleSupplierName(); }),
              HasSubstr("gone::There lies in the unit"));
  EXPECT_THAT(
      unloaded([&] { main.ClassAssociations().ItemAt(1).FirstRole(); }),
      HasSubstr(
          "shows the association 0000000000A9, which is not in the loaded model; it may lie in"));
}

TEST_F(PetalMapping, AViewOfAnElementNotInTheModelFailsWhenUsed) {
  const std::string path =
      Write("m.mdl", Model("", ClassView("Logical View::Nowhere", "0000000000C1")));
  const PetalModel petal = Load(path);
  const host::Class& nowhere =
      petal.app->model.RootCategory().ClassDiagrams().ItemAt(1).AllClasses().ItemAt(1);
  try {
    nowhere.ClassOperations();
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(),
                 "class diagram \"Main\" shows the class Logical View::Nowhere (quid "
                 "0000000000C1), which is not "
                 "in the loaded model");
  }
}

TEST_F(PetalMapping, ModelLevelProblemsAreLoadErrors) {
  const std::string one_role = Model(
      "\t    (object Association \"a\" quid \"0000000000A1\"\n\t\troles (list role_list\n"
      "\t\t    (object Role \"r\" supplier \"X\")))\n",
      "");
  EXPECT_THROW(
      {
        try {
          Load(Write("m.mdl", one_role));
        } catch (const LoadError& error) {
          EXPECT_THAT(error.what(),
                      HasSubstr("m.mdl:9:14: association Logical View::a has 1 roles, not two"));
          throw;
        }
      },
      LoadError);
  EXPECT_THROW(Load(Write("l.mdl", Header() + "(object Design \"x\")\n")), LoadError);
  EXPECT_THROW(Load(Write("s.mdl", Header() + "(object Something \"x\")\n")), LoadError);
  EXPECT_THROW(Load((folder_ / "absent.mdl").string()), Error);
}

// Corrupted models either load or fail with a load error; whatever loads
// can be walked through the host without touching freed or missing records.
TEST_F(PetalMapping, CorruptedModelsNeverCrash) {
  const std::string model = Header() + kBank;
  std::mt19937 random(6);
  const std::string alphabet = "()\"\\|@ \n0123456789ABCDEF:$";
  for (int round = 0; round < 400; ++round) {
    std::string bytes = model;
    for (int i = 0; i < 4; ++i) {
      const std::size_t at = random() % bytes.size();
      if (random() % 2)
        bytes[at] = alphabet[random() % alphabet.size()];
      else
        bytes.erase(at, 1 + random() % 12);
    }
    try {
      const PetalModel petal = Load(Write("fuzz.mdl", bytes));
      for (const auto& cls : petal.app->model.classes) {
        if (!cls.unavailable.empty()) continue;
        for (const auto* super : cls.superclasses) {
          EXPECT_NE(super, nullptr);
        }
      }
      for (const auto& association : petal.app->model.associations) {
        if (association.unavailable.empty()) {
          EXPECT_NE(association.first.supplier, nullptr);
          EXPECT_NE(association.second.supplier, nullptr);
        }
      }
    } catch (const LoadError&) {
    }
  }
}

}  // namespace
}  // namespace tarn::modelfile
