#include "app/viewport/look_preference.h"

#include <QSettings>
#include <QString>

namespace {
const char* const kKey = "view/look";

QSettings Settings() { return QSettings("Verdanthollow", "Verdanthollow"); }
}  // namespace

vh::Look StoredLook() {
  const QString name = Settings().value(kKey).toString();
  return vh::ParseLook(name.toStdString()).value_or(vh::Look::kClassic);
}

void StoreLook(vh::Look look) {
  QSettings settings = Settings();
  settings.setValue(kKey, QString::fromLatin1(vh::LookName(look)));
}
