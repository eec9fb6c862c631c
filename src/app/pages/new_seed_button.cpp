#include "app/pages/new_seed_button.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QToolButton>

#include "app/document/tree_document.h"

int FreshSeed(int current) {
  // Short seeds are easy to note down and type again.
  constexpr int kLargest = 999999;
  int seed = current;
  while (seed == current) seed = static_cast<int>(QRandomGenerator::global()->bounded(1, kLargest + 1));
  return seed;
}

QToolButton* MakeNewSeedButton(QLineEdit* seedField, TreeDocument& document, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName("NewSeed");
  button->setText("New");
  button->setToolTip("A new random seed");
  QObject::connect(button, &QToolButton::clicked, seedField, [seedField, &document] {
    if (document.EditsLocked()) return;
    // A seed of its own, not merged into one being typed.
    document.CloseMerge();
    seedField->setText(QString::number(FreshSeed(seedField->text().toInt())));
  });
  return button;
}
