// The documents last opened or saved, newest first, kept between runs in
// the program's settings (QSettings, organisation and application
// "Verdanthollow").
#pragma once

#include <QString>
#include <QStringList>

class RecentDocuments {
 public:
  static constexpr int kLimit = 8;

  // Reads the list kept by earlier runs.
  RecentDocuments();

  // The documents, newest first, at most kLimit.
  const QStringList& Files() const { return m_files; }
  // Puts `fileName` (made absolute) first, dropping an older entry of the
  // same file and the oldest beyond the limit, and keeps the list.
  void Add(const QString& fileName);
  // Drops `fileName` from the list and keeps the list.
  void Remove(const QString& fileName);

 private:
  void Keep() const;
  QStringList m_files;
};
