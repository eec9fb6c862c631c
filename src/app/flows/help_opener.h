// "Help" → "Help" (F1): the help document opened by the desktop, and a
// message naming it whenever that cannot be done, so that the user can
// open it by hand.
#pragma once

#include <QString>

class QWidget;

// Opens what HelpUrl finds for `currentDirectory` and `programDirectory`
// with xdg-open (the toolkit's desktop services where xdg-open cannot be
// started) and returns at once. A document that does not exist, an opener
// that fails or ends with an error (no program to show the document) is
// reported in a warning box on `parent` that names the document's path.
void OpenHelp(QWidget* parent, const QString& currentDirectory, const QString& programDirectory);

// The messages of OpenHelp: the document at `path` exists but nothing
// could show it; no guide was found at any of the places looked at.
QString HelpNotOpenedMessage(const QString& path);
QString HelpNotFoundMessage(const QStringList& placesLookedAt);
