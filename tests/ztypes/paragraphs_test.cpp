// Paragraphs and declarations: given sets, abbreviations, free types,
// schema boxes, axiomatic and generic definitions, schema inclusion,
// decoration, \Delta and \Xi.
#include <gmock/gmock.h>

#include "rows.hpp"

namespace tarn::ztypes {
namespace {

const std::string kGiven = Zed("[NAME, DATE]");

TEST(Paragraphs, DefineNamesOfTheirTypes) {
  ExpectRows({
      {kGiven + Zed("Names == \\power NAME\nPair == NAME \\cross DATE") +
           "\\begin{axdef}\nn: Names \\\\ p: Pair\n\\where\nn = \\{ first~p \\}\n\\end{axdef}\n",
       {}},
      {kGiven + Zed("COLOUR ::= red | green | mix \\ldata COLOUR \\cross COLOUR \\rdata") +
           "\\begin{axdef}\nc: COLOUR\n\\where\nc = mix(red, green)\n\\end{axdef}\n",
       {}},
      {kGiven + "\\begin{axdef}\nd: DATE\n\\where\nd \\in NAME\n\\end{axdef}\n",
       {"7:7 [axiomatic definition] `\\in` needs a set of `DATE` on its right, `NAME` is `\\power NAME`"}},
      {kGiven + Zed("T ::= leaf | node \\ldata T \\rdata") + Zed("leaf = node~3"),
       {"8:13 [predicate] `node` needs `T`, `3` is `\\num`"}},
      {Zed("[A]\nB == A \\cup 1"), {"3:13 [abbreviation B] `\\cup` needs `\\power A` on its right, `1` is `\\num`"}},
      {Zed("x = 1"), {"2:1 [predicate] `x` is not declared"}},
      {"\\begin{axdef}\nn: 3\n\\end{axdef}\n", {"2:4 [axiomatic definition] a declaration needs a set, `3` is `\\num`"}},
      {kGiven + "\\begin{axdef}\nn: NAME; n: DATE\n\\end{axdef}\n",
       {"5:10 [axiomatic definition] `n` is declared as `NAME` and as `DATE`"}},
  });
}

TEST(Paragraphs, GenericDefinitionsAreInstantiatedAtEachUse) {
  ExpectRows({
      {kGiven + "\\begin{gendef}[X]\nsingle: X \\fun \\power X\n\\end{gendef}\n" +
           Zed("single~red = \\{ red \\}\n") + "",
       {"8:8 [predicate] `red` is not declared", "8:17 [predicate] `red` is not declared"}},
      {kGiven + "\\begin{gendef}[X]\nsingle: X \\fun \\power X\n\\end{gendef}\n" +
           "\\begin{axdef}\nn: NAME \\\\ d: DATE\n\\where\nsingle~n \\neq \\emptyset \\\\\nsingle~d = \\{ d \\}\n\\end{axdef}\n",
       {}},
      {kGiven + Zed("Pairs[X] == X \\cross X") + "\\begin{axdef}\np: Pairs[NAME]\n\\where\nfirst~p = second~p\n\\end{axdef}\n",
       {}},
      {kGiven + Zed("Pairs[X] == X \\cross X") + "\\begin{axdef}\np: Pairs[NAME, DATE]\n\\end{axdef}\n",
       {"8:4 [axiomatic definition] `Pairs` has 1 generic parameters, not 2"}},
      {kGiven + Zed("Pairs[X] == X \\cross X") + Zed("NAME = Pairs[1]"),
       {"8:14 [predicate] a generic parameter needs a set, `1` is `\\num`",
        "8:1 [predicate] `=` needs the same type on both sides: `NAME` is `\\power NAME`, `Pairs[1]` is `\\power (? \\cross ?)`"}},
  });
}

TEST(Declarations, IncludeDecorateAndPairStates) {
  const std::string state = kGiven + "\\begin{schema}{S}\nowner: NAME \\\\ due: DATE\n\\end{schema}\n";
  ExpectRows({
      {state + "\\begin{schema}{T}\n\\Delta S\n\\where\nowner' = owner \\\\ due' = due\n\\end{schema}\n", {}},
      {state + "\\begin{schema}{T}\n\\Xi S \\\\ S_1\n\\where\nowner_1 = owner'\n\\end{schema}\n", {}},
      {state + "\\begin{schema}{T}\nS' \\\\ n?: NAME\n\\where\nowner' = n?\n\\end{schema}\n", {}},
      {state + "\\begin{schema}{T}\nS\n\\where\nowner' = owner\n\\end{schema}\n",
       {"10:1 [schema T] `owner'` is not declared"}},
      {state + "\\begin{schema}{T}\n\\Delta S\n\\where\ndue' = owner\n\\end{schema}\n",
       {"10:1 [schema T] `=` needs the same type on both sides: `due'` is `DATE`, `owner` is `NAME`"}},
      {state + "\\begin{schema}{T}\nS \\\\ owner: DATE\n\\end{schema}\n",
       {"8:6 [schema T] `owner` is declared as `NAME` and as `DATE`"}},
      {state + "\\begin{schema}{T}\nU\n\\end{schema}\n", {"8:1 [schema T] `U` is not declared"}},
      {state + "\\begin{schema}{T}\n\\Delta NAME\n\\end{schema}\n", {"8:8 [schema T] `NAME` is not a schema"}},
      {state + "\\begin{schema}{T}\ns: S\n\\where\ns.owner = s.due\n\\end{schema}\n",
       {"10:1 [schema T] `=` needs the same type on both sides: `s.owner` is `NAME`, `s.due` is `DATE`"}},
      {state + "\\begin{schema}{T}\n\\Delta S\n\\where\n\\theta S' = \\theta S\n\\end{schema}\n", {}},
      {state + "\\begin{schema}{G}[X]\nv: X\n\\end{schema}\n\\begin{schema}{T}\nG[NAME] \\\\ w: DATE\n\\where\nv = w\n\\end{schema}\n",
       {"13:1 [schema T] `=` needs the same type on both sides: `v` is `NAME`, `w` is `DATE`"}},
  });
}

TEST(Declarations, LineBreaksSeparateUnlessAnOperatorJoins) {
  ExpectRows({
      {kGiven + "\\begin{axdef}\na: NAME\nb: \\power NAME\n\\where\na \\in b\nb \\neq\n  \\emptyset\n\\end{axdef}\n", {}},
      {kGiven + "\\begin{axdef}\na: NAME; b: \\power NAME\\where a \\in b; b = \\{a,\n  a\\}\n\\end{axdef}\n", {}},
      {kGiven + "\\begin{axdef}\na: NAME\n\\where\na\n\\end{axdef}\n", {"7:1 [axiomatic definition] `a` is not a schema"}},
  });
}

}  // namespace
}  // namespace tarn::ztypes
