// The About box's content; the terminal shows it and waits for OK.
#pragma once

#include <string>

namespace tarn::addin {

struct FormAbout {
  std::string Caption = " About Tarn";
  std::string lblTitle = "Tarn 1.0";
  std::string lblDescription =
      "This add-in translates UML diagrams annotated with Object-Z into Z and Object-Z "
      "specifications, allowing class properties checking, refinements proof and type checking.";
  std::string lblVersion = "Made by the Tarn developers.";
};

}  // namespace tarn::addin
