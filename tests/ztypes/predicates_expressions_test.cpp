// Predicates, expressions and the toolkit's operators, generics
// instantiated by unification, and theorems with their implicit variables.
#include "rows.hpp"

namespace tarn::ztypes {
namespace {

// An axiomatic box over NAME with s: \seq NAME, r: NAME \rel \num, n: \nat,
// p: \power NAME; its predicate is on line 7.
std::string With(const std::string& predicate) {
  return Zed("[NAME]") + "\\begin{axdef}\ns: \\seq NAME; r: NAME \\rel \\num; n: \\nat; p: \\power NAME\n\\where\n" +
         predicate + "\n\\end{axdef}\n";
}

const std::string kAxdef = "[axiomatic definition] ";

TEST(Predicates, ConnectivesQuantifiersAndRelations) {
  ExpectRows({
      {With("\\forall x: p | x \\in \\dom r @ r(x) > 0 \\lor \\lnot (\\exists_1 y: NAME @ y = x)"), {}},
      {With("0 \\leq n < \\# s \\iff s \\neq \\langle\\rangle \\implies \\true \\land \\false"), {}},
      {With("\\LET m == n + 1 @ m > n"), {}},
      {With("\\IF n = 0 \\THEN p = \\emptyset \\ELSE p \\subseteq \\ran s"), {}},
      {With("\\disjoint \\langle p, \\ran s \\rangle \\land \\langle p \\rangle \\partition p"), {}},
      {With("s \\prefix s \\land s \\in \\seq_1 NAME \\land n \\notin \\dom s \\land \\ran s \\subset p"), {}},
      {With("n \\in p"), {"7:7 " + kAxdef + "`\\in` needs a set of `\\num` on its right, `p` is `\\power NAME`"}},
      {With("p \\subseteq s"), {"7:13 " + kAxdef + "`\\subseteq` needs `\\power NAME` on its right, `s` is `\\power (\\num \\cross NAME)`"}},
      {With("n < p"), {"7:5 " + kAxdef + "`<` needs `\\num` on its right, `p` is `\\power NAME`"}},
      {With("0 < n < p"), {"7:9 " + kAxdef + "`<` needs `\\num` on its right, `p` is `\\power NAME`"}},
      {With("\\forall x: NAME @ x"), {"7:19 " + kAxdef + "`x` is not a schema"}},
      {With("n + 1"), {"7:1 " + kAxdef + "`n + 1` is an expression, not a predicate"}},
      {With("\\disjoint n"), {"7:11 " + kAxdef + "`\\disjoint` needs `\\power (? \\cross \\power ?)`, `n` is `\\num`"}},
      {With("\\exists x: NAME | x + 1 = 2 @ \\true"), {"7:19 " + kAxdef + "`+` needs `\\num` on its left, `x` is `NAME`"}},
  });
}

TEST(Expressions, ToolkitOperatorsAndTheirTypes) {
  ExpectRows({
      {With("s \\cat \\langle \\head s \\rangle = \\rev (\\tail s) \\land \\front s \\in \\iseq NAME"), {}},
      {With("\\{ 1 \\mapsto n \\} \\oplus (\\{n\\} \\ndres \\id \\nat) = \\id \\nat \\comp (r \\inv \\comp r^{-1}\\inv)"), {}},
      {With("r \\limg p \\rimg \\cup (p \\dres r \\rres \\nat) \\limg p \\rimg \\subseteq \\nat"), {}},
      {With("n \\div 2 * 3 \\mod 4 - \\negate n + -1 = \\max \\{ n, \\min (\\dom (s \\filter p)) \\}"), {}},
      {With("\\{ x: NAME; m: \\nat | m < n @ (m, x) \\} \\in \\nat_1 \\pfun NAME"), {}},
      {With("(\\lambda x: NAME @ r \\limg \\{x\\} \\rimg) \\in NAME \\ffun \\finset \\num"), {}},
      {With("(\\mu x: p | x \\in \\ran s) \\in p \\land first (1, p) = second (p, 1)"), {}},
      {With("\\bigcup \\{ p, \\ran s \\} \\in \\power_1 NAME \\land \\bigcap \\{ \\{ n \\} \\} = 1 \\upto n"), {}},
      {With("count (items~s) = \\lbag \\head s \\rbag \\uplus \\lbag\\rbag \\land \\dcat \\langle s \\rangle = squash~s"), {}},
      {With("(\\id p) \\plus \\cap (\\id p)^{*} \\cap \\id p \\circ (\\id p)^+ = \\id p \\land r^{2} = r"),
       {"7:73 " + kAxdef + "an iteration needs a relation on one set, `r` is `\\power (NAME \\cross \\num)`"}},
      {With("\\# n = 1"), {"7:4 " + kAxdef + "`\\#` needs `\\power ?`, `n` is `\\num`"}},
      {With("s~n = n"), {"7:1 " + kAxdef + "`=` needs the same type on both sides: `s~n` is `NAME`, `n` is `\\num`"}},
      {With("n~1 = n"), {"7:1 " + kAxdef + "`n` is applied to `1` but is `\\num`, not a function"}},
      {With("p \\cup s = p"), {"7:8 " + kAxdef + "`\\cup` needs `\\power NAME` on its right, `s` is `\\power (\\num \\cross NAME)`"}},
      {With("\\{ n, p \\} = \\{\\}"), {"7:7 " + kAxdef + "the elements of `\\{ n, p \\}` differ: `p` is `\\power NAME`, the ones before are `\\num`"}},
      {With("\\power n = \\power p"), {"7:8 " + kAxdef + "`\\power` needs a set, `n` is `\\num`"}},
      {With("n \\cross p = \\nat \\cross p"), {"7:1 " + kAxdef + "`\\cross` needs a set, `n` is `\\num`"}},
      {With("(\\IF n = 0 \\THEN n \\ELSE p) = n"), {"7:26 " + kAxdef + "the branches of `\\IF` differ: `n` is `\\num`, `p` is `\\power NAME`"}},
      {With("(n = 0) = n"), {"7:2 " + kAxdef + "`n = 0` is a predicate, not an expression"}},
      {With("\\seq n = \\seq NAME"), {"7:6 " + kAxdef + "a generic parameter needs a set, `n` is `\\num`"}},
      {With("\\emptyset[NAME] = \\emptyset[\\num]"), {"7:1 " + kAxdef + "`=` needs the same type on both sides: `\\emptyset[NAME]` is `\\power NAME`, `\\emptyset[\\num]` is `\\power \\num`"}},
      {With("r.1 = n"), {"7:1 " + kAxdef + "`r` is `\\power (NAME \\cross \\num)`, which has no component `1`"}},
      {With("(n, p).2 = p \\land count2 = 1"), {"7:20 " + kAxdef + "`count2` is not declared"}},
  });
}

TEST(Theorems, FreeNamesAreQuantifiedAndSolvedByUnification) {
  const std::string state = Zed("[NAME]") + "\\begin{schema}{S}\nmembers: \\power NAME\n\\end{schema}\n";
  ExpectRows({
      {state + "\\begin{theorem}{T}\nx \\in members \\land S \\implies \\# members \\geq 0\n\\end{theorem}\n", {}},
      {state + "\\begin{theorem}{rule T}\nx = 1 \\land y = x + 1 \\implies y > x\n\\end{theorem}\n", {}},
      {state + "\\begin{theorem}{grule T}\nS \\land x = 1 \\land x \\in members\n\\end{theorem}\n",
       {"8:27 [theorem T] `\\in` needs a set of `\\num` on its right, `members` is `\\power NAME`"}},
      {state + "\\begin{theorem}{T}[X]\n\\forall f: X \\fun X @ f = \\id X \\implies Init\n\\end{theorem}\n", {}},
      {state + "\\begin{theorem}{T}\nS \\land members = 3\n\\end{theorem}\n",
       {"8:9 [theorem T] `=` needs the same type on both sides: `members` is `\\power NAME`, `3` is `\\num`"}},
      {state + "\\begin{theorem}{T}\n\\theta S = \\theta S'\n\\end{theorem}\n", {}},
      // The name without the blanks around it and its rule prefix.
      {Zed("[NAME]") + "\\begin{theorem}{ rule  T }\n1 = \\{1\\}\n\\end{theorem}\n",
       {"5:1 [theorem T] `=` needs the same type on both sides: `1` is `\\num`, `\\{1\\}` is `\\power \\num`"}},
  });
}

// A name the theorem does not declare but the document or the toolkit does
// is not quantified over, as Z/EVES has it: a state component named like
// the toolkit's items is then that function, of another type.
TEST(Theorems, AComponentNamedLikeAGlobalIsTheGlobal) {
  const std::string state = Zed("[NAME]") + "\\begin{schema}{S}\nitems: \\power NAME\n\\end{schema}\n";
  ExpectRows({
      {state + "\\begin{theorem}{T}\nS \\implies \\# items \\geq 0\n\\end{theorem}\n",
       {"8:1 [theorem T] `items` is `\\power (\\power (\\num \\cross ?) \\cross \\power (? \\cross \\num))` here but "
        "`\\power NAME` in `S`"}},
      {state + "\\begin{schema}{T}\nitems: \\power NAME\n\\where\nS\n\\end{schema}\n", {}},
  });
}

}  // namespace
}  // namespace tarn::ztypes
