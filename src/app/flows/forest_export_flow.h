// "Export forest...": a forest description grown into one .glb by the
// command-line tool, in a process of its own. The window stays responsive,
// the progress shows variant by variant, Cancel stops the tool (which then
// writes nothing), and the file is written by the very code that writes the
// tool's forests: each variant's cards are drawn in a context without a
// display, which the desktop program does not link.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

class QProgressDialog;
class QWidget;

class ForestExportFlow : public QObject {
  Q_OBJECT
 public:
  // `tool` is the command-line tool's path (CommandLineToolBeside).
  ForestExportFlow(QWidget* dialogParent, QString tool, QObject* parent = nullptr);
  ~ForestExportFlow() override;

  // Asks for the description and the file to write, then starts the tool;
  // does nothing while a forest is being written.
  void Run();
  bool Running() const { return m_process != nullptr; }

 signals:
  // Said in the status line once the file is written.
  void exported(const QString& note);
  // The tool has stopped, whether it wrote the file or not.
  void finished();

 private:
  void Start(const QString& description, const QString& output);
  void ReadProgress();
  void Finish(int exitCode, QProcess::ExitStatus status);

  QWidget* m_dialogParent;
  QString m_tool;
  QString m_lastDescription;
  QString m_output;
  QProcess* m_process = nullptr;
  QProgressDialog* m_progress = nullptr;
  QStringList m_messages;  // what the tool said besides its progress
  QByteArray m_pending;    // the start of a line not yet complete
  bool m_cancelled = false;
};

// The command-line tool installed beside the program in `programDirectory`
// (or, in the build tree, in the tool's own folder next to the program's);
// empty where there is none.
QString CommandLineToolBeside(const QString& programDirectory);
