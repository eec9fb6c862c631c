#include "app/flows/forest_export_flow.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QRegularExpression>

#include "app/widgets/file_dialogs.h"
#include "app/widgets/message_box.h"

namespace {

const char* const kTitle = "Export forest";
const char* const kToolName = "verdanthollow-cli";

// The tool writes a forest only as .glb.
QString WithGlbExtension(const QString& name) {
  return name.endsWith(".glb", Qt::CaseInsensitive) ? name : name + ".glb";
}

}  // namespace

QString CommandLineToolBeside(const QString& programDirectory) {
  const QDir folder(programDirectory);
  for (const QString& candidate :
       {folder.filePath(kToolName), folder.filePath(QString("../cli/") + kToolName)}) {
    const QFileInfo tool(candidate);
    if (tool.isFile() && tool.isExecutable()) return tool.absoluteFilePath();
  }
  return {};
}

ForestExportFlow::ForestExportFlow(QWidget* dialogParent, QString tool, QObject* parent)
    : QObject(parent), m_dialogParent(dialogParent), m_tool(std::move(tool)) {}

ForestExportFlow::~ForestExportFlow() {
  // Closing the program while a forest grows stops the tool; it writes nothing.
  if (m_process != nullptr) {
    m_process->disconnect(this);
    m_process->terminate();
    m_process->waitForFinished(5000);
  }
}

void ForestExportFlow::Run() {
  if (Running()) return;
  if (m_tool.isEmpty()) {
    ShowWarning(m_dialogParent,
                QString("Forests are written by %1, which was not found beside the program.").arg(kToolName));
    return;
  }
  FileRequest open;
  open.kind = FileRequest::Kind::kOpen;
  open.parent = m_dialogParent;
  open.title = "Forest description";
  open.filter = "Forest description (*.txt)|*.txt|All files (*)|*";
  open.initialName = m_lastDescription;
  const std::optional<FileChoice> description = RunFileDialog(open);
  if (!description) return;
  m_lastDescription = description->fileName;

  FileRequest save;
  save.kind = FileRequest::Kind::kSave;
  save.parent = m_dialogParent;
  save.title = kTitle;
  save.filter = "glTF binary (*.glb)|*.glb";
  const QFileInfo chosen(description->fileName);
  save.initialName =
      m_output.isEmpty() ? chosen.dir().filePath(chosen.completeBaseName() + ".glb") : m_output;
  save.writtenFiles = [](const QString& name, int) { return QStringList{WithGlbExtension(name)}; };
  const std::optional<FileChoice> output = RunFileDialog(save);
  if (!output) return;
  Start(description->fileName, WithGlbExtension(output->fileName));
}

void ForestExportFlow::Start(const QString& description, const QString& output) {
  m_output = output;
  m_messages.clear();
  m_pending.clear();
  m_cancelled = false;
  m_process = new QProcess(this);
  connect(m_process, &QProcess::readyReadStandardError, this, &ForestExportFlow::ReadProgress);
  connect(m_process, &QProcess::finished, this, &ForestExportFlow::Finish);
  connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) Finish(-1, QProcess::CrashExit);
  });

  m_progress = new QProgressDialog("Growing the forest...", "Cancel", 0, 0, m_dialogParent);
  m_progress->setObjectName("ForestProgress");
  m_progress->setWindowTitle(kTitle);
  m_progress->setWindowModality(Qt::WindowModal);
  m_progress->setMinimumDuration(0);
  connect(m_progress, &QProgressDialog::canceled, this, [this] {
    m_cancelled = true;
    if (m_process != nullptr) m_process->terminate();
  });
  m_progress->show();
  m_process->start(m_tool, {"forest", description, "-o", output, "--progress"});
}

void ForestExportFlow::ReadProgress() {
  static const QRegularExpression progressLine("^forest: (\\d+) of (\\d+) variants$");
  m_pending += m_process->readAllStandardError();
  for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
    const QString line = QString::fromLocal8Bit(m_pending.left(end)).trimmed();
    m_pending.remove(0, end + 1);
    const QRegularExpressionMatch progress = progressLine.match(line);
    if (progress.hasMatch()) {
      m_progress->setMaximum(progress.captured(2).toInt());
      m_progress->setValue(progress.captured(1).toInt());
    } else if (!line.isEmpty()) {
      m_messages << line;
    }
  }
}

void ForestExportFlow::Finish(int exitCode, QProcess::ExitStatus status) {
  if (m_process == nullptr) return;
  const bool started = m_process->error() != QProcess::FailedToStart;
  if (started) ReadProgress();
  m_process->deleteLater();
  m_process = nullptr;
  m_progress->deleteLater();
  m_progress->hide();
  m_progress = nullptr;
  const QString name = QFileInfo(m_output).fileName();
  if (!started) {
    ShowWarning(m_dialogParent, QString("%1 could not be started: the forest was not written.").arg(m_tool));
  } else if (m_cancelled) {
    emit exported(QString("Forest export cancelled: %1 was not written").arg(name));
  } else if (status == QProcess::NormalExit && exitCode == 0) {
    // The tool's warnings (a missing picture, a variant grown incomplete...)
    // are worth a look even though the file was written.
    const QStringList warnings = m_messages.filter(QRegularExpression("^warning: "));
    if (!warnings.isEmpty()) ShowWarning(m_dialogParent, warnings.join("\n"));
    emit exported(QString("Forest exported to %1").arg(name));
  } else {
    ShowWarning(m_dialogParent, QString("The forest was not written:\n%1").arg(m_messages.join("\n")));
  }
  emit finished();
}
