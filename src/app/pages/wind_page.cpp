#include "app/pages/wind_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/document/tree_document.h"
#include "app/pages/control_edits.h"
#include "app/widgets/labelled_slider.h"
#include "app/widgets/named_button.h"

namespace {

// The controls of the wind fields, in the order of WindFields().
struct WindControl {
  const char* caption;
  const char* name;
  // What a value means, in the units the user thinks in.
  QString (*meaning)(int value);
};

const std::array<WindControl, vh::kWindFieldCount> kControls = {{
    {"Strength :", "WindStrength", [](int v) { return QString("%1 %").arg(v); }},
    {"Direction :", "WindDirection", [](int v) { return QString("%1°").arg(v); }},
    {"Gusts :", "WindGusts",
     [](int v) { return v == 0 ? QString("steady") : QString("%1 Hz").arg(v * 0.01, 0, 'f', 2); }},
    {"Turbulence :", "WindTurbulence", [](int v) { return QString("%1 %").arg(v); }},
    {"Leaf flutter :", "WindFlutter", [](int v) { return QString("%1 %").arg(v); }},
    {"Loop length :", "WindLoopLength", [](int v) { return QString("%1 s").arg(v * 0.1, 0, 'f', 1); }},
}};

}  // namespace

WindPage::WindPage(TreeDocument& document, QWidget* parent) : QWidget(parent), m_document(document) {
  setObjectName("TabSheetWind");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  m_on = new QCheckBox("Sway in the wind", this);
  m_on->setObjectName("WindOn");
  m_on->setToolTip(
      "The tree sways in the view and in glTF exports with wind; the tree itself stays as grown");
  layout->addWidget(m_on);

  auto* panel = new QWidget(this);
  panel->setObjectName("WindPanel");
  auto* grid = new QGridLayout(panel);
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    const int row = static_cast<int>(i);
    m_sliders[i] =
        AddLabelledSlider(grid, row, kControls[i].caption, kControls[i].name, vh::WindFields()[i].control);
    m_values[i] = new QLabel(panel);
    m_values[i]->setObjectName(QString(kControls[i].name) + "Value");
    m_values[i]->setMinimumWidth(m_values[i]->fontMetrics().horizontalAdvance("0.00 Hz") + 4);
    grid->addWidget(m_values[i], row, 2);
    connect(m_sliders[i], &QSlider::valueChanged, this,
            [this, slider = m_sliders[i]] { onSliderChanged(*slider); });
  }
  layout->addWidget(panel);

  m_play = NamedButton(this, "WindPlay", "Pause");
  m_play->setToolTip("Plays or pauses the wind in the view");
  layout->addWidget(m_play);
  layout->addStretch(1);

  connect(m_on, &QCheckBox::toggled, this, &WindPage::onWindToggled);
  connect(m_play, &QToolButton::clicked, this, &WindPage::onPlayClicked);
  connect(&m_document, &TreeDocument::parametersReplaced, this, &WindPage::LoadControls);
  connect(&m_document, &TreeDocument::windPlayingChanged, this, &WindPage::ShowPlaying);
  EndGesturesOf(*this, m_document);
  LoadControls();
  ShowPlaying();
}

QWidget* WindPage::FocusTarget() const { return m_sliders.front(); }

void WindPage::LoadControls() {
  const vh::WindSettings& wind = m_document.Params().wind;
  {
    const QSignalBlocker loading(m_on);
    m_on->setChecked(wind.enabled);
  }
  for (std::size_t i = 0; i < m_sliders.size(); ++i) {
    const QSignalBlocker loading(m_sliders[i]);
    m_sliders[i]->setValue(wind.*vh::WindFields()[i].integer);
  }
  ShowValues();
}

void WindPage::ShowValues() {
  const bool on = m_on->isChecked();
  for (std::size_t i = 0; i < m_sliders.size(); ++i) {
    m_values[i]->setText(kControls[i].meaning(m_sliders[i]->value()));
    m_sliders[i]->setEnabled(on);
    m_values[i]->setEnabled(on);
  }
  m_play->setEnabled(on);
}

void WindPage::ShowPlaying() { m_play->setText(m_document.WindPlaying() ? "Pause" : "Play"); }

void WindPage::onWindToggled() {
  ShowValues();
  const bool on = m_on->isChecked();
  // Wind that is switched on starts moving.
  if (!m_document.EditsLocked() && on) m_document.SetWindPlaying(true);
  m_document.Change(
      ControlEdit(*m_on, [on](vh::TreeParameters& params) { params.wind.enabled = on; }, {.wind = true}));
}

void WindPage::onSliderChanged(const QSlider& moved) {
  ShowValues();
  m_document.Change(ControlEdit(moved,
                                [this](vh::TreeParameters& params) {
                                  for (std::size_t i = 0; i < m_sliders.size(); ++i)
                                    StoreSlider(*m_sliders[i], params.wind.*vh::WindFields()[i].integer);
                                },
                                {.wind = true}));
}

void WindPage::onPlayClicked() { m_document.SetWindPlaying(!m_document.WindPlaying()); }
