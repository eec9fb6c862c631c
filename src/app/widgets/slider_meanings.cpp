#include "app/widgets/slider_meanings.h"

#include <functional>

#include <QSlider>

namespace {

struct Meaning {
  const char* name;  // the slider's control name
  std::function<QString(int value)> text;
};

// The sliders of the "Branches", "Texture" and "Level of detail" pages that
// show no value beside them, and what their values do to the tree or the cloud.
const Meaning kMeanings[] = {
    {"TrackBar9",
     [](int value) {
       return QString("Density : %1% chance of a leaf at each of the 60 places on a branch").arg(value);
     }},
    {"TrackBar10",
     [](int value) {
       return QString("Scaling : %1 (a leaf is %2 of its size in the leaf editor)")
           .arg(value)
           .arg(value * 0.001, 0, 'f', 3);
     }},
    {"TrackBar3",
     [](int value) {
       return QString("Height (min) : children start from %1% of the parent's length").arg(value);
     }},
    {"TrackBar2",
     [](int value) {
       return QString("Height (max) : children start up to %1% of the parent's length").arg(value);
     }},
    {"TrackBar16",
     [](int value) {
       if (value == 0) return QString("U Scale : 0 (one column of the bark picture all around each branch)");
       return QString("U Scale : %1 (one turn around a branch spans %2 × the bark picture's width)")
           .arg(value)
           .arg(value * 0.1, 0, 'f', 1);
     }},
    {"TrackBar17",
     [](int value) {
       if (value == 0) return QString("V Scale : 0 (one row of the bark picture all along each branch)");
       return QString("V Scale : %1 (the bark picture's height spans %2 units along a branch)")
           .arg(value)
           .arg(1000.0 / value, 0, 'f', 1);
     }},
    {"TrackBar18",
     [](int value) {
       return QString(
                  "Nb of billboards : %1 (each billboard takes the triangles within %2 units of "
                  "its plane; more gives thinner, more numerous billboards)")
           .arg(value)
           .arg(100.0 / value, 0, 'f', 1);
     }},
    {"TrackBar19",
     [](int value) {
       return QString("Precision : %1 candidate planes tried for each billboard").arg(value);
     }},
    {"TrackBar21",
     [](int value) {
       return QString("Texture Quality : %1 (%2 pixels per unit of the tree in the billboard pictures)")
           .arg(value)
           .arg(value * 0.17, 0, 'f', 2);
     }},
};

}  // namespace

QString SliderValueText(const QSlider& slider, int value) {
  const QString name = slider.objectName();
  for (const Meaning& meaning : kMeanings) {
    if (name == meaning.name) return meaning.text(value);
  }
  return QString::number(value);
}
