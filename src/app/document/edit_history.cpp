#include "app/document/edit_history.h"

EditHistory::EditHistory(QObject* parent) : QUndoStack(parent) { setUndoLimit(kDefaultLimit); }
