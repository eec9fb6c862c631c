// How the pages turn a control's change into one document edit: the step
// is named after the control's caption (as "Undo <caption>" shows it), and
// the changes of one gesture — a slider dragged by its handle, a word typed
// into a field — merge into one step.
#pragma once

#include <functional>

#include <QString>

#include "app/document/tree_document.h"

class QLineEdit;
class QSlider;
class QWidget;

// An edit made with `control`: named after its caption; a slider dragged by
// its handle or a field being typed into carries its name as merge key.
TreeDocument::ParameterChange ControlEdit(const QWidget& control,
                                          std::function<void(vh::TreeParameters&)> apply,
                                          EditEffects effects = {});

// Ends the document's gesture when a slider's handle is pressed or released
// and when a field's editing is finished, for every slider and field under
// `page`: a new drag or a new word starts a new step.
void EndGesturesOf(QWidget& page, TreeDocument& document);
