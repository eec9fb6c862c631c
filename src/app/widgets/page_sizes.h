// Pages of a tab widget that are not shown keep the size of the one that
// is. Qt lays out only the current page; the leaf editor on a page never
// shown would otherwise work out texture coordinates for a size it will
// never have (an opened document's, a preset's).
#pragma once

class QTabWidget;

// From now on every page of `tabs` follows the size of the current one.
void KeepPagesSized(QTabWidget* tabs);
