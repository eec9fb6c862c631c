#include "app/shell/start_options.h"

namespace {
const QString kLookOption = "--look";
}

StartOptions ParseStartOptions(const QStringList& arguments) {
  StartOptions options;
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments.at(i);
    std::optional<QString> name;
    if (argument == kLookOption) {
      if (i + 1 < arguments.size()) name = arguments.at(++i);
      if (!name) options.problem = "--look needs a look: \"classic\" or \"realistic\".";
    } else if (argument.startsWith(kLookOption + "=")) {
      name = argument.mid(kLookOption.size() + 1);
    } else if (options.document.isEmpty()) {
      options.document = argument;
      continue;
    }
    if (!name) continue;
    options.look = vh::ParseLook(name->toStdString());
    if (!options.look)
      options.problem = QString("Unknown look \"%1\": use \"classic\" or \"realistic\".").arg(*name);
  }
  return options;
}
