// Where "Help" → "Help" finds its help: "help.chm" in the current
// directory when it is there, otherwise the HTML user guide installed with
// the program.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The places the HTML guide may be, in order: "help/index.html" beside the
// program (the build tree) and "../share/verdanthollow/help/index.html"
// from the program's directory (an installation).
QStringList HelpGuideCandidates(const QString& programDirectory);

// The document to open: `currentDirectory`/help.chm if it exists, else the
// first existing guide of HelpGuideCandidates, else help.chm all the same
// (OpenHelp then reports that none was found).
QUrl HelpUrl(const QString& currentDirectory, const QString& programDirectory);
