// The schema calculus: the signatures of \pre, \semi, \pipe, \hide,
// \project, renaming, the logical operators and quantified schemas, seen
// through the components a later paragraph can use.
#include "rows.hpp"

namespace tarn::ztypes {
namespace {

// A state S (a: NAME, b: \num) and an operation Op on it with an input and an output.
const std::string kState = Zed("[NAME]") +
                           "\\begin{schema}{S}\na: NAME \\\\ b: \\num\n\\end{schema}\n"
                           "\\begin{schema}{Op}\n\\Delta S \\\\ in?: NAME \\\\ out!: \\num\n\\end{schema}\n";

// A schema T defined by `T \defs expression`, then a box that includes T
// and uses `use` as its predicate (lines 11 and 16).
std::string Using(const std::string& expression, const std::string& use) {
  return kState + Zed("T \\defs " + expression) + "\\begin{schema}{U}\nT\n\\where\n" + use + "\n\\end{schema}\n";
}

TEST(SchemaCalculus, OperatorsGiveTheZrmSignatures) {
  ExpectRows({
      {Using("\\pre Op", "a = in? \\land b = 1"), {}},
      {Using("\\pre Op", "b' = 1"), {"16:1 [schema U] `b'` is not declared"}},
      {Using("\\pre Op", "out! = 1"), {"16:1 [schema U] `out!` is not declared"}},
      {Using("Op \\semi Op", "a' = in? \\land b = out!"), {}},
      {Using("Op \\hide (in?, out!)", "a' = a"), {}},
      {Using("Op \\hide (in?, out!)", "in? = a"), {"16:1 [schema U] `in?` is not declared"}},
      {Using("Op \\hide (c)", "a = a"), {"11:19 [schema T] `c` is not a component of `Op`"}},
      {Using("Op \\project S", "a = a"), {}},
      {Using("Op \\project S", "a' = a"), {"16:1 [schema U] `a'` is not declared"}},
      {Using("S[c/a]", "c = c \\land b = 1"), {}},
      {Using("S[c/z]", "b = 1"), {"11:13 [schema T] `z` is not a component of `S`"}},
      {Using("S[b/a]", "b = b"), {"11:9 [schema T] `b` is declared as `NAME` and as `\\num`"}},
      {Using("S \\land [c: NAME | c \\neq c]", "c = a"), {}},
      {Using("S \\land [c: NAME | c = a]", "c = a"), {"11:32 [schema T] `a` is not declared"}},
      {Using("S \\lor \\lnot S'", "a' = a"), {}},
      {Using("\\exists b: \\num @ S", "b = 1"), {"16:1 [schema U] `b` is not declared"}},
      {Using("S \\land [a: \\num]", "b = 1"), {"11:9 [schema T] `a` is declared as `NAME` and as `\\num`"}},
      {Using("[x!: NAME] \\pipe [x?: \\num]", "\\true"),
       {"11:9 [schema T] `x!` is `NAME` but `x?` is `\\num` in `[x!: NAME] \\pipe [x?: \\num]`"}},
      {Using("S \\semi [a: \\num]", "\\true"), {"11:9 [schema T] `a` is declared as `NAME` and as `\\num`"}},
      {Using("S \\semi [a': NAME]", "a = a'"), {}},
      {Using("[a': \\num] \\semi S", "\\true"),
       {"11:9 [schema T] `a'` is `\\num` but `a` is `NAME` in `[a': \\num] \\semi S`"}},
      {Using("S \\land 1", "\\true"), {"11:17 [schema T] `1` is not a schema expression"}},
      // A reference decorated with each stroke, and a subscript: its components so decorated.
      {Using("S! \\land S? \\land S_1", "a! = a? \\land b_1 = 1"), {}},
      {Using("S!", "b! = a!"), {"16:1 [schema U] `=` needs the same type on both sides: `b!` is `\\num`, `a!` is `NAME`"}},
  });
}

TEST(SchemaCalculus, SchemasAsPredicatesNeedTheirComponentsInScope) {
  ExpectRows({
      {kState + "\\begin{axdef}\na: NAME \\\\ b: \\num\n\\where\nS \\\\ \\exists in?: NAME @ \\pre Op\n\\end{axdef}\n",
       {}},
      {kState + "\\begin{axdef}\na: NAME\n\\where\nS\n\\end{axdef}\n", {"13:1 [axiomatic definition] `b` of `S` is not declared here"}},
      {kState + "\\begin{axdef}\na, b: NAME\n\\where\nS\n\\end{axdef}\n",
       {"13:1 [axiomatic definition] `b` is `NAME` here but `\\num` in `S`"}},
      {kState + "\\begin{axdef}\nx: S\n\\where\nx = \\theta S \\\\ x.a \\in NAME \\\\ x \\in S\n\\end{axdef}\n",
       {"13:5 [axiomatic definition] `a` of `\\theta S` is not declared here",
        "13:5 [axiomatic definition] `b` of `\\theta S` is not declared here"}},
  });
}

}  // namespace
}  // namespace tarn::ztypes
