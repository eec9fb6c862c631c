// The desktop program's command line: `verdanthollow [--look classic|realistic] [DOC.vhm]`.
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "view/look.h"

struct StartOptions {
  std::optional<vh::Look> look;  // --look NAME or --look=NAME
  QString document;              // the first argument that is not an option
  QString problem;               // for the user, when an option was wrong; empty otherwise
};

// Reads the program's arguments (the program's name first, as
// QCoreApplication::arguments gives them). A wrong option is named in
// `problem` and left out; the rest is read all the same.
StartOptions ParseStartOptions(const QStringList& arguments);
