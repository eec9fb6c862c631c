#include "app/flows/help_file.h"

#include <QDir>
#include <QFileInfo>

QStringList HelpGuideCandidates(const QString& programDirectory) {
  const QDir program(programDirectory);
  return {QDir::cleanPath(program.filePath("help/index.html")),
          QDir::cleanPath(program.filePath("../share/verdanthollow/help/index.html"))};
}

QUrl HelpUrl(const QString& currentDirectory, const QString& programDirectory) {
  const QString chm = QDir(currentDirectory).absoluteFilePath("help.chm");
  if (QFileInfo::exists(chm)) return QUrl::fromLocalFile(chm);
  for (const QString& guide : HelpGuideCandidates(programDirectory)) {
    if (QFileInfo::exists(guide)) return QUrl::fromLocalFile(guide);
  }
  return QUrl::fromLocalFile(chm);
}
