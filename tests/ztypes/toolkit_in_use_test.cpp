// A document of the kind users write beside their UML, using much of the
// toolkit (partial and total functions, sequences, bags, finite sets, set
// comprehension, lambda and mu, LET and IF, relational inverse and
// composition, filter, disjoint, items, count): it checks clean, and each
// slip put into it is found at the place where it stands.
#include <gmock/gmock.h>

#include "rows.hpp"

namespace tarn::ztypes {
namespace {

const std::string kLibrary = R"(\begin{zed}
    [PERSON, BOOK]
\end{zed}

\begin{axdef}
    limit: \nat
\where
    limit > 0
\end{axdef}

\begin{schema}{Library}
    stock: \power BOOK \\
    lent: BOOK \pfun PERSON \\
    queue: BOOK \fun \seq PERSON \\
    history: \seq BOOK \\
    reads: \bag BOOK \\
    members: \finset PERSON
\where
    \dom lent \subseteq stock \\
    \ran lent \subseteq members \\
    \# history \leq limit \\
    \forall b: \dom lent @ lent~b \in members \\
    \# (stock \cap \dom lent) = \# lent
\end{schema}

\begin{schema}{Lend}
    \Delta Library \\
    b?: BOOK \\
    p?: PERSON
\where
    b? \in stock \setminus \dom lent \\
    p? \in members \\
    lent' = lent \oplus \{b? \mapsto p?\} \\
    history' = history \cat \langle b? \rangle \\
    reads' = reads \uplus \lbag b? \rbag \\
    queue' = queue \\
    stock' = stock \land members' = members
\end{schema}

\begin{schema}{Return}
    \Delta Library \\
    b?: BOOK
\where
    b? \in \dom lent \\
    lent' = \{b?\} \ndres lent \\
    \IF queue(b?) = \langle \rangle \THEN history' = history \ELSE history' = history \cat \langle b? \rangle \\
    \LET n == \# history @ n \geq 0 \\
    (\mu x: \nat | x = 1) = 1 \\
    \{ x: \nat | x > 0 @ x * 2 \} \subseteq \nat \\
    head(queue(b?)) \in members \lor queue(b?) = \langle \rangle \\
    (\lambda x: \nat @ x + 1)~3 = 4 \\
    \negate 1 < 0 \\
    first (1, b?) = 1 \land second (1, b?) = b? \\
    count~reads~b? \geq 0 \\
    \min \{1, 2\} = 1 \land \max \{1,2\} = 2 \\
    lent^{-1} \in PERSON \rel BOOK \\
    (lent \comp \id PERSON) = lent \\
    1 \upto 3 \subseteq \nat \\
    \bigcup \{stock, \dom lent\} \subseteq stock \\
    rev~history \in \seq BOOK \\
    history \filter stock \in \seq BOOK \\
    \disjoint \langle stock, \dom lent \rangle \\
    items~history = items~history
\end{schema}

\begin{theorem}{LendKeepsStock}
    Lend \implies stock' = stock
\end{theorem}

\begin{theorem}{Pre}
    \pre Lend \land Library \implies b? \in stock
\end{theorem}
)";

// Line 37: a line of Lend that each row replaces.
const std::string kLine = "stock' = stock \\land members' = members";

std::string Replace(std::string text, const std::string& line, const std::string& by) {
  return text.replace(text.find(line), line.size(), by);
}

TEST(ToolkitInUse, ALibraryChecksCleanAndEachSlipIsFound) {
  ExpectRows({
      {kLibrary, {}},
      {Replace(kLibrary, kLine, "lent(b?) \\in stock"),
       {"37:18 [schema Lend] `\\in` needs a set of `PERSON` on its right, `stock` is `\\power BOOK`"}},
      {Replace(kLibrary, kLine, "history' = history \\cat b?"),
       {"37:29 [schema Lend] `\\cat` needs `\\power (\\num \\cross BOOK)` on its right, `b?` is `BOOK`"}},
      {Replace(kLibrary, kLine, "\\# lent + stock = 1"),
       {"37:15 [schema Lend] `+` needs `\\num` on its right, `stock` is `\\power BOOK`"}},
      {Replace(kLibrary, kLine, "b? \\in lent"),
       {"37:12 [schema Lend] `\\in` needs a set of `BOOK` on its right, `lent` is `\\power (BOOK \\cross PERSON)`"}},
      {Replace(kLibrary, kLine, "reads' = reads \\cup \\{b?\\}"),
       {"37:25 [schema Lend] `\\cup` needs `\\power (BOOK \\cross \\num)` on its right, `\\{b?\\}` is `\\power BOOK`"}},
      {Replace(kLibrary, kLine, "\\forall x: stock @ lent~x = x"),
       {"37:24 [schema Lend] `=` needs the same type on both sides: `lent~x` is `PERSON`, `x` is `BOOK`"}},
      {Replace(kLibrary, kLine, "queue(b?) = b?"),
       {"37:5 [schema Lend] `=` needs the same type on both sides: `queue(b?)` is `\\power (\\num \\cross PERSON)`, `b?` is `BOOK`"}},
      {Replace(kLibrary, kLine, "\\dom queue = members"),
       {"37:5 [schema Lend] `=` needs the same type on both sides: `\\dom queue` is `\\power BOOK`, `members` is `\\power PERSON`"}},
      {Replace(kLibrary, kLine, "lent' = lent \\cup \\{(p?, b?)\\}"),
       {"37:23 [schema Lend] `\\cup` needs `\\power (BOOK \\cross PERSON)` on its right, `\\{(p?, b?)\\}` is `\\power (PERSON \\cross BOOK)`"}},
  });
}

}  // namespace
}  // namespace tarn::ztypes
