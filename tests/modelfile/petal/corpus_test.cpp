// Every file of the Rose corpus loads, and facts read from the files by hand
// come out of the host. The comments give the line of the file each fact
// comes from.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/error.hpp"
#include "modelfile/petal/corpus_fixture.hpp"
#include "modelfile/petal/petal_reader.hpp"

namespace tarn::modelfile {
namespace {

using testing::CorpusFiles;
using testing::CorpusPath;
using testing::CorpusPathAsTarn;
using testing::CorpusSource;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::SizeIs;

class PetalCorpus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (CorpusSource().empty()) GTEST_SKIP() << "Rose corpus not found at " TARN_ROSE_CORPUS;
  }

  PetalModel Load(const std::string& id) { return LoadPath(CorpusPath(id)); }
  PetalModel LoadPath(const std::string& path) {
    warnings_.clear();
    return LoadPetalModel(path, {},
                          [this](const std::string& warning) { warnings_.push_back(warning); });
  }

  std::vector<std::string> warnings_;
};

const host::ClassDiagram& FirstDiagram(const PetalModel& model) {
  return model.app->model.RootCategory().ClassDiagrams().ItemAt(1);
}

std::vector<std::string> ClassNames(const host::ClassDiagram& diagram) {
  std::vector<std::string> names;
  const auto classes = diagram.AllClasses();
  for (std::int16_t i = 1; i <= classes.ItemCount(); ++i)
    names.push_back(classes.ItemAt(i).ElementName());
  return names;
}

const host::MemoryClass& ClassWithId(const PetalModel& model, const std::string& quid) {
  for (const auto& cls : model.app->model.classes)
    if (cls.id == quid) return cls;
  throw std::out_of_range("no class " + quid);
}

const host::MemoryAssociation& AssociationWithId(const PetalModel& model, const std::string& quid) {
  for (const auto& association : model.app->model.associations)
    if (association.id == quid) return association;
  throw std::out_of_range("no association " + quid);
}

const host::MemoryClassDiagram& PackageDiagram(const PetalModel& model, const std::string& package,
                                               const std::string& name) {
  for (const auto& diagram : model.app->model.packageDiagrams)
    if (diagram.package == package && diagram.name == name) return diagram;
  throw std::out_of_range("no diagram " + package + "::" + name);
}

std::string UnloadedError(const std::function<void()>& use) {
  try {
    use();
  } catch (const Error& error) {
    return error.Number() == kFileNotFound ? error.what() : "wrong number";
  }
  return "no error";
}

TEST_F(PetalCorpus, EveryFileLoads) {
  for (const auto& file : CorpusFiles()) {
    SCOPED_TRACE(file.id);
    PetalModel model;
    ASSERT_NO_THROW(model = Load(file.id));
    EXPECT_FALSE(model.app->model.root.name.empty());
  }
}

// Units: C01 finds its unit C02 beside it although the symbol is unknown;
// C06 loads C04 and C05 through $CURDIR and warns about the two it lacks.
TEST_F(PetalCorpus, UnitsOfTheEclipseModels) {
  const PetalModel ecore = Load("C01");
  EXPECT_TRUE(warnings_.empty());
  EXPECT_EQ(FirstDiagram(ecore).AllClasses().ItemCount(), 0);  // C01:70 only a CategoryView
  const host::MemoryClass& eclass = ClassWithId(ecore, "3903D5BF000A");  // C02:86
  EXPECT_EQ(eclass.name, "EClass");
  EXPECT_EQ(PackageDiagram(ecore, "ecore", "Ecore Hierarchy").name, "Ecore Hierarchy");
  const PetalModel unit = Load("C02");
  EXPECT_EQ(unit.app->model.root.name, "ecore");  // C02:7, a unit read on its own
  EXPECT_EQ(FirstDiagram(unit).ElementName(), "Ecore Hierarchy");

  const PetalModel uml2 = Load("C06");
  ASSERT_THAT(warnings_, SizeIs(2));
  EXPECT_THAT(
      warnings_[0],
      HasSubstr("UML2.mdl:119:14: warning: unit "
                "\"$CURDIR\\..\\..\\org.eclipse.emf.ecore\\model\\org.eclipse.emf.Ecore.cat\" "
                "of package Logical View::ecore not found"));
  EXPECT_THAT(warnings_[1],
              HasSubstr("\"$CURDIR\\org.eclipse.UML2.cat\" of package Logical View::UML2"));
  ASSERT_THAT(uml2.missingUnits, SizeIs(2));
  // C05:4530 class RedefinableElement, C05:4584 its operation's precondition.
  const auto selected =
      ResolvePetalSelection(uml2, {"Logical View::InfrastructureLibrary::Core::"
                                   "Abstractions::Redefinitions::RedefinableElement"});
  const auto& redefinable = static_cast<const host::MemoryClass&>(*selected.at(0));
  ASSERT_THAT(redefinable.operations, SizeIs(4));
  EXPECT_EQ(redefinable.operations[2].name, "isConsistentWith");
  EXPECT_EQ(redefinable.operations[2].pre, "redefinee.isRedefinitionContextValid(self)");
  EXPECT_EQ(redefinable.operations[2].post, "");
  EXPECT_EQ(redefinable.operations[0].pre, "");
}

TEST_F(PetalCorpus, LibraryRolesAndMultiplicities) {
  const PetalModel library = Load("C03");
  const auto& main = PackageDiagram(library, "library", "Main");  // C03:157
  EXPECT_THAT(ClassNames(main), ElementsAre("BookCategory", "Writer", "Library", "Book"));
  ASSERT_THAT(main.associations, SizeIs(3));
  const host::Association& writers = *main.associations[0];  // C03:103-119
  EXPECT_EQ(writers.ElementName(), "");
  EXPECT_EQ(writers.FirstRole().ElementName(), "");
  EXPECT_EQ(writers.FirstRole().RoleSupplierName(), "Library");
  EXPECT_FALSE(writers.FirstRole().RoleNavigable());
  EXPECT_EQ(writers.FirstRole().RoleCardinality(), "");
  EXPECT_EQ(writers.SecondRole().ElementName(), "writers");
  EXPECT_EQ(writers.SecondRole().RoleCardinality(), "0..n");
  EXPECT_TRUE(writers.SecondRole().RoleNavigable());
  const host::MemoryClass& book = ClassWithId(library, "40C81E700047");
  ASSERT_THAT(book.attributes, SizeIs(3));
  EXPECT_EQ(book.attributes[1].type, "int");  // C03:74-77
  EXPECT_EQ(book.attributes[1].initial, "100");
}

TEST_F(PetalCorpus, RootDiagramsWithContent) {
  const PetalModel db = Load("C07");
  EXPECT_EQ(FirstDiagram(db).AllClasses().ItemCount(), 32);
  EXPECT_EQ(FirstDiagram(db).ClassAssociations().ItemCount(), 30);
  // C07:1384-1388: an initial value that is one quote, written as a text block.
  EXPECT_EQ(ClassWithId(db, "419A95AA012E").attributes.at(0).initial, "\\\"");

  const PetalModel uni = Load("C14");
  EXPECT_EQ(FirstDiagram(uni).AllClasses().ItemCount(), 9);
  EXPECT_EQ(FirstDiagram(uni).ClassAssociations().ItemCount(), 3);
  const PetalModel hospital = Load("C15");  // has a forward @ reference (C15:770)
  EXPECT_EQ(FirstDiagram(hospital).AllClasses().ItemCount(), 15);
  EXPECT_EQ(FirstDiagram(hospital).ClassAssociations().ItemCount(), 5);
  const PetalModel project = Load("C17");
  EXPECT_EQ(FirstDiagram(project).AllClasses().ItemCount(), 23);
  EXPECT_EQ(FirstDiagram(project).ClassAssociations().ItemCount(), 25);
  const PetalModel yourface = Load("C37");
  EXPECT_EQ(yourface.app->model.encoding, "windows-1251");  // C37 declares 204
  EXPECT_EQ(FirstDiagram(yourface).AllClasses().ItemCount(), 12);
  EXPECT_EQ(FirstDiagram(yourface).ClassAssociations().ItemCount(), 5);
  const PetalModel hci = Load("C38");
  EXPECT_EQ(FirstDiagram(hci).AllClasses().ItemCount(), 11);
  EXPECT_EQ(FirstDiagram(hci).ClassAssociations().ItemCount(), 1);
  const PetalModel jay = Load("C39");  // C39:552, file name with a space
  EXPECT_EQ(jay.app->model.encoding, "gbk");
  EXPECT_EQ(FirstDiagram(jay).ElementName(), "Model");
  EXPECT_EQ(FirstDiagram(jay).AllClasses().ItemCount(), 13);
  EXPECT_EQ(FirstDiagram(jay).ClassAssociations().ItemCount(), 12);
}

TEST_F(PetalCorpus, StudentModels) {
  const PetalModel library = Load("C22");
  const host::ClassDiagram& hospital = FirstDiagram(library);  // C22:322
  EXPECT_EQ(hospital.ElementName(), "hospital");
  // database is drawn twice (C22:466, C22:495) and listed once.
  EXPECT_THAT(ClassNames(hospital), ElementsAre("librarian", "staff", "student", "database",
                                                "magazines", "reading books", "books"));
  EXPECT_EQ(hospital.ClassAssociations().ItemCount(), 6);
  const host::Class& student = hospital.AllClasses().ItemAt(3);  // C22:56-86
  EXPECT_EQ(student.ClassOperations().ItemCount(), 3);
  EXPECT_EQ(student.ClassAttributes().ItemAt(1).AttributeType(), "syed abdullah");
  bool unnamed = false;  // C22:205 $UNNAMED$0
  for (const auto& cls : library.app->model.classes) unnamed = unnamed || cls.name.empty();
  EXPECT_TRUE(unnamed);

  const PetalModel staff = Load("C24");
  const host::ClassDiagram& main = FirstDiagram(staff);
  EXPECT_THAT(ClassNames(main), ElementsAre("TinTuyenDung", "ChuyenVien", "PhongBan", "GiangVien",
                                            "Khoa", "HoSo", "NhanSu"));
  const host::Association& first = main.ClassAssociations().ItemAt(1);  // C24:278-292
  EXPECT_EQ(first.FirstRole().RoleSupplierName(), "ChuyenVien");
  EXPECT_EQ(first.FirstRole().RoleCardinality(), "n");
  EXPECT_TRUE(first.FirstRole().RoleNavigable());
  EXPECT_EQ(first.SecondRole().RoleSupplierName(), "PhongBan");
  EXPECT_EQ(first.SecondRole().RoleCardinality(), "1");
  const host::Class& lecturer = main.AllClasses().ItemAt(4);  // C24:138-170
  ASSERT_EQ(lecturer.Superclasses().ItemCount(), 1);
  EXPECT_EQ(&lecturer.Superclasses().ItemAt(1), &main.AllClasses().ItemAt(7));
  EXPECT_EQ(lecturer.ClassOperations().ItemCount(), 4);
  EXPECT_EQ(lecturer.ClassAttributes().ItemCount(), 2);
}

// C23:118-120: a use case whose quoted name holds a raw line break.
TEST_F(PetalCorpus, RawLineBreakInAQuotedName) {
  const PetalModel model = Load("C23");
  const auto selected = ResolvePetalSelection(model, {"5A7433700070"});
  EXPECT_EQ(selected.at(0)->ElementName(), "Schedule Patient \r\nAppointment");
  EXPECT_FALSE(selected.at(0)->IsKind("Class"));
}

TEST_F(PetalCorpus, CodePagesAndLocalizedRoots) {
  const PetalModel chinese = Load("C25");
  EXPECT_EQ(chinese.app->model.encoding, "gbk");
  EXPECT_EQ(chinese.app->model.root.name, "\xCF\xD4\xCA\xBE\xC2\xDF\xBC\xAD");  // GBK bytes, C25:50
  EXPECT_EQ(FirstDiagram(chinese).AllClasses().ItemCount(), 13);
  EXPECT_EQ(FirstDiagram(chinese).ClassAssociations().ItemCount(), 14);
  EXPECT_EQ(FirstDiagram(chinese).AllClasses().ItemAt(1).ElementName(), "Plane");  // C25:854
  // The root's name, converted from GBK, qualifies the names on the command line.
  EXPECT_EQ(
      ResolvePetalSelection(chinese, {"\xE6\x98\xBE\xE7\xA4\xBA\xE9\x80\xBB\xE8\xBE\x91::Plane"})
          .at(0),
      &FirstDiagram(chinese).AllClasses().ItemAt(1));

  EXPECT_EQ(Load("C16").app->model.encoding, "windows-1255");
  EXPECT_EQ(Load("C26").app->model.encoding, "gbk");
  EXPECT_EQ(FirstDiagram(Load("C26")).ElementName(), "Welcome");
  const PetalModel czech = Load("C28");
  EXPECT_EQ(czech.app->model.encoding, "windows-1250");
  EXPECT_EQ(FirstDiagram(czech).ElementName(), "Reverse Engineered");
  const PetalModel persian = Load("C30");
  EXPECT_EQ(persian.app->model.encoding, "windows-1256");
  EXPECT_EQ(FirstDiagram(persian).ElementName(), "Package Hierarchy");
  EXPECT_THAT(warnings_, SizeIs(3));  // three $FRAMEWORK_PATH units
  EXPECT_EQ(Load("C31").app->model.encoding, "gbk");
  EXPECT_EQ(Load("C33").app->model.encoding, "utf-8");  // declares 134, holds UTF-8
  EXPECT_EQ(Load("C40").app->model.encoding, "windows-1251");
}

// C27:5682: an operation name with \" escapes and a cp1252 byte.
TEST_F(PetalCorpus, EscapedQuotesInNames) {
  const PetalModel model = Load("C27");
  const auto selected = ResolvePetalSelection(model, {"DangKyTaiKhoanUI"});
  const auto& form = static_cast<const host::MemoryClass&>(*selected.at(0));
  bool found = false;
  for (const auto& operation : form.operations)
    found = found || operation.name == "Kich v\xE0o\"Dang nhap\"";
  EXPECT_TRUE(found);
}

// C29:8188-8206: a role whose class name holds "::", referred to as
// std\:\:stack< int >; C29:14889: a tagged value whose text block holds TABs.
TEST_F(PetalCorpus, EscapedColonsAndTabTextBlocks) {
  const PetalModel model = LoadPath(CorpusPathAsTarn("C29", "cg"));
  const host::MemoryClass& stack = ClassWithId(model, "4047CAD900C8");
  EXPECT_EQ(stack.name, "std::stack< int >");
  EXPECT_EQ(
      ResolvePetalSelection(model, {"Logical View::inexum::OSP::std\\:\\:stack< int >"}).at(0),
      &stack);
  const host::MemoryClass& mode = ClassWithId(model, "4047CAD90295");
  EXPECT_EQ(mode.name, "Mode");
  EXPECT_THAT(mode.TaggedValue("Tarn", "ImplementationType"),
              ::testing::StartsWith("enum Mode {c_non=0, c_basic=1,"));
  EXPECT_THAT(mode.TaggedValue("Tarn", "ImplementationType"),
              ::testing::EndsWith("c_all=65535\t\t}"));
}

// C32:109-133: a multi-line tagged value in a file with LF line ends reads
// with CR LF; the file's tool is moved to Tarn for the test.
TEST_F(PetalCorpus, MultiLineTaggedValue) {
  const PetalModel model = LoadPath(CorpusPathAsTarn("C32", "VC++"));
  const host::MemoryClass& tile = ClassWithId(model, "4A1E88FB0378");
  EXPECT_EQ(tile.name, "TILE");
  EXPECT_EQ(tile.TaggedValue("Tarn", "AppliedPattern"), "none");
  EXPECT_EQ(tile.TaggedValue("Tarn", "ImplementationType"),
            "typedef struct TILE_type\r\n{\r\n"
            "    RECT rcLocation;    // location on DirectDraw surface\r\n"
            "    int bWalkOK;        // can the tile be walked on?\r\n"
            "    int nAnimSpeed;     // animation speed in frames\r\n"
            "    DWORD dwFlags;      // approach flags\r\n"
            "    TILE_type *lpNext;  // next tile in animation\r\n"
            "\tUINT uiFrames;      // frame counter\r\n"
            "} TILE, FAR* LPTILE;");
}

// C18: tagged values of a user tool (moved to Tarn), on class, operation,
// association, with the model's default sets (C18:481-, C18:633-).
TEST_F(PetalCorpus, TaggedValuesAndDefaults) {
  const PetalModel model = LoadPath(CorpusPathAsTarn("C18", "BITPlan"));
  const host::ClassDiagram& main = FirstDiagram(model);
  ASSERT_EQ(main.AllClasses().ItemCount(), 2);
  const host::Class& class1 = ClassWithId(model, "485A74C2038A");
  EXPECT_EQ(class1.TaggedValue("Tarn", "XMIId"), "Class1");
  EXPECT_EQ(class1.TaggedValue("Tarn", "Template"), "");
  EXPECT_EQ(class1.TaggedValue("Tarn", "hasBOManager"), "true");  // default__Class
  EXPECT_EQ(class1.TaggedValue("Tarn", "final"), "false");
  const host::Operation& operation1 = class1.ClassOperations().ItemAt(1);
  EXPECT_EQ(operation1.TaggedValue("Tarn", "XMIId"), "operation1");
  EXPECT_EQ(operation1.TaggedValue("Tarn", "isGUI"), "false");  // default__Operation
  EXPECT_EQ(operation1.OperationParameters().ItemAt(1).ElementName(), "param1");
  EXPECT_EQ(operation1.OperationParameters().ItemAt(1).ParameterType(), "string");
  EXPECT_EQ(class1.ClassAttributes().ItemAt(1).TaggedValue("Tarn", "XMIId"), "attribute1");
  const host::Association& relation = AssociationWithId(model, "485A75A2008C");
  EXPECT_EQ(relation.ElementName(), "Relation1");
  EXPECT_EQ(relation.TaggedValue("Tarn", "XMIId"), "Relation1");
  EXPECT_EQ(relation.FirstRole().ElementName(), "RoleA");
  EXPECT_EQ(relation.FirstRole().RoleSupplierName(), "Class2");
  EXPECT_TRUE(relation.FirstRole().RoleNavigable());
  EXPECT_EQ(relation.SecondRole().RoleSupplierName(), "Class1");
  // Without the move, none of it is Tarn's.
  EXPECT_EQ(ClassWithId(Load("C18"), "485A74C2038A").TaggedValue("Tarn", "XMIId"), "");
}

// C19 shows ClassA, ClassB from the unit C20 and ClassC from a missing unit.
TEST_F(PetalCorpus, DiagramWithAMissingUnit) {
  const PetalModel model = Load("C19");
  ASSERT_THAT(warnings_, SizeIs(1));
  EXPECT_THAT(warnings_[0], HasSubstr("\"$CRS_HOME\\sgtest2018-09-C.cat\" of package "
                                      "Logical View::com::bitplan::catC not found"));
  const auto classes = FirstDiagram(model).AllClasses();
  ASSERT_EQ(classes.ItemCount(), 3);
  EXPECT_EQ(classes.ItemAt(1).ElementName(), "ClassA");
  EXPECT_EQ(classes.ItemAt(2).ElementName(), "ClassB");  // C20:13
  EXPECT_EQ(UnloadedError([&] { classes.ItemAt(3).ElementName(); }),
            "Logical View::com::bitplan::catC::ClassC lies in the unit "
            "\"$CRS_HOME\\sgtest2018-09-C.cat\" "
            "(package Logical View::com::bitplan::catC), which was not loaded");
}

// C13 is version 40: references name classes without their package.
TEST_F(PetalCorpus, Version40UnqualifiedNames) {
  const PetalModel model = Load("C13");
  const host::MemoryAssociation& type = AssociationWithId(model, "34CDC5690078");  // C13:54-60
  EXPECT_EQ(type.ElementName(), "type");
  EXPECT_EQ(type.FirstRole().RoleSupplierName(), "AType");
  EXPECT_EQ(static_cast<const host::MemoryClass&>(type.FirstRole().RoleClass()).id, "34CDBF5F0082");
  EXPECT_TRUE(type.FirstRole().RoleNavigable());
  const auto selected = ResolvePetalSelection(model, {"34CF28DD000A"});  // C13:73-76
  EXPECT_EQ(selected.at(0)->ElementName(), "RoseObject");
}

TEST_F(PetalCorpus, OtherUnitShapes) {
  Load("C08");  // SQLModel.cat is not in the corpus, so neither is its unit C09
  EXPECT_THAT(warnings_, SizeIs(2));
  const PetalModel tables = Load("C09");
  EXPECT_EQ(tables.app->model.root.name, "Tables");
  const PetalModel j2ee = Load("C11");  // C10 is one of its 13 units
  EXPECT_THAT(warnings_, SizeIs(12));
  EXPECT_EQ(ResolvePetalSelection(j2ee, {"3780E272032D"}).at(0)->ElementName(), "ejb");
  Load("C12");  // bare unit file names
  EXPECT_THAT(warnings_, SizeIs(2));
  EXPECT_THAT(warnings_[0], HasSubstr("unit \"org.eclipse.gmf.runtime.notation.Notation.cat\""));
  Load("C21");
  EXPECT_THAT(warnings_, SizeIs(3));
  EXPECT_EQ(Load("C36").app->model.root.name, "14.3 HA_Auskunftsersuchen");
}

}  // namespace
}  // namespace tarn::modelfile
