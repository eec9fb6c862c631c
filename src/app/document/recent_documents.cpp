#include "app/document/recent_documents.h"

#include <QFileInfo>
#include <QSettings>

namespace {
const char* const kKey = "recentDocuments";

QSettings Settings() { return QSettings("Verdanthollow", "Verdanthollow"); }
}  // namespace

RecentDocuments::RecentDocuments() {
  files_ = Settings().value(kKey).toStringList();
  files_.removeAll(QString());
  files_.removeDuplicates();
  while (files_.size() > kLimit) files_.removeLast();
}

void RecentDocuments::Add(const QString& fileName) {
  const QString absolute = QFileInfo(fileName).absoluteFilePath();
  files_.removeAll(absolute);
  files_.prepend(absolute);
  while (files_.size() > kLimit) files_.removeLast();
  Keep();
}

void RecentDocuments::Remove(const QString& fileName) {
  files_.removeAll(fileName);
  Keep();
}

void RecentDocuments::Keep() const {
  QSettings settings = Settings();
  settings.setValue(kKey, files_);
}
