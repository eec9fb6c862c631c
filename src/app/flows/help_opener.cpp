#include "app/flows/help_opener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <QWidget>

#include "app/flows/help_file.h"
#include "app/widgets/message_box.h"

namespace {
const char* const kHelpTitle = "Help";
}  // namespace

QString HelpNotOpenedMessage(const QString& path) {
  return QString(
             "The help could not be opened: no program to show it was found.\n"
             "You can open it yourself; it is the file\n%1")
      .arg(QDir::toNativeSeparators(path));
}

QString HelpNotFoundMessage(const QStringList& placesLookedAt) {
  QStringList places;
  for (const QString& place : placesLookedAt) places << QDir::toNativeSeparators(place);
  return QString("The help was not found. It was looked for at\n%1").arg(places.join('\n'));
}

void OpenHelp(QWidget* parent, const QString& currentDirectory, const QString& programDirectory) {
  const QString path = HelpUrl(currentDirectory, programDirectory).toLocalFile();
  if (!QFileInfo::exists(path)) {
    ShowWarning(parent, HelpNotFoundMessage(QStringList(path) << HelpGuideCandidates(programDirectory)),
                kHelpTitle);
    return;
  }
  // xdg-open reports by its exit status whether anything could show the
  // document, which the toolkit's desktop services do not pass on. It may
  // also run for as long as the program showing the document does, so its
  // end is waited for without blocking.
  auto* opener = new QProcess(parent);
  const QPointer<QWidget> owner(parent);
  QObject::connect(opener, &QProcess::finished, opener,
                   [opener, owner, path](int exitCode, QProcess::ExitStatus status) {
                     opener->deleteLater();
                     if (status != QProcess::NormalExit || exitCode != 0) {
                       ShowWarning(owner, HelpNotOpenedMessage(path), kHelpTitle);
                     }
                   });
  QObject::connect(opener, &QProcess::errorOccurred, opener,
                   [opener, owner, path](QProcess::ProcessError error) {
                     if (error != QProcess::FailedToStart) return;
                     opener->deleteLater();
                     if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
                       ShowWarning(owner, HelpNotOpenedMessage(path), kHelpTitle);
                     }
                   });
  opener->start("xdg-open", {path});
}
