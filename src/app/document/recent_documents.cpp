#include "app/document/recent_documents.h"

#include <QFileInfo>
#include <QSettings>

namespace {
const char* const kKey = "recentDocuments";

QSettings Settings() { return QSettings("Verdanthollow", "Verdanthollow"); }
}  // namespace

RecentDocuments::RecentDocuments() {
  m_files = Settings().value(kKey).toStringList();
  m_files.removeAll(QString());
  m_files.removeDuplicates();
  while (m_files.size() > kLimit) m_files.removeLast();
}

void RecentDocuments::Add(const QString& fileName) {
  const QString absolute = QFileInfo(fileName).absoluteFilePath();
  m_files.removeAll(absolute);
  m_files.prepend(absolute);
  while (m_files.size() > kLimit) m_files.removeLast();
  Keep();
}

void RecentDocuments::Remove(const QString& fileName) {
  m_files.removeAll(fileName);
  Keep();
}

void RecentDocuments::Keep() const {
  QSettings settings = Settings();
  settings.setValue(kKey, m_files);
}
