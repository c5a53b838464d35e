// Whole documents: the toolkit's text, the two kinds of document Tarn
// writes (checking clean, and with a fault put in), and what a document
// holds around its Z.
#include <gmock/gmock.h>

#include "rows.hpp"
#include "ztypes/checker.hpp"
#include "ztypes/toolkit.hpp"

namespace tarn::ztypes {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

const std::string kRegister = R"(\documentclass{article}
\usepackage{z-eves}
\begin{document}
\begin{zed}
    [NAME]
\end{zed}

\begin{schema}{Reg}
    names: \power NAME \\
    max: \nat
\where
    \# names \leq max
\end{schema}

\begin{schema}{Init}
    Reg'
\where
    names' = \emptyset
\end{schema}

\begin{schema}{Add}
    \Delta Reg \\
    n?: NAME
\where
    n? \notin names \\
    names' = names \cup \{n?\} \\
    max' = max
\end{schema}

\begin{schema}{Size}
    \Xi Reg \\
    result!: \nat
\where
    result! = \# names
\end{schema}

\begin{schema}{Clear}
    \Delta Reg\where
    names' = \emptyset \\
    max' = max
\end{schema}

\begin{zed}
    Full \defs Add \semi Clear
\end{zed}

\begin{theorem}{Bounded}
    Reg \implies \# names \leq max
\end{theorem}
\end{document}
)";

const std::string kBuffers = R"(\begin{zed}
    [X]
\end{zed}
\begin{schema}{BufA}
    items: \seq X
\end{schema}
\begin{schema}{PutA}
    \Delta BufA \\
    x?: X
\where
    items' = items \cat \langle x? \rangle
\end{schema}
\begin{schema}{BufC}
    arr: \nat \fun X \\
    n: \nat
\end{schema}
\begin{schema}{PutC}
    \Delta BufC \\
    x?: X
\where
    arr' = arr \oplus \{n + 1 \mapsto x?\} \\
    n' = n + 1
\end{schema}
\begin{schema}{Retrieve}
    BufA \\
    BufC
\where
    \# items = n \\
    items = (1 \upto n) \dres arr
\end{schema}
\begin{theorem}{InitTheorem}
    InitC \land Retrieve' \implies InitA
\end{theorem}
\begin{theorem}{PutApplTheorem}
    \pre PutA \land Retrieve \implies \pre PutC
\end{theorem}
)";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The buffers with a state component that is not named like the toolkit's
// items, which the proof obligations would take for it.
const std::string kContents = ReplaceAll(kBuffers, "items", "contents");

TEST(Toolkit, ChecksCleanWithTheSameParser) {
  Checker checker;
  EXPECT_THAT(Describe(checker.CheckText(ToolkitText())), IsEmpty());
}

TEST(Documents, TarnsDocumentsCheckClean) {
  EXPECT_THAT(Errors(kRegister), IsEmpty());
  EXPECT_THAT(Errors(kContents), IsEmpty());
  // Where a theorem uses the state as a predicate, its items is the toolkit's.
  EXPECT_THAT(Errors(kBuffers),
              ElementsAre("35:5 [theorem PutApplTheorem] `items` is `\\power (\\power (\\num \\cross ?) \\cross "
                          "\\power (? \\cross \\num))` here but `\\power (\\num \\cross X)` in `\\pre PutA`",
                          "35:21 [theorem PutApplTheorem] `items` is `\\power (\\power (\\num \\cross ?) \\cross "
                          "\\power (? \\cross \\num))` here but `\\power (\\num \\cross X)` in `Retrieve`"));
}

TEST(Documents, FaultsAreFoundWhereTheyStand) {
  ExpectRows({
      {Replace(kRegister, "names' = names \\cup \\{n?\\}", "names' = names + n?"),
       {"26:14 [schema Add] `+` needs `\\num` on its left, `names` is `\\power NAME`",
        "26:5 [schema Add] `=` needs the same type on both sides: `names'` is `\\power NAME`, `names + n?` is `\\num`"}},
      {Replace(kRegister, "result! = \\# names", "result! = names"),
       {"34:5 [schema Size] `=` needs the same type on both sides: `result!` is `\\num`, `names` is `\\power NAME`"}},
      {Replace(kRegister, "Reg \\implies \\# names", "Reg \\implies names"),
       {"48:18 [theorem Bounded] `\\leq` needs `\\num` on its left, `names` is `\\power NAME`"}},
      {Replace(kRegister, "max' = max\n\\end{schema}", "max' = count2\n\\end{schema}"),
       {"27:12 [schema Add] `count2` is not declared"}},
      {Replace(kRegister, "Add \\semi Clear", "Add \\semi Reg"), {}},
      {Replace(kRegister, "Add \\semi Clear", "Add \\semi Nothing"), {"44:26 [schema Full] `Nothing` is not declared"}},
      {Replace(kContents, "contents \\cat \\langle x? \\rangle", "contents \\cat x?"),
       {"11:31 [schema PutA] `\\cat` needs `\\power (\\num \\cross X)` on its right, `x?` is `X`"}},
      {Replace(kContents, "contents = (1 \\upto n) \\dres arr", "contents = (1 \\upto n) \\rres arr"),
       {"29:17 [schema Retrieve] `\\rres` needs `\\power (? \\cross ?)` on its left, `1 \\upto n` is `\\power \\num`"}},
      {Replace(kContents, "\\pre PutA \\land Retrieve", "\\pre PutA \\land Retrieve \\land n = contents"),
       {"35:36 [theorem PutApplTheorem] `=` needs the same type on both sides: `n` is `\\num`, `contents` is "
        "`\\power (\\num \\cross X)`"}},
  });
}

TEST(Documents, SyntaxErrorsStopOnlyTheirParagraph) {
  ExpectRows({
      {"% \\begin{zed} in a comment\n\\begin{zed}\n[A]\n\\end{zed}\nText $x = 1$ \\begin{verbatim}\\end{verbatim}\n", {}},
      {Zed("[A]\nB == \\power (A\nC == A") + Zed("D == C"),
       {"4:3 [abbreviation B] syntax: expected `)`, found `==`", "7:6 [abbreviation D] `C` is not declared"}},
      {"\\begin{schema}{S}\nx: \\num \\where x = \\end{schema}\n\\begin{axdef}\ny: \\num\n\\where\ny = 1\n\\end{axdef}\n",
       {"2:20 [schema S] syntax: expected a term, found the end"}},
      {"\\begin{schema}{S}\nx: \\num | x > 0\n\\end{schema}\n", {"2:9 [schema S] syntax: expected `\\where`, found `|`"}},
      {"\\begin{axdef}\nx: \\num\n", {"1:1 [axiomatic definition] syntax: `\\begin{axdef}` has no `\\end{axdef}`"}},
      {Zed("[A]\n[A B]"), {"3:4 [given sets] syntax: expected `]`, found `B`"}},
      {"\\begin{schema}{C}\nlog: \\seq \\power \\\\ v: \\num\n\\where\nv' = (1 \\\\ v = 1 +\n\\end{schema}\n"
       "\\begin{schema}{I}\nC\n\\where\nv = 0 \\land log = \\langle\\rangle\n\\end{schema}\n",
       {"2:11 [schema C] syntax: `\\power` needs an expression after it", "9:13 [schema I] `log` is not declared"}},
  });
}

std::string Nested(const std::string& open, const std::string& close, int depth) {
  std::string text = "y = ";
  for (int i = 0; i < depth; ++i) text += open;
  text += "x";
  for (int i = 0; i < depth; ++i) text += close;
  return "\\begin{theorem}{Deep}\n" + text + "\n\\end{theorem}\n";
}

TEST(Documents, NestingIsBoundedAt256Levels) {
  EXPECT_THAT(Errors(Nested("(", ")", 200)), IsEmpty());
  EXPECT_THAT(Errors(Nested("\\{", "\\}", 100)), IsEmpty());
  for (const auto& [open, close] : {std::pair{"(", ")"}, std::pair{"\\forall z: \\num @ ", ""}, std::pair{"\\power ", ""},
                                    std::pair{"\\{", "\\}"}, std::pair{"f~", ""}, std::pair{"1 + ", ""}}) {
    const auto errors = CheckDocument(Nested(open, close, 3000));
    ASSERT_THAT(errors, SizeIs(1)) << open;
    EXPECT_EQ(errors[0].message, "syntax: nesting deeper than 256 levels") << open;
    EXPECT_EQ(errors[0].paragraph, "theorem Deep");
  }
}

TEST(Documents, TypesThatDoubleAtEachStepAreRefused) {
  std::string text = "A0 == 1";
  for (int i = 1; i < 40; ++i)
    text += "\\\\\nA" + std::to_string(i) + " == (A" + std::to_string(i - 1) + ", A" + std::to_string(i - 1) + ")";
  // A12, A24 and A36 are refused; each of the next uses it twice.
  const auto errors = CheckDocument(Zed(text));
  ASSERT_THAT(errors, SizeIs(9));
  EXPECT_EQ(errors[0].message, "a type larger than 4096 nodes");
  EXPECT_EQ(errors[0].paragraph, "abbreviation A12");
  EXPECT_EQ(errors[1].message, "`A12` is not declared");
}

TEST(Documents, ErrorsCarryTheirSourceLine) {
  const auto errors = CheckDocument(Replace(kRegister, "max' = max\n\\end{schema}", "  max' = count2 \t \n\\end{schema}"));
  ASSERT_THAT(errors, SizeIs(1));
  EXPECT_EQ(errors[0].text, "max' = count2");  // trimmed at both ends
}

}  // namespace
}  // namespace tarn::ztypes
