// The button beside "Seed" that puts a fresh random seed in the field. The
// seed takes the path of a typed one (the field's change handler), so it
// regrows the tree and is undone like any edit.
#pragma once

class TreeDocument;
class QLineEdit;
class QToolButton;
class QWidget;

// A seed in 1..999999 that differs from `current`.
int FreshSeed(int current);

// The button (objectName "NewSeed"), parented to `parent`; it does nothing
// while a tree grows.
QToolButton* MakeNewSeedButton(QLineEdit* seedField, TreeDocument& document, QWidget* parent);
